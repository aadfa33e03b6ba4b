// The voice slot players on the configurator's "Hangok" page, off-screen:
// every slot's widgets are wired, the file field's dialog goes through the
// WAV check, and a machine without audio devices gets a status text and
// disabled buttons instead of a failure.
#include <gtest/gtest.h>

#include <QApplication>
#include <QAudioDevice>
#include <QLabel>
#include <QLineEdit>
#include <QMediaDevices>
#include <QMouseEvent>
#include <QPushButton>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/configurator.h"
#include "app/side_files.h"
#include "app/ui/configurator_window.h"
#include "config/ui/voice_slots_ui.h"
#include "gui/gui_support.h"
#include "support/test_support.h"

namespace morvane {
namespace {

using test::ScopedEnv;
using test::TempDir;

struct FakeView : View {
    std::vector<std::string> messages;
    void Message(const std::string& text) override { messages.push_back(text); }
};

class VoiceSlotsUiTest : public ::testing::Test {
protected:
    void SetUp() override {
        cfg_ = std::make_unique<Configurator>("Software\\MorvaneTest");
        cfg_->Activate(dir_.Path());
        window_ = std::make_unique<ConfiguratorWindow>(*cfg_);
        window_->setAttribute(Qt::WA_DontShowOnScreen, true);
        ui_ = MountVoiceSlots(window_.get(), *cfg_, view_, dir_.Path(), [this] { window_->Refresh(); });
    }
    void TearDown() override {
        window_.reset();  // takes the mounted players with it
        cfg_.reset();
    }
    void Click(QWidget* w) {
        const QPointF at(2, 2);
        QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    }

    TempDir dir_;
    ScopedEnv settings_{"MORVANE_SETTINGS", dir_.File("settings.ini")};
    FakeView view_;
    std::unique_ptr<Configurator> cfg_;
    std::unique_ptr<ConfiguratorWindow> window_;
    VoiceSlotsUi* ui_ = nullptr;
};

TEST_F(VoiceSlotsUiTest, EverySlotHasItsFieldAndPlayerButtons) {
    for (int n = 1; n <= kVoiceSlotCount; ++n) {
        SCOPED_TRACE(n);
        ASSERT_NE(ui_->Field(n), nullptr);
        EXPECT_EQ(ui_->Field(n)->objectName().toStdString(), Configurator::kVoiceSlotEdits[static_cast<size_t>(n - 1)]);
        EXPECT_NE(ui_->PlayButton(n), nullptr);
        EXPECT_NE(ui_->StopButton(n), nullptr);
        EXPECT_NE(ui_->RecordButton(n), nullptr);
    }
    ASSERT_NE(ui_->CountdownLabel(), nullptr);
    EXPECT_FALSE(ui_->CountdownLabel()->isVisibleTo(window_.get()));
}

// This machine may have no sound devices: the status bar says so, the
// buttons that need them are disabled, and pressing them breaks nothing.
TEST_F(VoiceSlotsUiTest, MissingAudioDevicesAreReportedNotFatal) {
    const bool output = !QMediaDevices::audioOutputs().isEmpty();
    const bool input = !QMediaDevices::audioInputs().isEmpty();
    EXPECT_EQ(ui_->CanPlay(), output);
    EXPECT_EQ(ui_->CanRecord(), input);
    if (!output || !input) {
        EXPECT_NE(cfg_->StatusPanels[3].find("No audio"), std::string::npos) << cfg_->StatusPanels[3];
    }
    for (int n = 1; n <= kVoiceSlotCount; ++n) {
        EXPECT_EQ(ui_->PlayButton(n)->isEnabled(), output);
        EXPECT_EQ(ui_->RecordButton(n)->isEnabled(), input);
    }
    if (!input) {
        ui_->RecordButton(1)->setEnabled(true);  // pressed anyway
        ui_->RecordButton(1)->click();
        EXPECT_EQ(ui_->Slots().RecordingSlot(), 0);
        EXPECT_FALSE(ui_->CountdownLabel()->isVisibleTo(window_.get()));
    }
    if (!output) {
        ui_->PlayButton(2)->setEnabled(true);
        ui_->PlayButton(2)->click();
    }
    // Stop with nothing recorded leaves the field as it is.
    ui_->Field(2)->setText(QStringLiteral("/music/alarm.wav"));
    cfg_->Controls().SetText("Edit9", "/music/alarm.wav");
    ui_->StopButton(2)->setEnabled(true);
    ui_->StopButton(2)->click();
    QApplication::processEvents();
    EXPECT_EQ(ui_->Field(2)->text(), QStringLiteral("/music/alarm.wav"));
}

TEST_F(VoiceSlotsUiTest, ClickOnTheFieldChecksTheChosenFile) {
    const std::string bad = dir_.File("bad.wav");
    std::ofstream(bad, std::ios::binary) << std::string(400, 'x');
    const std::string good = dir_.File("good.wav");
    const auto& base = BaseWavBytes();
    std::ofstream(good, std::ios::binary).write(reinterpret_cast<const char*>(base.data()),
                                                static_cast<std::streamsize>(base.size()));
    QString chosen;
    int asked = 0;
    ui_->ChooseFile = [&](int slot) {
        ++asked;
        EXPECT_EQ(slot, 4);
        return chosen;
    };
    QLineEdit* field = ui_->Field(4);
    chosen = QString::fromStdString(good);
    Click(field);
    EXPECT_EQ(field->text().toStdString(), good);
    EXPECT_TRUE(view_.messages.empty());

    chosen = QString::fromStdString(bad);
    Click(field);
    EXPECT_EQ(field->text(), QString());
    EXPECT_EQ(view_.messages, std::vector<std::string>{"Rossz formátum"});

    chosen.clear();  // cancelled: the field stays
    field->setText(QStringLiteral("kept"));
    Click(field);
    EXPECT_EQ(field->text(), QStringLiteral("kept"));
    EXPECT_EQ(asked, 3);
}

}  // namespace
}  // namespace morvane
