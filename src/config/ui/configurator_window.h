#pragma once
// The configurator window (TQ7Form1): a column of fourteen menu buttons on
// the left, the main page control with its tabs shrunk to one pixel, the
// settings pages, the transfer buttons and progress, the menu bar and a
// four-panel status bar. The window follows the configurator's ControlSet:
// controls by objectName, pages and sub-pages by "page:<caption>" (and the
// names of their selector panels), menu items by "menu:<caption>", and the
// further keys of the page registry (captions, "voice:<n>", "report:<x>").
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/view.h"
#include "config/ui/form_builder.h"

class QAbstractButton;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTimer;

namespace morvane {

class Configurator;
class ControlBinder;
class SettingsModel;
struct SettingControl;

class ConfiguratorWindow : public QMainWindow {
    Q_OBJECT
public:
    // Navigation colours.
    static constexpr uint32_t kSelectedColor = Rgb(69, 184, 95);
    static constexpr uint32_t kHoverColor = Rgb(192, 220, 192);

    // Names of the window's own indicators.
    static constexpr const char* kRxLamp = "RXled";         // the "RX" lamp
    static constexpr const char* kStartStrip = "Panel49";   // the green start strip
    static constexpr const char* kTracePanel = "TracePanel";  // the serial trace's file
    static constexpr const char* kTraceMenu = "Soros napló (trace)";

    explicit ConfiguratorWindow(Configurator& configurator, QWidget* parent = nullptr);
    ~ConfiguratorWindow() override;

    // Copies the status panels into the window (also done by a timer while
    // the window is shown).
    void Refresh();

    // Runs after the user closed the window.
    std::function<void()> OnClosed;
    // Asked when the user closes the window: false keeps it open.
    std::function<bool()> MayClose;

    // A settings control was edited by the user and the model holds its new
    // value: the page rules of that control. True when other controls of
    // the model changed too (the pages show the model again).
    std::function<bool(const std::string& key)> OnSettingEdited;
    // An item of a phone number field's pop-up menu (field 1..8); unset, the
    // window applies it to the field itself.
    std::function<void(int n, const std::string& item)> OnPhoneMenu;
    // "TOP MENU ON/OFF" chosen; unset, the window toggles its tabs itself.
    std::function<void()> OnTopMenu;

    // ---- pages
    QTabWidget* MainPages() const { return pages_; }
    PageRegistry& Registry() { return registry_; }
    // Shows a main page as its menu button does (false for an unknown page).
    bool ShowPage(const std::string& caption);
    // Shows a sub-page as its selector panel (or tab) does; parent is the
    // caption of the page holding it, empty for the first page with that caption.
    bool ShowSubPage(const std::string& caption, const std::string& parent = std::string());
    // Caption of the current main page, and of the current sub-page of a page.
    std::string CurrentPage() const;
    std::string CurrentSubPage(const std::string& parent) const;
    // Whether the page control offers the page (its tab is not hidden).
    bool PageOffered(const std::string& caption, const std::string& parent = std::string()) const;
    // The pages a screen image is made of: every offered main page, and for
    // a page with sub-pages every offered sub-page (parent, caption).
    std::vector<std::pair<std::string, std::string>> OfferedViews() const;

    // "TOP MENU ON/OFF": tabs of the main page control one pixel high (shrunk)
    // or at their normal size.
    void SetTabsShrunk(bool shrunk);
    bool TabsShrunk() const { return tabsShrunk_; }

    // The pop-up menu of a phone number field: "Delete" empties the field,
    // "+3630" and "+3620" replace its text. False for another item.
    static bool ApplyPhoneMenuItem(QLineEdit* field, const QString& item);

    // A menu item by caption (null when there is none).
    QAction* MenuAction(const std::string& caption) const;

    // Fills the pages from the settings model and keeps the model up to date
    // with the user's edits (controls matched by objectName). Returns the
    // names of the model's controls that have no widget on the pages.
    std::vector<std::string> BindSettings(SettingsModel& model);
    // Copies the model's state into the widgets again (after a read or a
    // file load).
    void ShowSettings();

    // Activation: the green strip across the top runs out from one pixel to
    // the window's width (20 pixels a tick).
    void StartStrip();
    int StripWidth() const { return stripWidth_; }
    bool StripRunning() const;

signals:
    void ReadRequested();            // "Olvasás"
    void SendRequested();            // "Elküldés"
    void SaveToFileRequested();      // "Mentés fájlba"
    void OpenFromFileRequested();    // "Megnyitás fájlból"
    void ExportMemoryRequested();    // "Export memory"
    void MenuTriggered(const QString& caption);  // any menu item
    void PageShown(const QString& caption);      // a main page or sub-page became current

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void BuildMenus();
    void BuildMenuColumn(QWidget* column);
    void BuildTransferStrip(QWidget* strip);
    void BuildStatusBar();
    void WireSelectors();
    void WireFields();
    void SeedKeys(const std::set<std::string>& known);
    void OnControlChanged(const std::string& name);
    void ApplyPageKey(const std::string& key);
    void ApplyAliasKey(const std::string& key);
    void ApplyMenuKey(const std::string& key);
    void ApplyExtraState(const std::string& name);
    void SyncStack(QTabWidget* tabs);
    void SelectMenuButton(const std::string& name);
    void HoverMenuButton(const std::string& name);
    void SelectPanel(PageRegistry::Page& page);
    void StripTick();
    void BindControl(const SettingControl& c, QWidget* w);
    void CommitControl(const std::string& name);
    void ShowControl(const std::string& name);
    void FollowCoreValue(const std::string& name);

    Configurator& cfg_;
    PageRegistry registry_;
    QTabWidget* pages_ = nullptr;
    std::vector<QPushButton*> menuButtons_;
    std::map<std::string, std::string> buttonPage_;   // MENUSELn -> page caption
    std::multimap<std::string, QAction*> actions_;    // caption -> action
    std::array<QLabel*, 4> panels_{};
    QTimer* refresh_;
    QTimer* stripTimer_;
    QWidget* strip_ = nullptr;
    int stripWidth_ = 1;
    bool tabsShrunk_ = true;
    std::unique_ptr<ControlBinder> binder_;
    std::function<void(const std::string&)> previousHook_;
    std::map<std::string, ControlState> aliasSnapshot_;
    std::map<std::string, bool> pageVisible_;  // visibility last applied per page key
    bool hooked_ = false;
    SettingsModel* model_ = nullptr;
    // Model-bound widgets: what reads each into the model, and the value
    // fields of its control state as last seen (to tell the core's value
    // changes from its enabling and shaping).
    std::map<std::string, std::function<void()>> commits_;
    std::map<std::string, QPointer<QWidget>> bound_;
    struct ValueFields {
        std::string text;
        bool checked = false;
        int itemIndex = -1;
        bool operator==(const ValueFields&) const = default;
    };
    std::map<std::string, ValueFields> coreValues_;
    bool committing_ = false;
    bool showingSettings_ = false;
};

}  // namespace morvane
