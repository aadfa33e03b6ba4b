#include "app/ui/launcher_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/launcher.h"
#include "app/startup.h"
#include "app/ui/qt_host.h"

namespace morvane {

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

namespace {

template <typename W>
W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QFont Bigger(QFont f, qreal factor, bool bold) {
    f.setPointSizeF(f.pointSizeF() * factor);
    f.setBold(bold);
    return f;
}

// Try rows by product number - 1: button, product name label, version label.
const char* const kTryButtons[6] = {"Button4", "Button7", "Button6", "Button8", "Button11", "Button15"};

}  // namespace

const char* LauncherWindow::TryButtonName(int product) {
    return product >= 1 && product <= 6 ? kTryButtons[product - 1] : nullptr;
}

LauncherWindow::LauncherWindow(Launcher& launcher, QtHost& host, QWidget* parent)
    : QWidget(parent), launcher_(launcher), host_(host) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("GSM read"));
    Build();
    binder_ = std::make_unique<ControlBinder>(this, launcher_.Controls());
    Connect();
    adjustSize();
}

LauncherWindow::~LauncherWindow() = default;

void LauncherWindow::Build() {
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 8);
    main->setSpacing(8);

    // Top strip: program name, version, help.
    auto* panel1 = Named(new QFrame(this), "Panel1");
    panel1->setAutoFillBackground(true);
    panel1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* strip = new QHBoxLayout(panel1);
    strip->setContentsMargins(12, 8, 8, 8);
    auto* label5 = Named(new QLabel(ProgramName.c_str(), panel1), "Label5");
    label5->setFont(Bigger(label5->font(), 1.6, true));
    auto* label6 = Named(new QLabel(QStringLiteral("version: "), panel1), "Label6");
    auto* label19 = Named(new QLabel(QString::fromStdString(VersionDate), panel1), "Label19");
    auto* help = Named(new QToolButton(panel1), "SpeedButton1");
    help->setText(QStringLiteral("?"));
    help->setMinimumSize(28, 28);
    strip->addWidget(label5);
    strip->addStretch(1);
    strip->addWidget(label6);
    strip->addSpacing(12);
    strip->addWidget(label19);
    strip->addSpacing(8);
    strip->addWidget(help);
    main->addWidget(panel1);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(12, 0, 12, 0);
    body->setSpacing(8);
    main->addLayout(body);

    // Language and connection type.
    auto* row1 = new QHBoxLayout;
    auto* language = Named(new QComboBox(this), "ComboBox4");
    language->addItems({QStringLiteral("Magyar"), QStringLiteral("English"), QStringLiteral("Deutsch"),
                        QStringLiteral("Slovenčina SK"), QStringLiteral("Italiano"), QStringLiteral("Slovenský SI"),
                        QStringLiteral("Dutch"), QStringLiteral("Český"), QStringLiteral("Suomi"),
                        QStringLiteral("France"), QStringLiteral("Espana")});
    language->setMinimumContentsLength(14);
    auto* group = Named(new QGroupBox(this), "RadioGroup1");
    auto* groupLayout = new QHBoxLayout(group);
    const char* choices[3] = {"USB", "Bluetooth", "Internet"};
    const char* choiceNames[3] = {"RadioGroup1_0", "RadioGroup1_1", "RadioGroup1_2"};
    for (int i = 0; i < 3; ++i) {
        auto* r = Named(new QRadioButton(QString::fromLatin1(choices[i]), group), choiceNames[i]);
        r->setAutoFillBackground(false);
        r->setMinimumWidth(r->sizeHint().width() + 8);
        if (i == 0) r->setChecked(true);
        groupLayout->addWidget(r);
    }
    row1->addWidget(language, 0, Qt::AlignVCenter);
    row1->addWidget(group, 1);
    body->addLayout(row1);

    // Port choice and search.
    auto* row2 = new QHBoxLayout;
    auto* port = Named(new QComboBox(this), "ComboBox3");
    port->setEditable(true);
    port->setInsertPolicy(QComboBox::NoInsert);
    port->setCompleter(nullptr);
    port->setMaxVisibleItems(16);
    port->setMinimumContentsLength(22);
    port->setEditText(QStringLiteral("Válaszon COM portot"));
    auto* search = Named(new QPushButton(QStringLiteral("COM port automatikus keresése"), this), "Button2");
    row2->addWidget(port, 1);
    row2->addWidget(search);
    body->addLayout(row2);

    auto* portError = Named(new QLabel(this), "PortError");
    portError->setWordWrap(true);
    portError->setMinimumHeight(portError->fontMetrics().height());
    QPalette errorPalette = portError->palette();
    errorPalette.setColor(QPalette::WindowText, QColor(0xC0, 0x00, 0x00));
    portError->setPalette(errorPalette);
    body->addWidget(portError);

    // Detected product.
    auto* label10 = Named(new QLabel(QStringLiteral("???"), this), "Label10");
    label10->setFont(Bigger(label10->font(), 1.8, true));
    label10->setAlignment(Qt::AlignCenter);
    label10->setMinimumHeight(label10->fontMetrics().height() + 8);
    label10->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    body->addWidget(label10);
    auto* label3 = Named(new QLabel(this), "Label3");
    label3->hide();
    body->addWidget(label3);

    // Start.
    auto* row3 = new QHBoxLayout;
    auto* panel2 = Named(new ClickLabel(QStringLiteral("Indít"), this), "Panel2");
    panel2->setFrameShape(QFrame::Panel);
    panel2->setFrameShadow(QFrame::Raised);
    panel2->setLineWidth(2);
    panel2->setAlignment(Qt::AlignCenter);
    panel2->setFont(Bigger(panel2->font(), 1.5, true));
    panel2->setMinimumSize(140, 56);
    panel2->setAutoFillBackground(true);
    panel2->setCursor(Qt::PointingHandCursor);
    auto* startButtons = new QVBoxLayout;
    auto* button5 = Named(new QPushButton(QStringLiteral("Indít"), this), "Button5");
    auto* button9 = Named(new QPushButton(QStringLiteral("Indít/Alapértelmezett konfig"), this), "Button9");
    auto* button10 = Named(new QPushButton(QStringLiteral("Fast start"), this), "Button10");
    startButtons->addWidget(button5);
    startButtons->addWidget(button9);
    startButtons->addWidget(button10);
    row3->addWidget(panel2, 1);
    row3->addLayout(startButtons, 1);
    body->addLayout(row3);

    // Advanced-mode options.
    auto* row4 = new QHBoxLayout;
    auto* door = Named(new QCheckBox(QStringLiteral("door"), this), "doorstart");
    auto* gps = Named(new QCheckBox(QStringLiteral("GPS"), this), "CheckBox21");
    auto* defaults = Named(new QCheckBox(this), "CheckBox22");
    defaults->hide();
    auto* advanced = Named(new ClickLabel(QStringLiteral("Advanced MODE!"), this), "Label17");
    advanced->setFont(Bigger(advanced->font(), 1.0, true));
    QPalette advancedPalette = advanced->palette();
    advancedPalette.setColor(QPalette::WindowText, QColor(0xC0, 0x00, 0x00));
    advanced->setPalette(advancedPalette);
    advanced->setCursor(Qt::PointingHandCursor);
    row4->addWidget(door);
    row4->addWidget(gps);
    row4->addWidget(defaults);
    row4->addStretch(1);
    row4->addWidget(advanced);
    body->addLayout(row4);

    // Try rows.
    auto* tryGroup = Named(new QGroupBox(QStringLiteral("  Termékek - kipróbálás  "), this), "GroupBox2");
    auto* grid = new QGridLayout(tryGroup);
    grid->setHorizontalSpacing(16);
    for (int p = 1; p <= 6; ++p) {
        const QString n = QString::number(p);
        auto* name = new QLabel(QString::fromStdString(ProductNames[static_cast<size_t>(p - 1)]), tryGroup);
        name->setObjectName(QStringLiteral("TryName") + n);
        name->setMinimumWidth(120);
        auto* version = new QLabel(tryGroup);
        version->setObjectName(QStringLiteral("TryVersion") + n);
        version->setMinimumSize(60, version->fontMetrics().height());
        auto* button = Named(new QPushButton(QStringLiteral("Próba"), tryGroup), kTryButtons[p - 1]);
        grid->addWidget(name, p - 1, 0);
        grid->addWidget(version, p - 1, 1);
        grid->addWidget(button, p - 1, 2);
    }
    grid->setColumnStretch(0, 1);
    body->addWidget(tryGroup);

    // Space left when rows are hidden (the try rows after detection) goes here.
    body->addStretch(1);

    // Bottom row.
    auto* row5 = new QHBoxLayout;
    auto* wifi = Named(new QPushButton(QStringLiteral("WiFi set"), this), "Button12");
    auto* usb = Named(new QPushButton(QStringLiteral("USB connection"), this), "Button13");
    auto* info = Named(new QPushButton(QStringLiteral("COM info"), this), "Button14");
    auto* exitButton = Named(new QPushButton(QStringLiteral("Kilépés"), this), "Kilepes");
    row5->addWidget(wifi);
    row5->addWidget(usb);
    row5->addWidget(info);
    row5->addStretch(1);
    row5->addWidget(exitButton);
    body->addLayout(row5);
}

void LauncherWindow::Act(const std::function<void()>& action) {
    action();
    host_.Recheck();
}

void LauncherWindow::Connect() {
    Launcher& l = launcher_;
    auto button = [this](const char* name) { return findChild<QAbstractButton*>(QString::fromLatin1(name)); };

    auto* language = findChild<QComboBox*>(QStringLiteral("ComboBox4"));
    connect(language, &QComboBox::activated, this, [this, &l](int index) { Act([&] { l.ComboBox4Change(index); }); });

    // A port is picked from the list, or a name or device path is typed and
    // confirmed with Enter.
    auto* port = findChild<QComboBox*>(QStringLiteral("ComboBox3"));
    connect(port, &QComboBox::activated, this, [this, &l, port](int index) {
        const std::string text = port->itemText(index).toStdString();
        Act([&] { l.ComboBox3Change(text); });
    });
    connect(port->lineEdit(), &QLineEdit::returnPressed, this, [this, &l, port] {
        const std::string text = port->currentText().trimmed().toStdString();
        Act([&] { l.ComboBox3Change(text); });
    });

    for (int i = 0; i < 3; ++i) {
        auto* r = findChild<QRadioButton*>(QStringLiteral("RadioGroup1_%1").arg(i));
        connect(r, &QRadioButton::clicked, this, [this, &l, i] { Act([&] { l.RadioGroup1Click(i); }); });
    }

    // Boxes: the core reads their state from its controls.
    for (const char* name : {"doorstart", "CheckBox22"}) {
        connect(button(name), &QAbstractButton::clicked, this,
                [&l, n = std::string(name)](bool on) { l.Controls().SetChecked(n, on); });
    }
    connect(button("CheckBox21"), &QAbstractButton::clicked, this, [this, &l](bool on) {
        Act([&] {
            l.Controls().SetChecked("CheckBox21", on);
            l.CheckBox21Click();
        });
    });

    connect(button("Button2"), &QAbstractButton::clicked, this, [this, &l] { Act([&] { l.Button2Click(); }); });
    connect(button("Button5"), &QAbstractButton::clicked, this, [this, &l] { Act([&] { l.Button5Click(); }); });
    connect(findChild<ClickLabel*>(QStringLiteral("Panel2")), &ClickLabel::clicked, this,
            [this, &l] { Act([&] { l.Panel2Click(); }); });
    connect(button("Button9"), &QAbstractButton::clicked, this, [this, &l] { Act([&] { l.Button9Click(); }); });
    connect(button("Button10"), &QAbstractButton::clicked, this, [this, &l] { Act([&] { l.Button10Click(); }); });
    for (const char* name : kTryButtons) {
        connect(button(name), &QAbstractButton::clicked, this,
                [this, &l, n = std::string(name)] { Act([&] { l.TryButtonClick(n); }); });
    }
    connect(findChild<ClickLabel*>(QStringLiteral("Label17")), &ClickLabel::clicked, this,
            [this, &l] { Act([&] { l.Label17Click(); }); });
    connect(button("Button12"), &QAbstractButton::clicked, this, [this, &l] { Act([&] { l.Button12Click(); }); });
    connect(button("Button13"), &QAbstractButton::clicked, this, [this, &l] { Act([&] { l.Button13Click(); }); });
    connect(button("Button14"), &QAbstractButton::clicked, this, [this, &l] { Act([&] { l.Button14Click(); }); });
    connect(button("SpeedButton1"), &QAbstractButton::clicked, this,
            [this, &l] { Act([&] { l.SpeedButton1Click(); }); });
    connect(button("Kilepes"), &QAbstractButton::clicked, this, [this] { close(); });
}

void LauncherWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (activated_) return;
    activated_ = true;
    // After the show has finished, so that messages of the activation have
    // the window behind them.
    QTimer::singleShot(0, this, [this] { Act([this] { launcher_.Activate(); }); });
}

// Closing the launcher closes its port and ends the program.
void LauncherWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (closing_) return;
    closing_ = true;
    launcher_.Close();
}

}  // namespace morvane
