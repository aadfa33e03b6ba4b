#pragma once
// The core's window-free face. A core object (launcher, configurator, editor)
// keeps the state of its controls in a ControlSet keyed by the control's name
// (the widget's objectName in the Qt window). Messages and questions go out
// through View; opening and hiding windows through Shell. Hosts implement
// View and Shell; tests use recording fakes.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace morvane {

constexpr uint32_t kNoColor = 0xFFFFFFFFu;

// RGB as 0xRRGGBB.
constexpr uint32_t Rgb(unsigned r, unsigned g, unsigned b) { return (r << 16) | (g << 8) | b; }

struct ControlState {
    std::string text;                // caption or edit text
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    uint32_t color = kNoColor;       // background colour, kNoColor = default
    uint32_t fontColor = kNoColor;   // text colour, kNoColor = default
    int itemIndex = -1;              // selected item of a list, -1 none
    std::vector<std::string> items;  // items of a list or combo box
};

class ControlSet {
public:
    // Creates the control with default state on first use.
    ControlState& operator[](const std::string& name) { return controls_[name]; }
    const ControlState* Find(const std::string& name) const {
        auto it = controls_.find(name);
        return it == controls_.end() ? nullptr : &it->second;
    }
    bool Has(const std::string& name) const { return controls_.count(name) != 0; }
    const std::map<std::string, ControlState>& All() const { return controls_; }

    // Convenience setters that report the change.
    void SetText(const std::string& name, const std::string& text) { Change(name, [&](ControlState& c) { c.text = text; }); }
    void SetEnabled(const std::string& name, bool on) { Change(name, [&](ControlState& c) { c.enabled = on; }); }
    void SetVisible(const std::string& name, bool on) { Change(name, [&](ControlState& c) { c.visible = on; }); }
    void SetChecked(const std::string& name, bool on) { Change(name, [&](ControlState& c) { c.checked = on; }); }
    void SetColor(const std::string& name, uint32_t rgb) { Change(name, [&](ControlState& c) { c.color = rgb; }); }
    void SetFontColor(const std::string& name, uint32_t rgb) { Change(name, [&](ControlState& c) { c.fontColor = rgb; }); }
    void SetItemIndex(const std::string& name, int index) { Change(name, [&](ControlState& c) { c.itemIndex = index; }); }
    void SetItems(const std::string& name, std::vector<std::string> items) {
        Change(name, [&](ControlState& c) { c.items = std::move(items); });
    }

    template <typename F>
    void Change(const std::string& name, F&& f) {
        f(controls_[name]);
        if (OnChanged) OnChanged(name);
    }

    // Host side: called after every change with the control's name.
    std::function<void(const std::string&)> OnChanged;

private:
    std::map<std::string, ControlState> controls_;
};

// Messages and questions. Hosts show them as message boxes (GUI) or lines on
// standard error (command-line tool). A modal question must not stop the
// core's timers; hosts that cannot ask return the default.
class View {
public:
    virtual ~View() = default;
    virtual void Message(const std::string& text) = 0;
    // Yes/no question; returns true for yes.
    virtual bool Confirm(const std::string& text) { (void)text; return false; }
    // Text prompt; nullopt when cancelled.
    virtual std::optional<std::string> Prompt(const std::string& title, const std::string& text,
                                              const std::string& initial = {}) {
        (void)title; (void)text; (void)initial;
        return std::nullopt;
    }
};

// Windows of the fixed window set, named by class name ("TQ7Form1", "TWifi").
class Shell {
public:
    virtual ~Shell() = default;
    virtual void ShowWindow(const std::string& className) = 0;
    virtual void HideWindow(const std::string& className) = 0;
    // Modal windows return when closed.
    virtual void ShowModal(const std::string& className) = 0;
    virtual void OpenUrl(const std::string& url) { (void)url; }
    virtual void OpenDeviceManager() {}
    virtual void Quit() {}
};

// Records everything; the default for hosts without a window and for tests.
class RecordingView : public View {
public:
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    bool confirmAnswer = false;
    std::optional<std::string> promptAnswer;
    void Message(const std::string& text) override { messages.push_back(text); }
    bool Confirm(const std::string& text) override { questions.push_back(text); return confirmAnswer; }
    std::optional<std::string> Prompt(const std::string& title, const std::string& text,
                                      const std::string& initial) override {
        (void)initial;
        questions.push_back(title + ": " + text);
        return promptAnswer;
    }
};

class RecordingShell : public Shell {
public:
    std::vector<std::string> events;  // "show X", "hide X", "modal X", "url U", "devmgr", "quit"
    std::function<void(const std::string&)> onModal;  // runs while the modal window is "open"
    void ShowWindow(const std::string& c) override { events.push_back("show " + c); }
    void HideWindow(const std::string& c) override { events.push_back("hide " + c); }
    void ShowModal(const std::string& c) override {
        events.push_back("modal " + c);
        if (onModal) onModal(c);
    }
    void OpenUrl(const std::string& u) override { events.push_back("url " + u); }
    void OpenDeviceManager() override { events.push_back("devmgr"); }
    void Quit() override { events.push_back("quit"); }
};

}  // namespace morvane
