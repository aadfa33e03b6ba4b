#pragma once
// The configurator window on its session: the link's port and timers run on
// the Qt host, the pages show the session's settings model, the transfer
// buttons, the file menu and the own profile act on the session, and the
// window's activation does what the configurator does when it comes to the
// front (start values, own profile, identity query, start strip). Also the
// "RX" lamp, the transfer progress bar and the serial trace option.
#include <QObject>

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "config/config_files.h"
#include "config/list_files.h"
#include "link/serial_trace.h"

class QTimer;

namespace morvane {

class ConfiguratorSession;
class ContactIdPageUi;
class ConfiguratorWindow;
class QtHost;
class QtShell;
class View;

class ConfiguratorController : public QObject {
    Q_OBJECT
public:
    // portOverride gives the port name the launcher chose (a COM name or a
    // device path; empty for the "comport" setting), read at each activation.
    ConfiguratorController(ConfiguratorWindow& window, ConfiguratorSession& session, QtHost& host, QtShell& shell,
                           View& view, std::function<std::string()> portOverride);
    ~ConfiguratorController() override;

    // What an activation of the window does (also run by the window's show
    // and activation events).
    void Activate();

    // The commands of the window, for the menu and the buttons.
    void Read();
    bool Send();
    void SaveToFile(const std::string& path);
    void OpenFromFile(const std::string& path);
    void ExportMemory();
    void SaveOwnProfile();
    void SetTiltas(bool ticked);

    // The serial trace of the link's port: <start directory>/traces/
    // trace-<yyyymmdd-hhmmss>.txt. False with the reason shown when the file
    // cannot be made.
    bool StartTrace();
    void StopTrace();
    const SerialTrace& Trace() const { return trace_; }

    // The pages' rules as the window's events call them: a page or sub-page
    // became current (the page left before it is left first), and a
    // settings control was edited (true when the pages show the model again).
    void PageShown(const std::string& caption);
    bool SettingEdited(const std::string& key);
    // The number list grid shows the page's rows again.
    void ShowNumberGrid();
    // The SIM phonebook rows of the page.
    PhonebookGrid& Phonebook() { return phonebook_; }

    // The device told its firmware version since the program started.
    bool Identified() const { return identified_; }
    // The "RX" lamp is lit.
    bool RxLampLit() const { return lampLit_; }

    // File dialogs: tests replace them (an empty answer cancels).
    std::function<std::string()> AskSavePath;
    std::function<std::string()> AskOpenPath;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The pages show the model again (settings and the Contact ID grids).
    void ShowPages();
    void OnMenu(const QString& caption);
    void LampTick();
    void ShowError(const std::string& what, const std::string& reason);
    void WirePages();
    void WireNumberList();
    void ShowPhonebook();

    ConfiguratorWindow& window_;
    ConfiguratorSession& session_;
    QtHost& host_;
    QtShell& shell_;
    View& view_;
    ContactIdPageUi* cidPage_ = nullptr;
    std::function<std::string()> portOverride_;
    std::function<void()> previousReadFinished_;
    std::function<void()> previousIdentity_;
    std::function<void()> previousLoadDefaults_;
    std::function<void(int, const uint8_t*)> previousBlockReply_;
    std::map<std::string, std::string> currentPages_;  // parent caption ("" main) -> current page
    PhonebookGrid phonebook_;
    OwnProfile profile_;
    SerialTrace trace_;
    QTimer* lamp_;
    bool lampLit_ = false;
    int shownProgress_ = -1;
    int shownProgressMax_ = -1;
    bool active_ = false;        // activated, not left for another window since
    bool pruned_ = false;        // old backups removed this run
    bool identified_ = false;
};

}  // namespace morvane
