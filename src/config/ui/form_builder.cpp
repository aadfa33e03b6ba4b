#include "config/ui/form_builder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace morvane {

QString Utf(const char* s) { return QString::fromUtf8(s); }

// ---------------------------------------------------------------- registry

PageRegistry::Page& PageRegistry::AddPage(const std::string& caption, const std::string& parent, QTabWidget* tabs,
                                          QWidget* page, std::vector<std::string> extraKeys) {
    Page p;
    p.caption = caption;
    p.parent = parent;
    p.tabs = tabs;
    p.page = page;
    p.keys.push_back("page:" + caption);
    for (auto& k : extraKeys) p.keys.push_back(std::move(k));
    pages_.push_back(std::move(p));
    return pages_.back();
}

PageRegistry::Page* PageRegistry::FindPage(const std::string& caption, const std::string& parent) {
    for (Page& p : pages_) {
        if (p.caption == caption && (parent.empty() || p.parent == parent)) return &p;
    }
    return nullptr;
}

std::vector<PageRegistry::Page*> PageRegistry::PagesOfKey(const std::string& key) {
    std::vector<Page*> out;
    for (Page& p : pages_) {
        if (std::find(p.keys.begin(), p.keys.end(), key) != p.keys.end()) out.push_back(&p);
    }
    return out;
}

void PageRegistry::AddAlias(const std::string& key, const std::string& objectName) {
    if (key.empty() || key == objectName) return;
    auto [first, last] = aliases_.equal_range(key);
    for (auto it = first; it != last; ++it)
        if (it->second == objectName) return;
    aliases_.emplace(key, objectName);
}

void PageRegistry::NoteCaption(const QString& caption, const std::string& objectName) {
    QString c = caption;
    c.remove(QLatin1Char('&'));
    c = c.trimmed();
    if (c.isEmpty()) return;
    captions_[c.toStdString()].push_back(objectName);
}

void PageRegistry::FinishCaptions() {
    for (const auto& [caption, names] : captions_) {
        // A caption on one control (or on one control and its caption label).
        std::vector<std::string> controls;
        for (const std::string& n : names) {
            const bool isLabel = n.size() > 5 && n.compare(n.size() - 5, 5, "Label") == 0;
            if (!isLabel) controls.push_back(n);
        }
        if (controls.size() > 1) continue;
        for (const std::string& n : names) AddAlias(caption, n);
    }
    captions_.clear();
}

// ---------------------------------------------------------------- form

Form::Form(QWidget* host, PageRegistry& registry) : host_(host), reg_(registry), grid_(new QGridLayout(host)) {
    grid_->setContentsMargins(8, 8, 8, 8);
    grid_->setHorizontalSpacing(10);
    grid_->setVerticalSpacing(5);
    grid_->setColumnStretch(2, 1);
}

QLabel* Form::Title(const QString& text, const char* name) {
    auto* l = new QLabel(text, host_);
    if (name) l->setObjectName(QString::fromUtf8(name));
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    grid_->addWidget(l, row_++, 0, 1, 3);
    return l;
}

QLabel* Form::Text(const char* name, const QString& text) {
    auto* l = new QLabel(text, host_);
    if (name) l->setObjectName(QString::fromUtf8(name));
    l->setWordWrap(true);
    grid_->addWidget(l, row_++, 0, 1, 3);
    return l;
}

QLabel* Form::Caption(const char* name, const QString& caption) {
    if (caption.isEmpty()) return nullptr;
    auto* l = new QLabel(caption, host_);
    const std::string labelName = std::string(name) + "Label";
    l->setObjectName(QString::fromStdString(labelName));
    captions_[name] = l;
    reg_.NoteCaption(caption, labelName);
    reg_.NoteCaption(caption, name);
    return l;
}

void Form::Place(QLabel* caption, QWidget* control) {
    if (caption) {
        caption->setBuddy(control);
        grid_->addWidget(caption, row_, 0);
        grid_->addWidget(control, row_, 1);
    } else {
        grid_->addWidget(control, row_, 1);
    }
    ++row_;
}

QLabel* Form::CaptionOf(const char* name) const {
    auto it = captions_.find(name);
    return it == captions_.end() ? nullptr : it->second;
}

QLineEdit* Form::Edit(const char* name, const QString& caption, const QString& text, int maxLength) {
    auto* e = new QLineEdit(text, host_);
    e->setObjectName(QString::fromUtf8(name));
    e->setMaxLength(maxLength);
    e->setMinimumWidth(maxLength >= 32 ? 260 : kFieldWidth);
    Place(Caption(name, caption), e);
    return e;
}

QSpinBox* Form::Spin(const char* name, const QString& caption, int value, int min, int max, int step,
                     const QString& suffix) {
    auto* s = new QSpinBox(host_);
    s->setObjectName(QString::fromUtf8(name));
    s->setRange(min, max);
    s->setSingleStep(step);
    s->setValue(value);
    if (!suffix.isEmpty()) s->setSuffix(suffix);
    s->setMinimumWidth(90);
    s->setMaximumWidth(kFieldWidth);
    Place(Caption(name, caption), s);
    return s;
}

QComboBox* Form::Combo(const char* name, const QString& caption, const QStringList& items, int index,
                       bool editable) {
    auto* c = new QComboBox(host_);
    c->setObjectName(QString::fromUtf8(name));
    c->setEditable(editable);
    c->addItems(items);
    c->setCurrentIndex(index);
    c->setMinimumWidth(kFieldWidth);
    Place(Caption(name, caption), c);
    return c;
}

QCheckBox* Form::Check(const char* name, const QString& caption, bool checked, bool enabled) {
    auto* c = new QCheckBox(caption, host_);
    c->setObjectName(QString::fromUtf8(name));
    c->setChecked(checked);
    c->setEnabled(enabled);
    reg_.NoteCaption(caption, name);
    grid_->addWidget(c, row_++, 0, 1, 3);
    return c;
}

QGroupBox* Form::Radio(const char* name, const QString& caption, const QStringList& items, int index) {
    auto* g = new QGroupBox(caption, host_);
    g->setObjectName(QString::fromUtf8(name));
    auto* l = new QHBoxLayout(g);
    l->setContentsMargins(6, 2, 6, 2);
    for (int i = 0; i < items.size(); ++i) {
        auto* r = new QRadioButton(items[i], g);
        r->setChecked(i == index);
        l->addWidget(r);
    }
    l->addStretch(1);
    if (!caption.isEmpty()) reg_.NoteCaption(caption, name);
    grid_->addWidget(g, row_++, 0, 1, 3);
    return g;
}

QPushButton* Form::Button(const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, host_);
    b->setObjectName(QString::fromUtf8(name));
    reg_.NoteCaption(caption, name);
    grid_->addWidget(b, row_++, 0, 1, 2, Qt::AlignLeft);
    return b;
}

void Form::Recipients(const char* smsName, const char* callName, bool enabled) {
    auto* box = new QWidget(host_);
    auto* h = new QHBoxLayout(box);
    h->setContentsMargins(0, 0, 0, 0);
    auto add = [&](const char* name, const QString& caption) {
        auto* v = new QVBoxLayout;
        auto* l = new QLabel(caption, box);
        l->setObjectName(QString::fromUtf8(name) + QStringLiteral("Label"));
        v->addWidget(l);
        QListWidget* list = MakeRecipientList(box, name);
        list->setEnabled(enabled);
        v->addWidget(list);
        h->addLayout(v);
    };
    add(smsName, QStringLiteral("SMS:"));
    if (callName) add(callName, Utf("Hívás:"));
    h->addStretch(1);
    grid_->addWidget(box, row_++, 0, 1, 3);
}

void Form::Add(QWidget* w) { grid_->addWidget(w, row_++, 0, 1, 3); }

void Form::AddLayout(QLayout* l) { grid_->addLayout(l, row_++, 0, 1, 3); }

void Form::Stretch() { grid_->setRowStretch(row_++, 1); }

QListWidget* MakeRecipientList(QWidget* parent, const char* name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromUtf8(name));
    for (int i = 1; i <= 8; ++i) {
        auto* item = new QListWidgetItem(QStringLiteral("Phone%1").arg(i), list);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    list->setUniformItemSizes(true);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int rowHeight = std::max(list->sizeHintForRow(0), 16);
    list->setFixedHeight(rowHeight * 8 + 2 * list->frameWidth() + 2);
    list->setFixedWidth(150);
    return list;
}

}  // namespace morvane
