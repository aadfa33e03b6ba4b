#pragma once
// The rules that keep the settings pages consistent while the user edits:
// the recipient lists following the phone numbers, the accent warning, the
// type choices and their dependent controls, the outputs' time unit, the
// checks when leaving the "Egyéb" page, the phone number pop-up menu, the
// single commands ("PSTN send", "Memory load"), the options menu and the
// exit question.
//
// The rules work on the settings model (the settings controls), on the
// configurator's ControlSet (pages, buttons, labels and menu items that are
// not settings) and talk to the user through View. The window calls them
// from its event handlers; nothing here needs a window.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/configurator.h"
#include "app/view.h"
#include "config/config_image.h"
#include "config/list_files.h"
#include "config/settings_codec.h"
#include "config/settings_model.h"

namespace morvane {

class DeviceLink;

// Colours of the navigation and of the list buttons. The normal colour is
// the system's button face: no colour of our own.
inline constexpr uint32_t kSelectedButtonColor = Rgb(69, 184, 95);
inline constexpr uint32_t kHoverButtonColor = Rgb(192, 220, 192);
inline constexpr uint32_t kNormalButtonColor = kNoColor;

// Texts the rules show or ask.
inline constexpr const char* kAccentWarningText =
    "Kérem, ne használjon ékezetes karaktereket, mert rosszul jelenhetnek meg a telefonon!";
inline constexpr const char* kSecurityPinText = "Biztonsági kód nem megfelelő";
inline constexpr const char* kBusyExitQuestion = "Művelet van folyamatban, biztosan ki akar lépni?!";
inline constexpr const char* kExitQuestion = "Biztosan ki akar lépni?";
inline constexpr const char* kPcCodeTitle = "Security PC Code";
inline constexpr const char* kPcCodeOldPrompt = "Please give me Security PC OLD code";
inline constexpr const char* kPcCodeNewPrompt = "Please give me Security PC NEW code";
inline constexpr const char* kPcCodeRepeatPrompt = "Repeat security CODE";
inline constexpr const char* kPcCodeTooLongText = "Code is to Long";
inline constexpr const char* kPcCodeBadRepeatText = "BAD repeat Code";

// ControlSet keys the rules use beside the settings model.
namespace pagekey {
inline constexpr const char* HeaderLeftLabel = "LabelHeaderLeft";  // characters left of the SMS header
inline constexpr const char* ConfirmMenu = "menu:Megerősítő kérdések tiltva!";
inline constexpr const char* TopMenu = "menu:TOP MENU ON/OFF";
inline constexpr const char* ContactIdOption = "CheckBox14";  // "Contact ID tábla küldése/olvasása"
inline constexpr const char* SimRead = "ButtonSimRead";        // phonebook "Kiolvasás"
inline constexpr const char* SimWrite = "ButtonSimWrite";      // phonebook "Feltöltés"
inline constexpr const char* SimProgress = "SimProgress";
inline constexpr const char* ListRead = "ListRead";            // number list "Olvasás"
inline constexpr const char* ListWrite = "ListWrite";          // number list "Írás"
}  // namespace pagekey

// The window's read and send buttons, the phonebook's "Kiolvasás" and
// "Feltöltés" and the number list's "Olvasás" and "Írás", all at once
// (disabled while a list transfer runs).
void SetListTransferButtons(ControlSet& controls, bool enabled);

// ---- Plain rules -------------------------------------------------------------

// The last character of the text is an accented letter that phones may show
// wrongly (é á ű ő ú ö ü ó and their capitals; í and Í are fine).
bool EndsWithAccent(const std::string& utf8);
// The control whose text the accent check inspects when `changed` changes,
// or "" when `changed` is not an SMS text. The speed and lift texts inspect
// input 4's text, the temperature texts the tamper text and the opening and
// closing texts the power text.
std::string AccentCheckedControl(const std::string& changed);
// Characters left of the 120 the SMS header may hold.
int SmsHeaderCharsLeft(const std::string& utf8);

// The eight item captions of a recipient list: the number's text when it is
// set, otherwise "Phone1".."Phone8"; for device type 'P' the lists of inputs
// 1 and 2, tamper and heartbeat leave items 5 to 8 empty instead.
std::vector<std::string> RecipientCaptions(const SettingsModel& model, const std::string& list, int deviceType);
// Whether a page (or sub-page) caption shows recipient lists.
bool PageHasRecipientLists(const std::string& caption);

// The exit question. True when the window may close: while a request runs
// (txCel not 0) the busy question decides, otherwise the window closes at
// once with confirmations off and asks the exit question else.
bool MayCloseConfigurator(int txCel, bool confirmOff, View& view);

// ---- Commands the pages start on the device link -----------------------------

class PageCommands {
public:
    virtual ~PageCommands() = default;
    virtual int State() const = 0;  // TxCel
    // Incoming number list: page reads (115) and block writes (116) from page 0x3600.
    virtual void StartNumberListRead() = 0;
    virtual void StartNumberListWrite() = 0;
    // SIM phonebook read and write through the GSM module.
    virtual void StartPhonebookRead() = 0;
    virtual void StartPhonebookWrite() = 0;
    // Bytes 94 and 95 of the image as a two-byte write, then the clock (101).
    virtual void StartPstnSend() = 0;
    // The PC security code change (120).
    virtual void StartPcCodeChange(const std::string& oldCode, const std::string& newCode) = 0;
};

// The commands on the configurator's device link. The phonebook conversation
// is served elsewhere: its two hooks start it (nothing starts while unset).
class DeviceLinkCommands : public PageCommands {
public:
    explicit DeviceLinkCommands(DeviceLink& link) : link_(link) {}
    int State() const override;
    void StartNumberListRead() override;
    void StartNumberListWrite() override;
    void StartPhonebookRead() override;
    void StartPhonebookWrite() override;
    void StartPstnSend() override;
    void StartPcCodeChange(const std::string& oldCode, const std::string& newCode) override;
    std::function<void()> OnPhonebookRead;
    std::function<void()> OnPhonebookWrite;

private:
    void StartListTransfer(int txCel);
    DeviceLink& link_;
};

// ---- The rules of the configurator's pages -----------------------------------

class PageRules {
public:
    PageRules(Configurator& form, SettingsModel& model, View& view);

    // Set by the first accent warning, cleared by every page show.
    bool AccentWarningShown = false;

    // A page or sub-page became current (its design caption). Pages with
    // recipient lists refresh them; "Egyéb" also its forwarding target list.
    void PageShown(const std::string& caption);
    // Leaving a page: "Egyéb" checks the SMS security code.
    void PageLeft(const std::string& caption);

    // Recipient list refresh: every list's captions (SettingControl::items)
    // and enabled items; the forwarding target list ComboBox11 keeps its
    // selection across the caption change (egyeb).
    void RefreshRecipientLists(bool egyeb = false);

    // The settings control `key` was changed by the user (the model already
    // holds the new value). Runs the rule of that control: dependent
    // controls, type clamps, output time and unit, the heartbeat box of the
    // recipient lists, the accent warning, the SMS header counter, the
    // hidden endpoint preset. Returns true when other controls of the model
    // changed too (the window shows the model again).
    bool ControlChanged(const std::string& key);
    // Non-model SMS texts (the temperature texts riasztas13 and riasztas14)
    // reach the accent check through this as well.
    bool SmsTextChanged(const std::string& key);

    // Every dependent-control rule at once (after the pages were filled from
    // the image or a file): the model's dependencies and the page visibility
    // of the expansion panel.
    void ApplyAll();

    // The pop-up menu of phone number field n (1..8): "Delete", "+3630",
    // "+3620". False for another item.
    bool PhoneMenu(int n, const std::string& item);

    // "Memory load": the endpoint preset, the default zone template and the
    // default event table in the configurator's language.
    void MemoryLoad();

    // "PSTN send": the pages into the image, then the two-byte write of the
    // PSTN gains; the transfer buttons are disabled.
    void PstnSend(ConfigImage& image, const CodecContext& ctx, PageCommands& commands);

    // SIM phonebook page: "Új sor hozzáadása" is the grid's; these two
    // prepare the page and start the transfer.
    // "Kiolvasás" clears rows 1..250 of the grid first, "Feltöltés" does not.
    void PhonebookRead(PhonebookGrid& grid, PageCommands& commands);
    void PhonebookWrite(PageCommands& commands);

    // Options menu.
    void SetConfirmOff(bool off);          // "Megerősítő kérdések tiltva!" -> "Confirm"
    void SetContactIdOption(bool on);      // "Contact ID tábla küldése/olvasása" -> "ContactIdSend"
    bool ToggleTopMenu();                  // "TOP MENU ON/OFF": true when the tabs are now shown
    // "PC biztonsági kód": the three prompts; true when the change started.
    bool ChangePcCode(PageCommands& commands);

    // Closing the window.
    // The confirmations-off option as the menu shows it, or as stored now.
    bool MayClose(int txCel);

private:
    bool ListsFollowType(const std::string& type);
    void ApplyPanelType();
    bool ApplyOutputRule(const std::string& key);
    void PreparePhonebookTransfer();

    Configurator& form_;
    SettingsModel& model_;
    View& view_;
};

}  // namespace morvane
