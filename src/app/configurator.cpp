#include "app/configurator.h"

#include <utility>

#include "app/settings_store.h"
#include "app/settings_values.h"
#include "app/side_files.h"
#include "app/startup.h"

namespace morvane {

Configurator::Configurator(std::string registryKey) : registryKey_(std::move(registryKey)) {
    // Design state of the controls the launcher touches.
    controls_["menu:TOP MENU ON/OFF"].visible = false;
    controls_["menu:Export memory"].visible = false;
    controls_["menu:GSM test"].visible = false;
    controls_["menu:GSM test"].enabled = false;
    ControlState& tx = controls_["ComboBox17"];
    for (int i = 1; i <= 9; ++i) tx.items.push_back(std::to_string(i));
    tx.text = "4";
    tx.itemIndex = 3;
    controls_["ComboBox16"].text = "5";
    controls_["menu:Tiltás"].checked = true;  // "custom.dat" is not loaded unless the user unticks it
    controls_["menu:special commands"].visible = false;
    languageTimer_.OnTimer = [this] { LanguageTimerTimer(); };
}

void Configurator::SetProductText(const std::string& text) {
    productText_ = text;
    StatusPanels[1] = text;
}

const std::array<const char*, 7> Configurator::kVoiceSlotEdits = {"Edit16", "Edit9",  "Edit13", "Edit14",
                                                                   "Edit15", "Edit20", "Edit19"};

void Configurator::Activate(const std::string& startDirectory) {
    auto slots = PrepareSoundFolder(startDirectory);
    for (size_t i = 0; i < slots.size(); ++i)
        if (slots[i].existed) controls_.SetText(kVoiceSlotEdits[i], InternalSoundText);
    Settings::EnsureDefault(setting::Mode);
    Settings::EnsureDefault(setting::Company);
    Settings::EnsureDefault(setting::Monitor);
    ConfirmOff = Settings::ConfirmOff();
    controls_.SetChecked("menu:Megerősítő kérdések tiltva!", ConfirmOff);
    if (Settings::CustomTicked()) controls_.SetChecked("menu:Tiltás", true);
    SpecialCommandsMenu = ReadSpecFunc(startDirectory).specialCommands || Settings::ModeCode() == "quartzline";
    controls_.SetVisible("menu:special commands", SpecialCommandsMenu);
}

int Configurator::TakeStartAction() {
    int action = StartAction;
    StartAction = kStartUsed;
    return action;
}

void Configurator::LanguageTimerTimer() {
    languageTimer_.SetEnabled(false);
    LanguageCode = SettingsStore::Read(registryKey_, "Language");
    const std::string& t = LanguageCode;
    bool valid = !t.empty() && t.size() <= 2 && t.find_first_not_of("0123456789") == std::string::npos &&
                 (t.size() == 1 || t == "10");
    if (valid && OnApplyLanguage) OnApplyLanguage(std::stoi(t));
}

}  // namespace morvane
