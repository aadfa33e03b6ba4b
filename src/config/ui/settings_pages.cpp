#include "config/ui/settings_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace morvane {

namespace {

QString N(const char* prefix, int n, const char* suffix = "") {
    return QString::fromUtf8(prefix) + QString::number(n) + QString::fromUtf8(suffix);
}

std::string S(const QString& s) { return s.toStdString(); }

}  // namespace

// ---------------------------------------------------------------- factory

namespace {
// A page that has a control name of its own ("TabSheet26") carries it.
void NameAfterKeys(QWidget* page, const std::vector<std::string>& keys) {
    for (const std::string& k : keys)
        if (k.rfind("TabSheet", 0) == 0) page->setObjectName(QString::fromStdString(k));
}
}  // namespace

PageFactory::PageFactory(PageRegistry& registry, QTabWidget* mainPages) : reg_(registry), main_(mainPages) {}

QWidget* PageFactory::MainPage(const std::string& caption, std::vector<std::string> extraKeys) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    main_->addTab(page, QString::fromStdString(caption));
    NameAfterKeys(page, extraKeys);
    reg_.AddPage(caption, std::string(), main_, page, std::move(extraKeys));
    return page;
}

InnerPages PageFactory::Inner(QWidget* page, const std::string& parentCaption) {
    InnerPages inner;
    inner.parent = parentCaption;
    inner.selectorRow = new QWidget(page);
    inner.selectors = new QHBoxLayout(inner.selectorRow);
    inner.selectors->setContentsMargins(0, 0, 0, 0);
    inner.selectors->setSpacing(3);
    inner.tabs = new QTabWidget(page);
    inner.tabs->tabBar()->hide();
    inner.tabs->setDocumentMode(true);
    auto* layout = qobject_cast<QVBoxLayout*>(page->layout());
    layout->addWidget(inner.selectorRow);
    layout->addWidget(inner.tabs, 1);
    return inner;
}

QWidget* PageFactory::SubPage(InnerPages& inner, const std::string& caption, const char* panelName,
                              const QString& panelCaption, std::vector<std::string> extraKeys) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    inner.tabs->addTab(page, QString::fromStdString(caption));
    NameAfterKeys(page, extraKeys);
    auto* panel = new QPushButton(panelCaption, inner.selectorRow);
    panel->setObjectName(QString::fromUtf8(panelName));
    panel->setFlat(true);
    panel->setAutoFillBackground(true);
    panel->setMinimumHeight(40);
    panel->setMinimumWidth(60);
    panel->setToolTip(panelCaption);
    inner.selectors->addWidget(panel, 1);
    extraKeys.push_back(panelName);
    PageRegistry::Page& p = reg_.AddPage(caption, inner.parent, inner.tabs, page, std::move(extraKeys));
    p.selector = panel;
    return page;
}

QWidget* PageFactory::SubTab(QTabWidget* tabs, const std::string& parent, const std::string& caption,
                             std::vector<std::string> extraKeys) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    tabs->addTab(page, QString::fromStdString(caption));
    reg_.AddPage(caption, parent, tabs, page, std::move(extraKeys));
    return page;
}

QHBoxLayout* PageFactory::Row(QWidget* page) {
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    qobject_cast<QVBoxLayout*>(page->layout())->addLayout(row, 1);
    return row;
}

QWidget* PageFactory::Column(QHBoxLayout* row, int stretch) {
    auto* w = new QWidget;
    row->addWidget(w, stretch, Qt::AlignTop);
    return w;
}

// ---------------------------------------------------------------- tables

const std::vector<std::string>& MainPageCaptions() {
    static const std::vector<std::string> captions = {
        "Admin",   "Alapadatok", "Telefonszámok", "Bejövő telefoszámok", "Bemenetek", "Kimenet",
        "Be5",     "Be6",        "Be7",           "Be8",                 "Hangok",    "Tápmonitor",
        "Életjel", "Egyéb",      "Hőméséklet",    "GPS",                 "Sebesség",  "Emelés",
        "CID/SMS", "Távfelügyelet", "Vonalszimulátor", "Anti-Jammer",    "Nyitás/zárás", "TabSheet42"};
    return captions;
}

const std::vector<MenuButtonInfo>& MenuButtons() {
    static const std::vector<MenuButtonInfo> buttons = {
        {"MENUSEL1", "Alapadatok - 1", "Alapadatok", true},
        {"MENUSEL2", "Telefonszámok - 2", "Telefonszámok", true},
        {"MENUSEL3", "Vezérlő telefonszámok - 3", "Bejövő telefoszámok", true},
        {"MENUSEL4", "Bemenetek - 4", "Bemenetek", true},
        {"MENUSEL5", "Kimenetek - 5", "Kimenet", true},
        {"MENUSEL6", "Hangok - 6", "Hangok", true},
        {"MENUSEL7", "CID/SMS", "CID/SMS", false},
        {"MENUSEL8", "Tápmonitor - 8", "Tápmonitor", true},
        {"MENUSEL9", "Életjel küldés - 9", "Életjel", true},
        {"MENUSEL10", "Távfelügyelet - 10", "Távfelügyelet", true},
        {"MENUSEL11", "", "", false},
        {"MENUSEL12", "Élesit / Hatástalanit -12", "Nyitás/zárás", true},
        {"MENUSEL13", "Egyeb - 13", "Egyéb", true},
        {"MENUSEL14", "Vonalszimulator - 14", "Vonalszimulátor", true},
    };
    return buttons;
}

const QStringList& InputTypes() {
    static const QStringList items = {Utf("00/ Nem használt"),         Utf("01/ 24h normál bemenet"),
                                      Utf("02/ Központi bemenet"),     Utf("03/ Központi késl. bemenet"),
                                      Utf("04/ Késletetet bemenet"),   Utf("05/ Ki/be kapcsolás")};
    return items;
}

// ---------------------------------------------------------------- pages

namespace {

void BuildAdmin(PageFactory& f) {
    QWidget* page = f.MainPage("Admin");
    QWidget* col = PageFactory::Column(PageFactory::Row(page));
    Form form(col, f.Registry());
    form.Title(Utf("Szerviz eszközök"));
    form.Button("AdminSave", Utf("Mentés fájlba"));
    form.Button("AdminOpen", Utf("Megnyitás fájlból"));
    form.Button("MemoryLoad", Utf("Memory load"));
    form.Button("EraseChip", Utf("Erase CHIP 25Q32"));
    QCheckBox* cid = form.Check("CheckBox14", Utf("Contact ID tábla küldése/olvasása"), true);
    cid->hide();
    // Sound and test buttons kept for service use.
    QPushButton* sound = form.Button("AdminSoundAll", Utf("SOUNDall"));
    sound->hide();
    QPushButton* test = form.Button("AdminTest", Utf("Test"));
    test->hide();
    // Hidden endpoint fields and the preset choice.
    QLineEdit* host = form.Edit("Edit10", Utf("Host:"), QString(), 63);
    QLineEdit* addr = form.Edit("Edit11", Utf("Cím:"), QString(), 45);
    QComboBox* preset = form.Combo("ComboBox14", Utf("Preset:"), {QString(), Utf("Preset 1")}, 0);
    for (QWidget* w : std::initializer_list<QWidget*>{host, addr, preset}) w->hide();
    for (const char* n : {"Edit10", "Edit11", "ComboBox14"})
        if (QLabel* l = form.CaptionOf(n)) l->hide();
    form.Stretch();
}

void BuildCustomer(PageFactory& f) {
    QWidget* page = f.MainPage("Alapadatok");
    QWidget* col = PageFactory::Column(PageFactory::Row(page), 1);
    Form form(col, f.Registry());
    form.Title(Utf("Ügyfél adatok"));
    const char* captions[] = {"Ügyfél név:", "Telepítési cím:", "GSM telefonszám:", "Riasztóközpont típusa:",
                              "GSM átjelző típusa:", "Telepítés dátuma:"};
    for (int i = 0; i < 6; ++i) {
        QLineEdit* e = form.Edit(S(N("Edit", i + 2)).c_str(), Utf(captions[i]), QString(), 128);
        e->setMinimumWidth(420);
    }
    form.Stretch();
}

void BuildPhoneNumbers(PageFactory& f) {
    QWidget* page = f.MainPage("Telefonszámok");
    QWidget* col = PageFactory::Column(PageFactory::Row(page));
    Form form(col, f.Registry());
    form.Title(Utf("Telefonszámok"));
    for (int i = 1; i <= 8; ++i) {
        QLineEdit* e = form.Edit(S(N("MaskEdit", i)).c_str(), N("Telefonszám ", i, ":"), QString(), 16);
        // One optional digit or sign, then fifteen optional digits; blanks are spaces.
        e->setInputMask(QStringLiteral("#999999999999999; "));
        e->setText(QString(16, QLatin1Char(' ')));
        e->setContextMenuPolicy(Qt::CustomContextMenu);
    }
    form.Stretch();
}

QTableWidget* Grid(QWidget* parent, const char* name, int rows, const QStringList& headers) {
    auto* t = new QTableWidget(rows, static_cast<int>(headers.size()), parent);
    t->setObjectName(QString::fromUtf8(name));
    t->setHorizontalHeaderLabels(headers);
    t->verticalHeader()->setDefaultSectionSize(20);
    t->verticalHeader()->setMinimumWidth(34);
    t->horizontalHeader()->setStretchLastSection(true);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    return t;
}

QProgressBar* Progress(QWidget* parent, const char* name) {
    auto* p = new QProgressBar(parent);
    p->setObjectName(QString::fromUtf8(name));
    p->setRange(0, 100);
    p->setValue(0);
    p->hide();
    return p;
}

void BuildIncoming(PageFactory& f) {
    QWidget* page = f.MainPage("Bejövő telefoszámok");
    InnerPages inner = f.Inner(page, "Bejövő telefoszámok");
    PageRegistry& reg = f.Registry();

    // Incoming number list.
    {
        QWidget* sub = f.SubPage(inner, "Saját memóriás", "Panel62", Utf("Saját memóriás"));
        QHBoxLayout* row = PageFactory::Row(sub);
        auto* left = new QWidget;
        row->addWidget(left, 1);
        auto* lv = new QVBoxLayout(left);
        lv->setContentsMargins(0, 0, 0, 0);
        auto* number = new QLabel(Utf("Number: "), left);
        number->setObjectName(QStringLiteral("LabelNumber"));
        lv->addWidget(number);
        QTableWidget* grid = Grid(left, "NumberGrid", 1000, {Utf("Telefonszám"), Utf("Név")});
        grid->setColumnWidth(0, 150);
        lv->addWidget(grid, 1);
        QProgressBar* progress = Progress(left, "NumberListProgress");
        lv->addWidget(progress);

        QWidget* right = PageFactory::Column(row);
        Form form(right, reg);
        const char* boxes[] = {"OUT1 Control", "OUT2 Control", "OUT3 Control", "OUT4 Control",
                               "Open/Close",   "Voice menu / no code", "Direct DTMF Control"};
        for (int i = 0; i < 7; ++i) form.Check(S(N("CONTR", i + 1)).c_str(), Utf(boxes[i]), false);
        form.Combo("CONTR20", QString(),
                   {Utf("Everytime enabled"), Utf("Time Zona1"), Utf("Time Zona2"), Utf("Time Zona3")}, 0);
        form.Check("CONTR22", Utf("IN4 Everytime Disabled"), false);
        form.Check("CONTR23", Utf("IN3 Everytime Enabled"), false, false);
        form.Button("ButtonCopyAll", Utf("Copy Setting all phone number"));
        auto* search = new QHBoxLayout;
        auto* searchEdit = new QLineEdit(right);
        searchEdit->setObjectName(QStringLiteral("EditSearch"));
        auto* searchButton = new QPushButton(Utf("Keresés"), right);
        searchButton->setObjectName(QStringLiteral("ButtonSearch"));
        search->addWidget(searchEdit, 1);
        search->addWidget(searchButton);
        form.AddLayout(search);
        auto* rw = new QHBoxLayout;
        auto* read = new QPushButton(Utf("Olvasás"), right);
        read->setObjectName(QStringLiteral("ListRead"));
        auto* write = new QPushButton(Utf("Írás"), right);
        write->setObjectName(QStringLiteral("ListWrite"));
        for (QPushButton* b : {read, write}) {
            b->setAutoFillBackground(true);
            b->setMinimumHeight(30);
            rw->addWidget(b);
        }
        form.AddLayout(rw);
        auto* files = new QHBoxLayout;
        auto* save = new QPushButton(Utf("Fájlba mentés"), right);
        save->setObjectName(QStringLiteral("ListSaveFile"));
        auto* load = new QPushButton(Utf("Fájlból betöltés"), right);
        load->setObjectName(QStringLiteral("ListLoadFile"));
        files->addWidget(save);
        files->addWidget(load);
        form.AddLayout(files);
        form.Stretch();
    }
    // SIM phonebook.
    {
        const std::string caption = "SIM kártya számok (kompatibilitás régi modulokkal)";
        QWidget* sub = f.SubPage(inner, caption, "Panel63", Utf("SIM kártya számok\n(kompatibilitás régi modulokkal)"));
        QHBoxLayout* row = PageFactory::Row(sub);
        QTableWidget* grid = Grid(sub, "SimGrid", 11, {Utf("SIM"), Utf("Telefonszám"), Utf("Név")});
        grid->setColumnWidth(0, 60);
        grid->setColumnWidth(1, 170);
        row->addWidget(grid, 1);
        QWidget* right = PageFactory::Column(row);
        Form form(right, reg);
        form.Button("ButtonAddRow", Utf("Új sor hozzáadása"));
        form.Button("ButtonSimRead", Utf("Kiolvasás"));
        form.Button("ButtonSimWrite", Utf("Feltöltés"))->setEnabled(false);
        form.Button("SimSaveFile", Utf("Fájlba mentés"));
        form.Button("SimLoadFile", Utf("Fájlból betöltés"));
        form.Add(Progress(right, "SimProgress"));
        form.Stretch();
    }
    // Time zones.
    {
        QWidget* sub = f.SubPage(inner, "Time Zona", "Panel64", Utf("Time Zona"));
        QHBoxLayout* row = PageFactory::Row(sub);
        for (int z = 1; z <= 3; ++z) {
            QWidget* col = PageFactory::Column(row);
            Form form(col, reg);
            form.Title(N("Zona", z));
            form.Spin(S(N("Tzona", z, "hour")).c_str(), Utf("Kezdés óra:"), 8, 0, 23);
            form.Spin(S(N("Tzona", z, "min")).c_str(), Utf("Kezdés perc:"), 0, 0, 55, 5);
            form.Spin(S(N("Tzona", z, "hour2")).c_str(), Utf("Vége óra:"), 16, 0, 23);
            form.Spin(S(N("Tzona", z, "min2")).c_str(), Utf("Vége perc:"), 5, 0, 55, 5);
        }
        row->addStretch(1);
    }
}

// One input channel (inputs 1..4 and tamper) on its sub-page.
void InputChannel(QWidget* sub, PageRegistry& reg, int n, const char* textName, const QString& text) {
    QHBoxLayout* row = PageFactory::Row(sub);
    QWidget* left = PageFactory::Column(row);
    QWidget* right = PageFactory::Column(row, 1);
    Form a(left, reg);
    a.Combo(S(N("ComboBox", n)).c_str(), Utf("Bemenet Típusa:"), InputTypes(), 1);
    a.Radio(S(N("BE", n, "inv")).c_str(), QString(), {Utf("Alaphelyzetben zárt"), Utf("Alaphelyzetben nyitott")},
            0);
    a.Edit(textName, Utf("SMS szöveg:"), text, 32);
    a.Recipients(S(N("SMSst", n)).c_str(), S(N("VOICEst", n)).c_str());
    a.Stretch();
    Form b(right, reg);
    b.Title(Utf("Beállítások"));
    ChannelOptions(b, n, false);
    if (n == 1) b.Check("CheckEgyeb2_0", Utf("Automatikus riasztás bekapcsoláskor"), false);
    auto* speaker = new QPushButton(Utf("\u266B Hangüzenet"), right);
    speaker->setObjectName(QStringLiteral("Speaker%1").arg(n));
    speaker->setToolTip(Utf("Hangok"));
    speaker->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    b.Add(speaker);
    b.Stretch();
}

void BuildInputs(PageFactory& f) {
    QWidget* page = f.MainPage("Bemenetek");
    InnerPages inner = f.Inner(page, "Bemenetek");
    PageRegistry& reg = f.Registry();
    const char* textNames[] = {"riasztas", "riasztas2", "riasztas3", "riasztas4"};
    for (int n = 1; n <= 4; ++n) {
        const std::string caption = "Bemenet " + std::to_string(n) + ".";
        QWidget* sub = f.SubPage(inner, caption, S(N("Panel", 55 + n)).c_str(), QString::fromStdString(caption));
        InputChannel(sub, reg, n, textNames[n - 1], N("", n, " bemenet riasztas"));
    }
    QWidget* tamper = f.SubPage(inner, "Tamper", "Panel60", Utf("Tamper"));
    InputChannel(tamper, reg, 9, "riasztas9", Utf("Belső szabotázs riasztás"));

    QWidget* more = f.SubPage(inner, "More settings", "Panel61", Utf("More settings"));
    QHBoxLayout* row = PageFactory::Row(more);
    Form a(PageFactory::Column(row), reg);
    a.Spin("SpinEdit15", Utf("Belépési késleltetés:"), 30, 2, 255);
    a.Spin("SpinEdit16", Utf("Kilépési késleltetés:"), 60, 2, 255);
    a.Edit("Edit8", Utf("Bemenet visszaállás szöveg:"), Utf("Visszaallas:"), 32);
    a.Spin("SpinEdit4", Utf("Csöngetési idő [mp.]:"), 30, 3, 180);
    a.Spin("SpinEdit5", Utf("Max. hivásismétlések száma:"), 50, 1, 180);
    a.Spin("SpinEdit18", Utf("Max beszélgetési idő:"), 90, 1, 255);
    a.Check("CheckEgyeb1", Utf("Körhívás funció"), false);
    a.Spin("SpinEdit21", Utf("Time between calls:"), 0, 0, 255);
    a.Spin("SpinEdit22", Utf("Time between round calls:"), 0, 0, 255);
    a.Stretch();
    row->addStretch(1);
}

const QStringList& OutputTypes() {
    static const QStringList items = {Utf("Egyállapotú időzített (MONO)"), Utf("Kétállapotú (BI)"),
                                      Utf("Élesítés a kimeneten"),         Utf("GSM hiba"),
                                      Utf("Sikertelen SMS"),               Utf("PSTN Hiba")};
    return items;
}

void BuildOutputs(PageFactory& f) {
    QWidget* page = f.MainPage("Kimenet");
    InnerPages inner = f.Inner(page, "Kimenet");
    inner.selectorRow->setObjectName(QStringLiteral("OutputChooser"));
    PageRegistry& reg = f.Registry();
    for (int n = 1; n <= 4; ++n) {
        QWidget* sub = f.SubPage(inner, "OUT" + std::to_string(n), S(N("Panel", 50 + n)).c_str(), N("OUT", n));
        QHBoxLayout* row = PageFactory::Row(sub);
        Form a(PageFactory::Column(row), reg);
        a.Title(N("OUT", n));
        a.Combo(S(N("ComboKi", n)).c_str(), Utf("Kimenet típusa:"), OutputTypes(), n == 1 ? 2 : 0);
        QSpinBox* time = a.Spin(S(N("SpinKI", n)).c_str(), Utf("Idő:"), 3, 1, n == 1 ? 65000 : 65535);
        QComboBox* unit = a.Combo(S(N("KI", n, "SECMIN")).c_str(), QString(), {Utf("Sec"), Utf("Min")}, 0);
        unit->setMinimumWidth(90);
        if (n == 1) {
            time->setEnabled(false);
            unit->setEnabled(false);
        }
        a.Check(S(N("CheckBox1KI", n)).c_str(), Utf("Bejövő híváskor vezérlés"), n == 1);
        a.Check(S(N("CheckBox2KI", n)).c_str(), Utf("Riasztáskor vezérlés"), false);
        a.Check(S(N("CheckBox3KI", n)).c_str(), Utf("Hivószámazonosítással vezérlés"), n == 1, n == 1);
        if (n == 1) a.Check("CheckBox5KI1", Utf("SMS sending, output change"), false);
        if (n == 2) {
            a.Check("CheckEgyeb2_7", Utf("Halvoret call active"), false)->hide();
            a.Button("TestCall", Utf("Test CALL"))->hide();
        }
        a.Button(S(N("TestKI", n)).c_str(), Utf("Teszt"));
        a.Stretch();
        row->addStretch(1);
    }
    QWidget* more = f.SubPage(inner, "More settings", "Panel55", Utf("More settings"),
                              {"TabSheet26", "page:TabSheet26"});
    // The inputs' "More settings" owns the plain key.
    if (PageRegistry::Page* p = reg.FindPage("More settings", "Kimenet")) p->keys[0] = "page:Kimenet/More settings";
    QHBoxLayout* row = PageFactory::Row(more);
    Form a(PageFactory::Column(row), reg);
    QComboBox* panel = a.Combo("ComboBox15", Utf("Bővítőpanel típusa"),
                               {Utf("Kimeneti bővítő panel"), Utf("Központi bővítő panel"), Utf("BUS bővítő")}, -1);
    reg.AddAlias("ExtensionPanelType", "ComboBox15");
    reg.AddAlias("ExtensionPanelType", "ComboBox15Label");
    (void)panel;
    a.Check("CheckBox12", Utf("Élesítés impulzussal"), false, false);
    a.Check("CheckBox2", Utf("SMS and CALL"), false, false);
    a.Check("CheckOutputSave", Utf("Kimenet mentése memóriába"), false)->hide();
    a.Stretch();
    row->addStretch(1);
}

void BuildExtraInputs(PageFactory& f) {
    for (int n = 5; n <= 8; ++n) {
        QWidget* page = f.MainPage("Be" + std::to_string(n), {"page:Bemenet " + std::to_string(n) + "."});
        QHBoxLayout* row = PageFactory::Row(page);
        Form a(PageFactory::Column(row), f.Registry());
        a.Title(N("Bemenet ", n, "."));
        a.Combo(S(N("Be", n, "Type")).c_str(), Utf("Bemenet Típusa:"), InputTypes(), 0);
        a.Edit(S(N("Be", n, "Text")).c_str(), Utf("SMS szöveg:"), N("", n, " bemenet riasztas"), 32);
        a.Recipients(S(N("Be", n, "Sms")).c_str(), S(N("Be", n, "Voice")).c_str());
        a.Stretch();
        row->addStretch(1);
    }
}

}  // namespace

void ChannelOptions(Form& form, int n, bool restoreReport) {
    const char* caps[] = {"Visszaállásról is SMS/hívás", "Szirénahang", "Hangüzenet küldése",
                          "Távfelügyelet értesítés", "Híváskor nem kell felvenni!", "DTMF nyugtázás híváskor"};
    const int bits[] = {1, 3, 4, 5, 6, 7};
    for (int i = 0; i < 6; ++i) {
        const bool on = bits[i] == 3 || (bits[i] == 1 && restoreReport);
        form.Check(S(N("best", n * 10 + bits[i])).c_str(), Utf(caps[i]), on);
    }
}

void BuildBasicPages(PageFactory& f) {
    BuildAdmin(f);
    BuildCustomer(f);
    BuildPhoneNumbers(f);
    BuildIncoming(f);
    BuildInputs(f);
    BuildOutputs(f);
    BuildExtraInputs(f);
}

void BuildSettingsPages(PageFactory& f) {
    BuildBasicPages(f);
    BuildChannelPages(f);
    f.Registry().FinishCaptions();
}

}  // namespace morvane
