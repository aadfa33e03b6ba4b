#pragma once
// The configurator window's core (TQ7Form1): the state the launcher hands over
// when it opens the configurator, the window's control states and its
// language timer. The device link, the configuration image and the pages'
// rules grow on this class.
#include <array>
#include <functional>
#include <string>

#include "app/core_timer.h"
#include "app/view.h"

namespace morvane {

class Configurator {
public:
    // StartAction values.
    static constexpr int kStartRead = 0;      // perform "Olvasás" after the identity read
    static constexpr int kStartDefaults = 1;  // "Elküldés" and the default code tables and zones
    static constexpr int kStartNothing = 2;   // fast start
    static constexpr int kStartUsed = 255;    // taken once already

    // registryKey: the settings key the language timer reads "Language" from.
    explicit Configurator(std::string registryKey);
    Configurator(const Configurator&) = delete;
    Configurator& operator=(const Configurator&) = delete;

    // Hand-over from the launcher.
    int DeviceType = 0;          // type letter as a character code
    int DeviceVersion = 0;       // firmware number, 92 meaning 9.2
    bool DemoMode = false;       // no device: the sequencer sends nothing
    int StartAction = kStartRead;
    std::string ModeCode;        // the "mode" setting, or the advanced-mode code
    int ConnectionType = 0;      // 0 "USB", 1 "Bluetooth", 2 "Internet"
    std::string DeviceFilter;    // the launcher's device filter ("ALL" accepts every model)
    bool Use4800Baud = false;    // the launcher's "GPS" box: 4800 baud instead of 9600
    // Set when the launcher has closed its own port for good: only then may the
    // configurator open its port (the two are never open at the same time).
    bool PortHandedOver = false;

    // Product text of the device (shown in status bar panel 1).
    const std::string& ProductText() const { return productText_; }
    void SetProductText(const std::string& text);

    // Status bar texts; index = panel number (panel 1 the product, 2 the
    // firmware, 3 errors and progress).
    std::array<std::string, 4> StatusPanels;

    // Takes the start action once: returns it and leaves kStartUsed behind.
    int TakeStartAction();

    // FormActivate of the configurator window: rewrites "base.wav", prepares
    // the voice slot files ("Internal" for each slot whose file exists),
    // writes the settings' start values where they are empty ("mode",
    // "company", "monitor"), reads "Confirm", "custom" and "specfunc.txt".
    void Activate(const std::string& startDirectory);
    // Voice slot edit boxes in slot order (1 identification .. 7 tamper).
    static const std::array<const char*, 7> kVoiceSlotEdits;
    bool SpecialCommandsMenu = false;  // "specfunc.txt" line 1 "KRVSTQ" or mode "quartzline"
    bool ConfirmOff = false;           // "Megerősítő kérdések tiltva!"

    ControlSet& Controls() { return controls_; }
    const ControlSet& Controls() const { return controls_; }

    // One-shot language timer (300 ms, created disabled). When it fires it
    // reads "Language" into LanguageCode and, for "0" to "10", calls
    // OnApplyLanguage with the code.
    CoreTimer& LanguageTimer() { return languageTimer_; }
    std::string LanguageCode;
    std::function<void(int code)> OnApplyLanguage;

private:
    void LanguageTimerTimer();

    std::string registryKey_;
    std::string productText_;
    ControlSet controls_;
    CoreTimer languageTimer_{"language", 300, false};
};

}  // namespace morvane
