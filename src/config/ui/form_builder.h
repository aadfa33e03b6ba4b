#pragma once
// Building blocks of the configurator's pages: a registry of the pages,
// sub-pages and control keys of the window, and a small form builder that
// lays out captioned controls in a grid with their design values.
#include <QGridLayout>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <map>
#include <string>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;

namespace morvane {

// Pages, sub-pages and the extra control keys of the configurator window.
class PageRegistry {
public:
    struct Page {
        std::string caption;        // design caption ("Bemenet 2.", "Hangok")
        std::string parent;         // caption of the page holding it; empty for a main page
        std::vector<std::string> keys;  // control keys that show or hide it ("page:Bemenet 2.", "Panel57")
        QTabWidget* tabs = nullptr; // the page control holding it
        QWidget* page = nullptr;
        QAbstractButton* selector = nullptr;  // its menu button or selector panel (may be null)
        bool designVisible = true;
    };

    // Registers a page of a page control. Its keys: "page:<caption>" plus extra.
    Page& AddPage(const std::string& caption, const std::string& parent, QTabWidget* tabs, QWidget* page,
                  std::vector<std::string> extraKeys = {});
    std::vector<Page>& Pages() { return pages_; }
    const std::vector<Page>& Pages() const { return pages_; }
    Page* FindPage(const std::string& caption, const std::string& parent = std::string());
    // The pages that a key shows or hides.
    std::vector<Page*> PagesOfKey(const std::string& key);

    // A further key for controls that have an objectName ("voice:3", a caption
    // or a numbered caption such as "Szirénahang 2"). A change of the key is
    // passed on to each control.
    void AddAlias(const std::string& key, const std::string& objectName);
    // A caption seen on a control; captions that occur once become keys.
    void NoteCaption(const QString& caption, const std::string& objectName);
    // Turns the captions seen once into keys (called when all pages exist).
    void FinishCaptions();
    const std::multimap<std::string, std::string>& Aliases() const { return aliases_; }

private:
    std::vector<Page> pages_;
    std::multimap<std::string, std::string> aliases_;
    std::map<std::string, std::vector<std::string>> captions_;
};

// Lays out captioned controls in a two-column grid (caption, control); every
// control gets its objectName and its caption label the name + "Label".
class Form {
public:
    Form(QWidget* host, PageRegistry& registry);
    QGridLayout* Grid() { return grid_; }
    QWidget* Host() { return host_; }

    QLabel* Title(const QString& text, const char* name = nullptr);
    QLabel* Text(const char* name, const QString& text);
    QLineEdit* Edit(const char* name, const QString& caption, const QString& text, int maxLength = 32);
    QSpinBox* Spin(const char* name, const QString& caption, int value, int min, int max, int step = 1,
                   const QString& suffix = QString());
    QComboBox* Combo(const char* name, const QString& caption, const QStringList& items, int index,
                     bool editable = false);
    QCheckBox* Check(const char* name, const QString& caption, bool checked, bool enabled = true);
    QGroupBox* Radio(const char* name, const QString& caption, const QStringList& items, int index);
    QPushButton* Button(const char* name, const QString& caption);
    // An SMS and a call recipient list side by side; callName may be null.
    void Recipients(const char* smsName, const char* callName, bool enabled = true);
    // A widget spanning both columns.
    void Add(QWidget* w);
    void AddLayout(QLayout* l);
    void Stretch();

    // Caption label of a control created by this form (or null).
    QLabel* CaptionOf(const char* name) const;

private:
    QLabel* Caption(const char* name, const QString& caption);
    void Place(QLabel* caption, QWidget* control);

    QWidget* host_;
    PageRegistry& reg_;
    QGridLayout* grid_;
    int row_ = 0;
    std::map<std::string, QLabel*> captions_;
};

// A check list of the eight phone numbers ("Phone1".."Phone8").
QListWidget* MakeRecipientList(QWidget* parent, const char* name);

// Standard sizes of the pages, so that every page fits the window's default size.
constexpr int kFieldWidth = 190;

QString Utf(const char* s);

}  // namespace morvane
