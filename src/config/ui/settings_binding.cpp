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
    std::vector<std::string> missing;
    for (const SettingControl& c : model.Controls()) {
        if (!c.window.empty()) continue;
        QWidget* w = WidgetOf(this, c.name);
        if (!w) {
            missing.push_back(c.name);
            continue;
        }
        const std::string key = c.name;
        auto guard = [this] { return model_ != nullptr && !showingSettings_; };
        if (auto* spin = qobject_cast<QSpinBox*>(w)) {
            connect(spin, &QSpinBox::valueChanged, this, [this, key, guard](int v) {
                if (guard()) model_->SetValue(key, v);
            });
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            if (combo->isEditable()) {
                connect(combo, &QComboBox::currentTextChanged, this, [this, key, guard](const QString& t) {
                    if (guard()) model_->SetText(key, t.toStdString());
                });
            } else {
                connect(combo, &QComboBox::currentIndexChanged, this, [this, key, guard](int i) {
                    if (guard()) model_->SetValue(key, i);
                });
            }
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            const auto radios = group->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
            for (int i = 0; i < radios.size(); ++i) {
                connect(radios[i], &QRadioButton::toggled, this, [this, key, guard, i](bool on) {
                    if (on && guard()) model_->SetValue(key, i);
                });
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            connect(button, &QAbstractButton::toggled, this, [this, key, guard](bool on) {
                if (guard()) model_->SetChecked(key, on);
            });
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            const bool phone = c.kind == ControlKind::kPhone;
            connect(edit, &QLineEdit::textChanged, this, [this, key, guard, edit, phone](const QString& t) {
                if (guard()) model_->SetText(key, (phone ? edit->displayText() : t).toStdString());
            });
        } else if (auto* list = qobject_cast<QListWidget*>(w)) {
            connect(list, &QListWidget::itemChanged, this, [this, key, guard, list](QListWidgetItem*) {
                if (!guard()) return;
                int mask = 0;
                for (int i = 0; i < list->count() && i < 8; ++i)
                    if (list->item(i)->checkState() == Qt::Checked) mask |= 1 << i;
                model_->SetMask(key, static_cast<uint8_t>(mask));
            });
        }
    }
    ShowSettings();
    return missing;
}

void ConfiguratorWindow::ShowSettings() {
    if (!model_) return;
    showingSettings_ = true;
    for (const SettingControl& c : model_->Controls()) {
        if (!c.window.empty()) continue;
        if (QWidget* w = WidgetOf(this, c.name)) Show(w, c);
    }
    showingSettings_ = false;
}

}  // namespace morvane
