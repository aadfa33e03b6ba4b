#pragma once
// Which pages, controls and menu items of the configurator a device family
// shows, applied when the launcher opens the configurator for a device type.
//
// Keys of the configurator's ControlSet used here:
//   "page:<design caption>"   a page or sub-page ("page:Hangok", "page:OUT3",
//                             "page:Bemenet 5.", "page:Tamper", "page:More settings"
//                             is the inputs' "More settings" sub-page)
//   "<control name>"          a named control ("TabSheet26", "Panel71", "ComboBox17")
//   "menu:<caption>"          a menu item ("menu:BUS panel", "menu:SMS test")
//   "voice:<n>"               voice message slot n (1..7) of the "Hangok" page:
//                             its file field, upload button and player
//   "report:<channel>"        the event code field of a channel on the remote
//                             monitoring page ("report:input3", "report:input4",
//                             "report:tamper", "report:power")
// Items of a list are set on the list's control key.
#include <string>
#include <vector>

#include "app/view.h"

namespace morvane {

// Keys that other parts refer to.
inline const std::string kProtocolListKey = "ProtocolList";
inline const std::string kSimPhonebookPageKey = "page:SIM kártya számok (kompatibilitás régi modulokkal)";

struct TextPreset {
    std::string control;
    std::string text;
};

struct ListPreset {
    std::string control;
    std::vector<std::string> items;
};

struct PageShape {
    char letter = 0;
    std::vector<std::string> show;   // made visible first
    std::vector<std::string> hide;   // then made invisible
    std::vector<TextPreset> texts;   // choice lists preset to a text (item index follows the text)
    std::vector<ListPreset> lists;   // item lists replaced
};

// The shapes of every device type that has one: H, N, K, O, I, J, Q, P, L, '>'.
const std::vector<PageShape>& PageShapes();

// The shape of a device type, or nullptr for a type without one.
const PageShape* FindPageShape(int deviceType);

// Applies the shape of deviceType to the configurator's controls. Returns
// false (and changes nothing) for a type without a shape.
bool ApplyPageShape(int deviceType, ControlSet& controls);

// Sets a choice list's text; when the list holds that text among its items the
// item becomes the selected one.
void PresetChoice(ControlSet& controls, const std::string& control, const std::string& text);

}  // namespace morvane
