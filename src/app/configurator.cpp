#include "app/configurator.h"

#include <utility>

#include "app/settings_store.h"

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
    languageTimer_.OnTimer = [this] { LanguageTimerTimer(); };
}

void Configurator::SetProductText(const std::string& text) {
    productText_ = text;
    StatusPanels[1] = text;
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
