// The channel pages of the configurator: voice slots, power monitor,
// heartbeat, other options, temperature, GPS, speed, lift, the Contact ID
// tables, remote monitoring, the line simulator and opening/closing.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "config/ui/settings_pages.h"

namespace morvane {

namespace {

QString N(const char* prefix, int n, const char* suffix = "") {
    return QString::fromUtf8(prefix) + QString::number(n) + QString::fromUtf8(suffix);
}

std::string S(const QString& s) { return s.toStdString(); }

QWidget* Named(QWidget* w, const QString& name) {
    w->setObjectName(name);
    return w;
}

// ---------------------------------------------------------------- Hangok

void BuildSounds(PageFactory& f) {
    QWidget* page = f.MainPage("Hangok");
    PageRegistry& reg = f.Registry();
    auto* box = new QWidget(page);
    qobject_cast<QVBoxLayout*>(page->layout())->addWidget(box);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setVerticalSpacing(6);
    auto* title = new QLabel(Utf("Hangüzenetek"), box);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    grid->addWidget(title, 0, 0, 1, 6);
    struct Slot {
        const char* field;
        const char* caption;
    };
    const Slot voiceSlots[] = {{"Edit16", "Azonosító üzenet:"}, {"Edit9", "Bemenet 1:"}, {"Edit13", "Bemenet 2:"},
                          {"Edit14", "Bemenet 3:"},        {"Edit15", "Bemenet 4:"}, {"Edit20", "Tápfesz.:"},
                          {"Edit19", "Tamper:"}};
    for (int i = 0; i < 7; ++i) {
        const int n = i + 1;
        const int r = n;
        auto* label = new QLabel(Utf(voiceSlots[i].caption), box);
        Named(label, N("VoiceLabel", n));
        auto* field = new QLineEdit(box);
        Named(field, Utf(voiceSlots[i].field));
        field->setReadOnly(true);
        field->setMinimumWidth(260);
        field->setPlaceholderText(Utf("WAV fájl..."));
        auto* send = new QPushButton(Utf("Feltöltés"), box);
        Named(send, N("VoiceSend", n));
        auto* play = new QPushButton(Utf("\u25B6"), box);
        Named(play, N("VoicePlay", n));
        play->setToolTip(Utf("Lejátszás"));
        auto* stop = new QPushButton(Utf("\u25A0"), box);
        Named(stop, N("VoiceStop", n));
        stop->setToolTip(Utf("Stop"));
        auto* rec = new QPushButton(Utf("\u25CF"), box);
        Named(rec, N("VoiceRec", n));
        rec->setToolTip(Utf("Felvétel"));
        for (QPushButton* b : {play, stop, rec}) b->setFixedWidth(36);
        grid->addWidget(label, r, 0);
        grid->addWidget(field, r, 1);
        grid->addWidget(send, r, 2);
        grid->addWidget(play, r, 3);
        grid->addWidget(stop, r, 4);
        grid->addWidget(rec, r, 5);
        const std::string key = "voice:" + std::to_string(n);
        for (QWidget* w : std::initializer_list<QWidget*>{label, field, send, play, stop, rec})
            reg.AddAlias(key, w->objectName().toStdString());
    }
    grid->setColumnStretch(1, 1);
    auto* countdown = new QLabel(QStringLiteral("16"), box);
    Named(countdown, QStringLiteral("LabelCountdown"));
    QFont big = countdown->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    countdown->setFont(big);
    countdown->hide();
    grid->addWidget(countdown, 1, 6, 2, 1);

    QWidget* col = PageFactory::Column(PageFactory::Row(page));
    Form form(col, reg);
    form.Check("CheckEgyeb7", Utf("Azonosító üzenet lejátszása az esemény üzenet előtt"), false);
    auto* buttons = new QHBoxLayout;
    auto* writeAll = new QPushButton(Utf("Write ALL"), col);
    Named(writeAll, QStringLiteral("ButtonWriteAll"));
    auto* readAll = new QPushButton(Utf("Read ALL"), col);
    Named(readAll, QStringLiteral("ButtonReadAll"));
    auto* menu = new QPushButton(Utf("Voice_MENU_download"), col);
    Named(menu, QStringLiteral("HANG_SEND"));
    buttons->addWidget(writeAll);
    buttons->addWidget(readAll);
    buttons->addWidget(menu);
    buttons->addStretch(1);
    form.AddLayout(buttons);
    auto* progress = new QProgressBar(col);
    Named(progress, QStringLiteral("SoundProgress"));
    progress->hide();
    form.Add(progress);
    form.Stretch();
}

// ---------------------------------------------------------------- channels

// The head of a single-channel page's first column: its title, the input
// type choice ComboBox<n> and the polarity box CheckBox<n>.
void ChannelHead(Form& a, int n, const char* title, int type, const char* polarity, bool polarityChecked) {
    a.Title(Utf(title));
    a.Combo(S(N("ComboBox", n)).c_str(), Utf("Bemenet Típusa:"), InputTypes(), type);
    a.Check(S(N("CheckBox", n)).c_str(), Utf(polarity), polarityChecked);
}

// A reporting channel: type, SMS text, recipient lists, boxes.
void BuildPower(PageFactory& f) {
    QWidget* page = f.MainPage("Tápmonitor");
    PageRegistry& reg = f.Registry();
    QHBoxLayout* row = PageFactory::Row(page);
    Form a(PageFactory::Column(row), reg);
    ChannelHead(a, 10, "Tápfeszültség figyelés", 1, "Normál működés", true);
    a.Edit("riasztas10", Utf("SMS szöveg:"), Utf("Belso taphiba riasztas"), 32);
    a.Recipients("SMSst10", "VOICEst10");
    const QStringList volts = {Utf("7V"),  Utf("8V"),    Utf("9V"),  Utf("9,5V"),  Utf("10V"), Utf("10,5V"),
                               Utf("11V"), Utf("11,5V"), Utf("12V"), Utf("12,5V"), Utf("13V")};
    a.Combo("ComboBox20", Utf("Riasztási feszültség érték:"), volts, 6);
    reg.AddAlias("AlarmVoltage", "ComboBox20");
    a.Stretch();
    Form b(PageFactory::Column(row, 1), reg);
    b.Title(Utf("Beállítások"));
    ChannelOptions(b, 10, true);
    auto* speaker = new QPushButton(Utf("\u266B Hangüzenet"), page);
    Named(speaker, QStringLiteral("Speaker10"));
    speaker->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    b.Add(speaker);
    b.Stretch();
}

void BuildHeartbeat(PageFactory& f) {
    QWidget* page = f.MainPage("Életjel");
    PageRegistry& reg = f.Registry();
    QHBoxLayout* row = PageFactory::Row(page);
    Form a(PageFactory::Column(row), reg);
    a.Title(Utf("Életjel küldés"));
    a.Check("CheckBox11", Utf("Életjel küldés"), false)->hide();
    a.Spin("SpinEdit1", Utf("naponként"), 7, 1, 255)->setEnabled(false);
    a.Spin("SpinEdit2", Utf("órakor küldés"), 12, 0, 23)->setEnabled(false);
    a.Spin("SpinEdit3", Utf("nap múlva az első"), 0, 0, 255)->setEnabled(false);
    a.Edit("riasztas11", Utf("SMS szöveg:"), Utf("Eletjel kuldes, minden rendben.."), 32);
    a.Recipients("SMSst11", nullptr);
    a.Check("checkegyeb2_5", Utf("Hanghívás 1. telefonszámra"), false);
    a.Button("TestElet", Utf("Teszt"));
    a.Stretch();
    row->addStretch(1);
}

void BuildOther(PageFactory& f) {
    QWidget* page = f.MainPage("Egyéb");
    InnerPages inner = f.Inner(page, "Egyéb");
    PageRegistry& reg = f.Registry();
    QStringList levels;
    for (int i = 1; i <= 9; ++i) levels << QString::number(i);
    {
        QWidget* sub = f.SubPage(inner, "Kódok, jelszintek", "Panel69", Utf("Kódok, jelszintek"));
        QHBoxLayout* row = PageFactory::Row(sub);
        Form a(PageFactory::Column(row), reg);
        a.Edit("Edit30", Utf("PC biztonsági kód:"), QString(), 16);
        a.Combo("ComboBox17", Utf("Jelszint TX:"), levels, 3);
        a.Combo("ComboBox16", Utf("Jelszint RX:"), levels + QStringList{QStringLiteral("10")}, 4);
        a.Check("checkegyeb2_4", Utf("Hangmenü letiltása"), false);
        a.Check("checkegyeb2_3", Utf("SIM kártya összes telefonszám tiltva"), true);
        a.Check("CheckEgyeb3_0", Utf("LTE Disable (compatible with DTMF)"), false);
        a.Check("CheckEgyeb3", Utf("Opció 3"), false)->hide();
        a.Check("CheckEgyeb4", Utf("Opció 4"), false)->hide();
        a.Check("CheckEgyeb5", Utf("Opció 5"), false)->hide();
        a.Check("CheckEgyeb6", Utf("Opció 6"), false)->hide();
        a.Stretch();
        row->addStretch(1);
    }
    {
        QWidget* sub = f.SubPage(inner, "SMS beállítások", "Panel70", Utf("SMS beállítások"));
        QHBoxLayout* row = PageFactory::Row(sub);
        Form a(PageFactory::Column(row), reg);
        QLineEdit* header = a.Edit("Edit12", Utf("SMS fejléc:"), QString(), 120);
        header->setMinimumWidth(360);
        a.Text("LabelHeaderLeft", QStringLiteral("120"));
        a.Edit("Edit1", Utf("SMS biztonsági kód:"), QStringLiteral("5382"), 4);
        a.Check("CheckEgyeb2", Utf("SMS átírányítás"), false);
        QStringList phones;
        for (int i = 1; i <= 8; ++i) phones << QStringLiteral("Phone%1").arg(i);
        a.Combo("ComboBox11", Utf("Cél:"), phones, 0)->setEnabled(false);
        a.Spin("SMSnap", Utf("Napi SMS limit:"), 30, 0, 255);
        a.Spin("SMSmax", Utf("Hiba esetén max próba :"), 4, 2, 250);
        a.Check("SMSlong", Utf("Extended waiting time for SMS confirmation (5min)"), false);
        a.Combo("ComboBox12", Utf("Digitális bemenet szűrő/érzékenység"),
                {Utf("Kikapcsolva"), Utf("Alacsony"), Utf("Normál"), Utf("Közepes"), Utf("Erős"), Utf("Erős2")}, 2);
        a.Stretch();
        row->addStretch(1);
    }
    {
        QWidget* sub = f.SubPage(inner, "Jammer", "Panel71", Utf("Jammer detektálás"));
        QHBoxLayout* row = PageFactory::Row(sub);
        Form a(PageFactory::Column(row), reg);
        a.Edit("riasztas15", Utf("SMS szöveg:"), Utf("Riasztas, JAMMER detect"), 32);
        a.Recipients("SMSst15", "VOICEst15");
        a.Stretch();
        Form b(PageFactory::Column(row, 1), reg);
        b.Check("best153", Utf("Szirénahang"), true);
        b.Check("best155", Utf("Távfelügyelet értesítés"), false, false);
        b.Check("JammerKI1", Utf("Kimenet1 vezérlése"), false);
        b.Check("jammerKI2", Utf("Kimenet2 vezérlése"), false);
        b.Stretch();
    }
}

void BuildTemperature(PageFactory& f) {
    QWidget* page = f.MainPage("Hőméséklet");
    PageRegistry& reg = f.Registry();
    QHBoxLayout* row = PageFactory::Row(page);
    Form a(PageFactory::Column(row), reg);
    ChannelHead(a, 13, "Hőmérséklet riasztás", 1, "Invertált működés", false);
    a.Check("hkompmax", Utf("Max hőméséklet"), false, false);
    a.Spin("SpinEdit6", Utf("Max [°C]:"), 0, 0, 120)->setEnabled(false);
    a.Edit("riasztas13", Utf("SMS szöveg (max):"), Utf("Homeseklet riasztas max"), 32);
    a.Check("hkompmin", Utf("Min hőméséklet"), false, false);
    a.Spin("SpinEdit7", Utf("Min [°C]:"), 0, 0, 120)->setEnabled(false);
    a.Edit("riasztas14", Utf("SMS szöveg (min):"), Utf("Homeseklet riasztas min"), 32);
    a.Stretch();
    Form b(PageFactory::Column(row, 1), reg);
    b.Recipients("SMSst13", "VOICEst13");
    b.Check("best131", Utf("Visszaállásról is SMS/hívás"), false);
    b.Stretch();
}

struct Profile {
    int gps, fix, gsm;
    bool motion;
    int gprs, log, dist, heading, speed;
    bool gsmOff;
};

// Design values of the sixteen power profiles.
const Profile kProfiles[16] = {
    {240, 10, 240, true, 14400, 14400, 120, 255, 255, true}, {60, 30, 60, true, 7200, 3600, 40, 255, 255, true},
    {40, 120, 30, true, 7200, 600, 10, 255, 255, true},      {30, 120, 16, true, 7200, 600, 8, 255, 255, false},
    {60, 20, 240, true, 14400, 14400, 60, 255, 255, false},  {10, 30, 60, true, 7200, 600, 20, 70, 30, false},
    {1, 30, 0, true, 180, 600, 5, 40, 20, false},            {1, 60, 0, true, 180, 600, 4, 40, 10, false},
    {20, 180, 15, true, 7200, 600, 30, 255, 255, true},      {10, 180, 10, true, 3600, 600, 10, 255, 40, false},
    {5, 255, 1, true, 900, 600, 10, 255, 20, false},         {0, 255, 0, true, 600, 600, 5, 255, 10, false},
    {1, 60, 0, true, 120, 600, 10, 60, 20, false},           {0, 255, 0, true, 180, 600, 5, 60, 20, false},
    {0, 255, 0, true, 120, 600, 5, 40, 10, false},           {0, 255, 0, true, 60, 600, 5, 40, 10, false},
};

void ProfileColumn(QWidget* col, PageRegistry& reg, int p, const QString& heading) {
    Form a(col, reg);
    a.Title(heading);
    const Profile& v = kProfiles[p];
    auto name = [p](int n) { return QStringLiteral("ENERGIA%1p%2").arg(p).arg(n).toStdString(); };
    a.Check(name(1).c_str(), Utf("GSM OFF"), v.gsmOff);
    a.Spin(name(2).c_str(), Utf("GPS időnkénti bekapcsolása [min]"), v.gps, 0, p == 0 ? 256 : 255);
    a.Spin(name(3).c_str(), Utf("GPS jelre max várás [sec]"), v.fix, 5, 255);
    a.Spin(name(4).c_str(), Utf("GSM időnkénti bekapcsolása [min]"), v.gsm, 0, 255);
    a.Check(name(5).c_str(), Utf("Mozgás ON"), v.motion);
    a.Spin(name(6).c_str(), Utf("GPRS küldés [sec]"), v.gprs, 30, 65000);
    a.Spin(name(8).c_str(), Utf("GPS idő bélyeg mentése naplóba [sec]"), v.log, 10, 65000);
    a.Spin(name(10).c_str(), Utf("Távolság küldés (40m)"), v.dist, 2, 255);
    a.Spin(name(11).c_str(), Utf("szogelfordulás"), v.heading, 5, 255);
    a.Spin(name(12).c_str(), Utf("Sebesség változás"), v.speed, 10, 255);
    a.Stretch();
}

void BuildGps(PageFactory& f) {
    QWidget* page = f.MainPage("GPS");
    PageRegistry& reg = f.Registry();
    auto* options = new QHBoxLayout;
    qobject_cast<QVBoxLayout*>(page->layout())->addLayout(options);
    Form a(PageFactory::Column(options), reg);
    a.Check("GPSbit0", Utf("GPS vevő használata"), true);
    a.Check("GPSbit1", Utf("NMEA GPS kódok küldése"), false);
    a.Check("GPS130_0", Utf("Spec. 1. üzemmód"), false);
    Form b(PageFactory::Column(options), reg);
    b.Check("GPS130_1", Utf("Folyamatos feltöltés"), false);
    b.Check("GPS130_2", Utf("Energia takarékos üzemmód"), false);
    b.Check("GPS130_3", Utf("G sensor TILT"), false);
    Form c(PageFactory::Column(options), reg);
    c.Spin("GPSstampALL", Utf("Idő bélyeg [sec]:"), 600, 1, 65000);
    c.Spin("GPSgprstime", Utf("GPRS küldés [sec]:"), 600, 1, 65000);
    c.Spin("GPSmiles", Utf("Távolság (40m):"), 255, 2, 255);
    options->addStretch(1);

    auto* tabs = new QTabWidget(page);
    tabs->setObjectName(QStringLiteral("GpsProfiles"));
    qobject_cast<QVBoxLayout*>(page->layout())->addWidget(tabs, 1);
    const char* captions[] = {"BAT<3.6", "BAT<3.9", "BAT<4.0", "BAT>4.0", "PWR1", "PWR2", "PWR3", "PWR4"};
    for (int k = 0; k < 8; ++k) {
        QWidget* sub = f.SubTab(tabs, "GPS", captions[k]);
        QHBoxLayout* cols = PageFactory::Row(sub);
        const int left = k < 4 ? k : 8 + (k - 4);
        const int right = k < 4 ? k + 4 : 12 + (k - 4);
        ProfileColumn(PageFactory::Column(cols, 1), reg, left, Utf("Nyugalomban"));
        ProfileColumn(PageFactory::Column(cols, 1), reg, right, Utf("Mozgás detektálva"));
    }
}

void BuildMotion(PageFactory& f, const std::string& caption, int n, const char* title) {
    QWidget* page = f.MainPage(caption);
    PageRegistry& reg = f.Registry();
    QHBoxLayout* row = PageFactory::Row(page);
    Form a(PageFactory::Column(row), reg);
    ChannelHead(a, n, title, 0, "Invertált működés", false);
    a.Edit(S(N("riasztas", n)).c_str(), Utf("SMS szöveg:"), Utf("Sebesseg tullepes"), 32);
    if (n == 5) {
        a.Spin("SpinEdit8", Utf("Sebesség határ:"), 120, 10, 250, 1, Utf(" km/h"));
        a.Check("BEst51", Utf("Visszaállásról is SMS/hívás"), false);
    } else {
        a.Spin("SpinEdit9", Utf("Érték:"), 6, 1, 32);
        a.Check("BEst61", Utf("Visszaállásról is SMS/hívás"), false);
    }
    a.Stretch();
    Form b(PageFactory::Column(row, 1), reg);
    b.Recipients(S(N("SMSst", n)).c_str(), S(N("VOICEst", n)).c_str(), false);
    b.Stretch();
}

void BuildContactId(PageFactory& f) {
    QWidget* page = f.MainPage("CID/SMS");
    PageRegistry& reg = f.Registry();
    QHBoxLayout* row = PageFactory::Row(page);
    auto grid = [&](const char* name, const QString& title, const QString& codeHeader) {
        auto* box = new QGroupBox(title, page);
        Named(box, QString::fromUtf8(name) + QStringLiteral("Box"));
        auto* v = new QVBoxLayout(box);
        v->setContentsMargins(4, 4, 4, 4);
        auto* t = new QTableWidget(256, 2, box);
        Named(t, QString::fromUtf8(name));
        t->setHorizontalHeaderLabels({codeHeader, Utf("Név")});
        t->verticalHeader()->setDefaultSectionSize(20);
        t->setColumnWidth(0, 70);
        t->horizontalHeader()->setStretchLastSection(true);
        v->addWidget(t);
        row->addWidget(box, 1);
        return box;
    };
    QGroupBox* zones = grid("StringGrid2", Utf("Partició elnevezések"), Utf("Kód"));
    QGroupBox* events = grid("StringGrid3", Utf("ContactID kódok elnevezései"), Utf("Kód"));
    auto* zv = qobject_cast<QVBoxLayout*>(zones->layout());
    auto* loadZones = new QPushButton(Utf("Alap zónák betöltése"), zones);
    Named(loadZones, QStringLiteral("BitBtn17"));
    zv->addWidget(loadZones);
    auto* ev = qobject_cast<QVBoxLayout*>(events->layout());
    auto* loadCodes = new QPushButton(Utf("Alap kódtábla betöltése"), events);
    Named(loadCodes, QStringLiteral("BitBtn16"));
    ev->addWidget(loadCodes);

    QWidget* col = PageFactory::Column(row);
    Form a(col, reg);
    a.Text("LabelEventName", QString());
    a.Title(Utf("SMS címzettek"));
    auto* list = MakeRecipientList(col, "SMSst7");
    a.Add(list);
    a.Button("Button20", Utf("Összes jelzéshez hozzárendel"));
    a.Stretch();
}

void BuildMonitoring(PageFactory& f) {
    QWidget* page = f.MainPage("Távfelügyelet");
    InnerPages inner = f.Inner(page, "Távfelügyelet");
    PageRegistry& reg = f.Registry();
    {
        QWidget* sub = f.SubPage(inner, "Eseménykódok", "Panel65", Utf("Eseménykódok"));
        QHBoxLayout* row = PageFactory::Row(sub);
        QWidget* col = PageFactory::Column(row);
        auto* grid = new QGridLayout(col);
        grid->setContentsMargins(8, 8, 8, 8);
        grid->addWidget(new QLabel(Utf("Esemény"), col), 0, 0);
        grid->addWidget(new QLabel(Utf("Kód"), col), 0, 1);
        grid->addWidget(new QLabel(Utf("Zóna"), col), 0, 2);
        struct Line {
            const char* caption;
            const char* code;
            const char* codeValue;
            const char* zone;
            const char* zoneValue;
            const char* key;
        };
        const Line lines[] = {
            {"Bemenet 1:", "CIDbe1", "130", "ZONAbe1", "001", "report:input1"},
            {"Bemenet 2:", "CIDbe2", "130", "ZONAbe2", "002", "report:input2"},
            {"Bemenet 3:", "CIDbe3", "130", "ZONAbe3", "003", "report:input3"},
            {"Bemenet 4:", "CIDbe4", "130", "ZONAbe4", "004", "report:input4"},
            {"Tamper:", "CIDtamper", "137", "ZONAtamper", "001", "report:tamper"},
            {"Tápfesz.:", "CIDtap", "302", "ZONAtap", "001", "report:power"},
            {"Életjel:", "CIDelet", "602", nullptr, nullptr, "report:heartbeat"},
            {"Nyitás/Zárás:", "CIDnyit", "401", nullptr, nullptr, "report:openclose"},
        };
        int r = 1;
        for (const Line& l : lines) {
            auto* label = new QLabel(Utf(l.caption), col);
            Named(label, QString::fromUtf8(l.code) + QStringLiteral("Label"));
            auto* code = new QLineEdit(QString::fromUtf8(l.codeValue), col);
            Named(code, QString::fromUtf8(l.code));
            code->setMaxLength(3);
            code->setFixedWidth(60);
            grid->addWidget(label, r, 0);
            grid->addWidget(code, r, 1);
            reg.AddAlias(l.key, label->objectName().toStdString());
            reg.AddAlias(l.key, l.code);
            if (l.zone) {
                auto* zone = new QLineEdit(QString::fromUtf8(l.zoneValue), col);
                Named(zone, QString::fromUtf8(l.zone));
                zone->setMaxLength(3);
                zone->setFixedWidth(60);
                grid->addWidget(zone, r, 2);
                reg.AddAlias(l.key, l.zone);
            } else {
                // Caption keys of the fields that only a caption names.
                reg.AddAlias(l.caption, label->objectName().toStdString());
                reg.AddAlias(l.caption, l.code);
            }
            ++r;
        }
        auto* eletcid = new QCheckBox(Utf("Életjel"), col);
        Named(eletcid, QStringLiteral("ELETcid"));
        grid->addWidget(eletcid, r++, 0, 1, 3);
        reg.AddAlias("Életjel", "ELETcid");
        auto* openClose = new QCheckBox(Utf("Nyitás/Zárás"), col);
        Named(openClose, QStringLiteral("CheckEgyeb8"));
        grid->addWidget(openClose, r++, 0, 1, 3);
        reg.AddAlias("Nyitás/Zárás", "CheckEgyeb8");
        grid->setRowStretch(r, 1);
        Form a(PageFactory::Column(row), reg);
        a.Spin("SpinEdit17", Utf("Életjel ciklus: [perc]"), 1440, 1, 65000);
        a.Stretch();
        row->addStretch(1);
    }
    {
        QWidget* sub = f.SubPage(inner, "Állomás", "Panel66", Utf("Állomás telefonszámok"));
        QHBoxLayout* row = PageFactory::Row(sub);
        Form a(PageFactory::Column(row), reg);
        a.Edit("TAV1", Utf("Telefonszám 1."), QString(), 16);
        a.Edit("TAV2", Utf("Telefonszám 2."), QString(), 16);
        a.Edit("CIDUGYFEL", Utf("Ügyfélkód:"), QStringLiteral("1234"), 4);
        reg.AddAlias("RemoteNumber1", "TAV1");
        reg.AddAlias("RemoteNumber2", "TAV2");
        a.Stretch();
        row->addStretch(1);
    }
    {
        QWidget* sub = f.SubPage(inner, "Szerverek", "Panel67", Utf("Szerverek"), {"TabSheet20", "page:TabSheet20"});
        QHBoxLayout* row = PageFactory::Row(sub);
        Form a(PageFactory::Column(row), reg);
        a.Spin("SpinEdit10", Utf("Teszt jelentés gyakorisága [perc]"), 0, 0, 65000);
        QLineEdit* cid = a.Edit("GPRSelet", Utf("Contact ID kód:"), QStringLiteral("603"), 3);
        cid->setMinimumWidth(60);
        a.Radio("RadioGroup1", Utf("GPRS ügyfélkód"), {Utf("Beállított ügyfélkód"), Utf("Tip/Ring -ről lopva")}, 0);
        a.Check("CheckBox15", Utf("Saját jelzések küldése GPRS-en"), true);
        a.Check("CheckBox16", Utf("Kisoff jel sikeres átvitel esetén"), false);
        a.Check("CheckBox17", Utf("ContactID naplózás"), false);
        a.Stretch();
        auto* tabs = new QTabWidget(sub);
        tabs->setObjectName(QStringLiteral("ServerTabs"));
        row->addWidget(tabs, 1);
        // Record s on its tab: 0 "Server1", 2 "Server1_tart", 1 "Server2", 3 "Server2_tart".
        const std::pair<const char*, int> tabsOf[] = {{"Server1", 1}, {"Server1_tart", 3}, {"Server2", 2},
                                                      {"Server2_tart", 4}};
        for (const auto& [caption, n] : tabsOf) {
            QWidget* tab = f.SubTab(tabs, "Szerverek", caption);
            QHBoxLayout* cols = PageFactory::Row(tab);
            Form s(PageFactory::Column(cols, 1), reg);
            QStringList apns = {QString(), Utf("internet"), Utf("net"), Utf("Internet")};
            if (n == 1) apns << Utf("m2m.internet");
            s.Combo(S(N("APNNAME", n)).c_str(), Utf("APN:"), apns, 0, true);
            s.Edit(S(N("USER", n)).c_str(), Utf("Felhasználó:"), QString(), 32);
            s.Edit(S(N("PASS", n)).c_str(), Utf("Jelszó:"), QString(), 32);
            s.Combo(S(N("DNS1_", n)).c_str(), Utf("DNS 1:"), {QString(), Utf("AUTO")}, 1, true);
            s.Combo(S(N("DNS2_", n)).c_str(), Utf("DNS 2:"), {QString(), Utf("AUTO")}, 1, true);
            s.Combo(S(N("KULCS", n)).c_str(), Utf("Kulcs:"), {QString(), Utf("OFF")}, 1, true);
            s.Edit(S(N("IPCIM", n)).c_str(), Utf("Server IP:"), QString(), 64);
            s.Edit(S(N("IPPORT", n)).c_str(), Utf("Port:"), QString(), 5);
            s.Combo(S(N("PROT", n)).c_str(), Utf("Protokoll:"), {Utf("OFF"), Utf("ENIGMA"), Utf("SIA-IP")}, -1);
            s.Combo(S(N("UDPTCP", n)).c_str(), Utf("Átvitel:"), {Utf("TCP"), Utf("UDP")}, 0);
            auto* sends = new QHBoxLayout;
            auto* lan = new QCheckBox(Utf("LAN"), tab);
            Named(lan, QStringLiteral("S%1LAN").arg(n));
            auto* gprs = new QCheckBox(Utf("GPRS"), tab);
            Named(gprs, QStringLiteral("S%1GPRS").arg(n));
            sends->addWidget(lan);
            sends->addWidget(gprs);
            sends->addStretch(1);
            s.AddLayout(sends);
            s.Stretch();
        }
        // The protocol choice of the first record is the list a family may replace.
        reg.AddAlias("ProtocolList", "PROT1");
    }
    {
        QWidget* sub = f.SubPage(inner, "CLOUD", "Panel68", Utf("CLOUD"));
        QHBoxLayout* row = PageFactory::Row(sub);
        Form a(PageFactory::Column(row), reg);
        a.Title(Utf("CLOUD"));
        a.Edit("Edit29", Utf("APN:"), QString(), 32);
        a.Edit("Edit31", Utf("Jelszó:"), QString(), 16);
        a.Stretch();
        row->addStretch(1);
    }
}

void BuildLineSimulator(PageFactory& f) {
    QWidget* page = f.MainPage("Vonalszimulátor");
    QHBoxLayout* row = PageFactory::Row(page);
    Form a(PageFactory::Column(row), f.Registry());
    a.Title(Utf("Vonalszimulátor"));
    a.Combo("ComboBox18", Utf("Vonalszimulátor működési mód:"),
            {Utf("Csak GSM használat"), Utf("Telefonvonal/tartalék GSM"), Utf("GSM/tartalék telefonvonal")}, 0);
    a.Spin("VFESZ", Utf("Vonali feszültség [V]:"), 48, 30, 72, 3);
    a.Check("CheckEgyeb2_1", Utf("Minden bejövő=TIP/RING"), false);
    a.Check("CheckBox18", Utf("SMS után hívásjelzés is"), false);
    a.Spin("SpinEdit14", Utf("DTMF Tx Gain:"), 35, 1, 80);
    a.Spin("SpinEdit13", Utf("DTMF Rx Gain:"), 12, 1, 80);
    a.Spin("SpinEdit12", Utf("PSTN Tx Gain:"), 20, 1, 80);
    a.Spin("SpinEdit11", Utf("PSTN Rx Gain:"), 14, 1, 80);
    a.Button("ButtonPstnSend", Utf("PSTN send"));
    a.Check("CheckEgyeb2_6", Utf("Tárcsahang tiltása"), false);
    a.Stretch();
    row->addStretch(1);
}

void BuildAntiJammer(PageFactory& f) {
    QWidget* page = f.MainPage("Anti-Jammer");
    QHBoxLayout* row = PageFactory::Row(page);
    Form a(PageFactory::Column(row), f.Registry());
    a.Title(Utf("Anti-Jammer"), "LabelAntiJammer");
    a.Stretch();
    row->addStretch(1);
}

void BuildOpenClose(PageFactory& f) {
    QWidget* page = f.MainPage("Nyitás/zárás");
    PageRegistry& reg = f.Registry();
    QHBoxLayout* row = PageFactory::Row(page);
    Form a(PageFactory::Column(row), reg);
    a.Edit("Edit17", Utf("SMS szöveg (nyitáskor):"), Utf("nyitas"), 32);
    a.Recipients("SMSst16", nullptr);
    a.Check("AUTOOPEN", Utf("Automatikus nyitás (órakor)"), false);
    a.Spin("SpinEdit19", Utf("Óra:"), 0, 0, 23)->setEnabled(false);
    Form b(PageFactory::Column(row), reg);
    b.Edit("Edit18", Utf("SMS szöveg (záráskor):"), Utf("zaras"), 32);
    b.Recipients("SMSst17", nullptr);
    b.Check("AUTOCLOSE", Utf("Automatikus zárás (órakor)"), false);
    b.Spin("SpinEdit20", Utf("Óra:"), 0, 0, 23)->setEnabled(false);
    b.Stretch();
    reg.AddAlias("Automatikus nyitás (órakor)", "SpinEdit19");
    reg.AddAlias("Automatikus zárás (órakor)", "SpinEdit20");
    a.Check("CheckBox19", Utf("Nyitás/Zárás értesítés visszaküldése telefonszámra"), false);
    a.Stretch();
    row->addStretch(1);
}

void BuildSpare(PageFactory& f) {
    QWidget* page = f.MainPage("TabSheet42", {"TabSheet42"});
    PageFactory::Row(page)->addStretch(1);
}

// Numbered keys of the boxes that occur on every input channel page
// (inputs 1 to 4, tamper, power).
void ChannelAliases(PageRegistry& reg) {
    const int channels[] = {1, 2, 3, 4, 9, 10};
    const std::pair<const char*, int> boxes[] = {
        {"Távfelügyelet értesítés", 5}, {"Híváskor nem kell felvenni!", 6}, {"DTMF nyugtázás híváskor", 7}};
    for (const auto& [caption, bit] : boxes) {
        for (int i = 0; i < 6; ++i) {
            reg.AddAlias(std::string(caption) + " " + std::to_string(i + 1),
                         "best" + std::to_string(channels[i] * 10 + bit));
        }
    }
    reg.AddAlias("ComboInput3Type", "ComboBox3");
    reg.AddAlias("ComboInput4Type", "ComboBox4");
}

}  // namespace

void BuildChannelPages(PageFactory& f) {
    BuildSounds(f);
    BuildPower(f);
    BuildHeartbeat(f);
    BuildOther(f);
    BuildTemperature(f);
    BuildGps(f);
    BuildMotion(f, "Sebesség", 5, "Sebesség riasztás");
    BuildMotion(f, "Emelés", 6, "Emelés riasztás");
    BuildContactId(f);
    BuildMonitoring(f);
    BuildLineSimulator(f);
    BuildAntiJammer(f);
    BuildOpenClose(f);
    BuildSpare(f);
    ChannelAliases(f.Registry());
}

}  // namespace morvane
