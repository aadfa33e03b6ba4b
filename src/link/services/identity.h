#pragma once
// Device identity: the feature table that shapes the configurator to the
// firmware number and type letter, and the built-in firmware image versions.
#include <string>
#include <vector>

#include "app/view.h"

namespace morvane {

enum class FeatureAction { Hide, Show, Enable, Disable, Uncheck, Clear };

struct FeatureEffect {
    FeatureAction action;
    const char* control;  // control key: caption, "page:<caption>" or "menu:<caption>"
};

struct FeatureRow {
    int number;
    bool (*applies)(int version, int type);
    std::vector<FeatureEffect> effects;
};

// The rows in the order they are applied.
const std::vector<FeatureRow>& FeatureTable();
// Applies every row whose condition holds (rows only hide or show; nothing
// hidden by an earlier answer is restored).
void ApplyFeatureTable(ControlSet& controls, int version, int type);

// Versions of the firmware images built into the program.
int BuiltInFirmwareVersion(int type);  // 0 when there is none for the type
// Whether the built-in image is newer than the device's firmware;
// nullopt-like -1 for types that leave the hint as it is.
int NewFirmwareHintFor(int type, int version);

// "Firmware: 9.3"
std::string FirmwareText(int version);

}  // namespace morvane
