#pragma once
// The settings pages of the configurator window: every page of the main page
// control with its controls, captions, design values and ranges, and the
// inner page controls with their selector panels.
#include <QHBoxLayout>
#include <QTabWidget>
#include <QWidget>

#include <string>
#include <vector>

#include "config/ui/form_builder.h"

class QPushButton;

namespace morvane {

// An inner page control whose tabs are hidden; a row of selector panels picks
// its sub-page.
struct InnerPages {
    std::string parent;
    QTabWidget* tabs = nullptr;
    QHBoxLayout* selectors = nullptr;
    QWidget* selectorRow = nullptr;
};

class PageFactory {
public:
    PageFactory(PageRegistry& registry, QTabWidget* mainPages);
    PageRegistry& Registry() { return reg_; }

    // A page of the main page control (a vertical layout inside).
    QWidget* MainPage(const std::string& caption, std::vector<std::string> extraKeys = {});
    // An inner page control with a selector row at the top of page.
    InnerPages Inner(QWidget* page, const std::string& parentCaption);
    // A sub-page of an inner page control and its selector panel.
    QWidget* SubPage(InnerPages& inner, const std::string& caption, const char* panelName,
                     const QString& panelCaption, std::vector<std::string> extraKeys = {});
    // A sub-page on a page control with visible tabs (GPS profiles, servers).
    QWidget* SubTab(QTabWidget* tabs, const std::string& parent, const std::string& caption,
                    std::vector<std::string> extraKeys = {});
    // A row of columns on a page; each column hosts one Form.
    static QHBoxLayout* Row(QWidget* page);
    static QWidget* Column(QHBoxLayout* row, int stretch = 0);

private:
    PageRegistry& reg_;
    QTabWidget* main_;
};

// The pages, in the order of the main page control.
void BuildSettingsPages(PageFactory& f);

// Design captions of the main pages in page order.
const std::vector<std::string>& MainPageCaptions();

// Menu buttons: name, caption and the page shown ("" for none).
struct MenuButtonInfo {
    const char* name;
    const char* caption;
    const char* page;
    bool visible;
};
const std::vector<MenuButtonInfo>& MenuButtons();

// Items of the input type choices.
const QStringList& InputTypes();

// The six option boxes of a reporting channel (best<n><bit>): the siren is on
// by design, the restore report only where restoreReport says so.
void ChannelOptions(Form& form, int n, bool restoreReport);

// Page builders (split across files).
void BuildBasicPages(PageFactory& f);     // Admin .. Kimenet, Be5..Be8
void BuildChannelPages(PageFactory& f);   // Hangok .. Nyitás/zárás

}  // namespace morvane
