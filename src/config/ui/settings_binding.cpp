// The pages' widgets and the settings model: the model's state goes into the
// widgets, the user's edits go back into the model.
#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include "app/configurator.h"
#include "config/settings_model.h"
#include "config/ui/configurator_window.h"

namespace morvane {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QWidget* WidgetOf(QWidget* root, const std::string& name) {
    return root->findChild<QWidget*>(Q(name));
}

void SetItems(QComboBox* combo, const std::vector<std::string>& items) {
    if (items.empty()) return;
    bool same = combo->count() == static_cast<int>(items.size());
    for (int i = 0; same && i < combo->count(); ++i) same = combo->itemText(i) == Q(items[static_cast<size_t>(i)]);
    if (same) return;
    combo->clear();
    for (const std::string& item : items) combo->addItem(Q(item));
}

// One control of the model into its widget.
void Show(QWidget* w, const SettingControl& c) {
    const QSignalBlocker block(w);
    w->setEnabled(c.enabled);
    switch (c.kind) {
    case ControlKind::kSpin:
        if (auto* spin = qobject_cast<QSpinBox*>(w)) {
            spin->setRange(c.minValue, c.maxValue);
            spin->setValue(c.value);
        }
        break;
    case ControlKind::kCheck:
        if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setChecked(c.value != 0);
        break;
    case ControlKind::kChoice:
    case ControlKind::kEditChoice:
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            SetItems(combo, c.items);
            combo->setCurrentIndex(c.value < combo->count() ? c.value : -1);
            if (combo->isEditable() && combo->currentText() != Q(c.text)) combo->setEditText(Q(c.text));
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            const auto radios = group->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
            for (int i = 0; i < radios.size(); ++i) {
                const QSignalBlocker b(radios[i]);
                radios[i]->setAutoExclusive(false);
                radios[i]->setChecked(i == c.value);
                radios[i]->setAutoExclusive(true);
            }
        }
        break;
    case ControlKind::kText:
    case ControlKind::kPhone:
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            if (c.kind == ControlKind::kText && c.maxValue > 0) edit->setMaxLength(c.maxValue);
            if (edit->text() != Q(c.text) && edit->displayText() != Q(c.text)) edit->setText(Q(c.text));
        }
        break;
    case ControlKind::kList:
        if (auto* list = qobject_cast<QListWidget*>(w)) {
            for (int i = 0; i < list->count() && i < 8; ++i) {
                QListWidgetItem* item = list->item(i);
                // The captions of the recipients (the numbers that are set).
                if (static_cast<size_t>(i) < c.items.size() && !c.items.empty()) {
                    const QString caption = Q(c.items[static_cast<size_t>(i)]);
                    if (item->text() != caption) item->setText(caption);
                }
                item->setCheckState((c.value >> i) & 1 ? Qt::Checked : Qt::Unchecked);
                Qt::ItemFlags f = item->flags();
                if ((c.itemEnabled >> i) & 1) f |= Qt::ItemIsEnabled;
                else f &= ~Qt::ItemIsEnabled;
                item->setFlags(f);
            }
        }
        break;
    }
}

}  // namespace

std::vector<std::string> ConfiguratorWindow::BindSettings(SettingsModel& model) {
    model_ = &model;
    commits_.clear();
    coreValues_.clear();
    bound_.clear();
    std::vector<std::string> missing;
    for (const SettingControl& c : model.Controls()) {
        if (!c.window.empty()) continue;
        QWidget* w = WidgetOf(this, c.name);
        if (!w) {
            missing.push_back(c.name);
            continue;
        }
        bound_[c.name] = w;
        BindControl(c, w);
    }
    ShowSettings();
    // The value fields the core holds for these names now; a later change of
    // them is the core's (see FollowCoreValue).
    for (const auto& [name, commit] : commits_) {
        if (const ControlState* s = cfg_.Controls().Find(name)) coreValues_[name] = {s->text, s->checked, s->itemIndex};
    }
    return missing;
}

void ConfiguratorWindow::BindControl(const SettingControl& c, QWidget* w) {
    const std::string key = c.name;
    const bool phone = c.kind == ControlKind::kPhone;
    // Reads the widget into the model; the page rules of the control run
    // afterwards (see CommitControl).
    std::function<void()> commit;
    if (auto* spin = qobject_cast<QSpinBox*>(w)) {
        commit = [this, key, spin] { model_->SetValue(key, spin->value()); };
        connect(spin, &QSpinBox::valueChanged, this, [this, key] { CommitControl(key); });
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->isEditable()) {
            commit = [this, key, combo] { model_->SetText(key, combo->currentText().toStdString()); };
            connect(combo, &QComboBox::currentTextChanged, this, [this, key] { CommitControl(key); });
        } else {
            commit = [this, key, combo] { model_->SetValue(key, combo->currentIndex()); };
            connect(combo, &QComboBox::currentIndexChanged, this, [this, key] { CommitControl(key); });
        }
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        const auto radios = group->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
        commit = [this, key, radios] {
            for (int i = 0; i < radios.size(); ++i)
                if (radios[i]->isChecked()) model_->SetValue(key, i);
        };
        for (QRadioButton* r : radios) {
            connect(r, &QRadioButton::toggled, this, [this, key](bool on) {
                if (on) CommitControl(key);
            });
        }
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        commit = [this, key, button] { model_->SetChecked(key, button->isChecked()); };
        connect(button, &QAbstractButton::toggled, this, [this, key] { CommitControl(key); });
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        commit = [this, key, edit, phone] {
            model_->SetText(key, (phone ? edit->displayText() : edit->text()).toStdString());
        };
        connect(edit, &QLineEdit::textChanged, this, [this, key] { CommitControl(key); });
    } else if (auto* list = qobject_cast<QListWidget*>(w)) {
        commit = [this, key, list] {
            int mask = 0;
            for (int i = 0; i < list->count() && i < 8; ++i)
                if (list->item(i)->checkState() == Qt::Checked) mask |= 1 << i;
            model_->SetMask(key, static_cast<uint8_t>(mask));
        };
        connect(list, &QListWidget::itemChanged, this, [this, key] { CommitControl(key); });
    }
    if (commit) commits_[key] = std::move(commit);
}

void ConfiguratorWindow::CommitControl(const std::string& name) {
    if (!model_ || showingSettings_ || committing_) return;
    auto it = commits_.find(name);
    if (it == commits_.end()) return;
    committing_ = true;
    it->second();
    const bool others = OnSettingEdited && OnSettingEdited(name);
    committing_ = false;
    if (others) ShowSettings();
}

void ConfiguratorWindow::ShowControl(const std::string& name) {
    if (!model_ || !model_->Has(name)) return;
    const SettingControl& c = model_->At(name);
    auto it = bound_.find(name);
    if (!c.window.empty() || it == bound_.end() || !it->second) return;
    QWidget* w = it->second;
    const bool enabled = w->isEnabled();
    showingSettings_ = true;
    Show(w, c);
    showingSettings_ = false;
    // Enabling stays with whoever set it last.
    if (w->isEnabled() != enabled) w->setEnabled(enabled);
}

// The core changed the control state of a model-bound widget, and the
// generic binding has applied it. A change of its value fields is the
// core's own (a rule that sets a value): the model takes it as an edit.
// Anything else (enabling, shaping, colours) applied the control state's
// stale value too: the model's value goes back into the widget.
void ConfiguratorWindow::FollowCoreValue(const std::string& name) {
    if (!model_ || !commits_.count(name)) return;
    const ControlState* s = cfg_.Controls().Find(name);
    if (!s) return;
    const ValueFields now{s->text, s->checked, s->itemIndex};
    ValueFields& seen = coreValues_[name];
    if (now == seen) {
        ShowControl(name);
        return;
    }
    seen = now;
    CommitControl(name);
}

void ConfiguratorWindow::ShowSettings() {
    if (!model_) return;
    showingSettings_ = true;
    for (const SettingControl& c : model_->Controls()) {
        if (!c.window.empty()) continue;
        auto it = bound_.find(c.name);
        if (it != bound_.end() && it->second) Show(it->second, c);
    }
    showingSettings_ = false;
}

}  // namespace morvane
