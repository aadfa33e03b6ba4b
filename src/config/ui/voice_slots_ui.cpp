#include "config/ui/voice_slots_ui.h"

#include <QAudioDevice>
#include <QAudioInput>
#include <QAudioOutput>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QMediaFormat>
#include <QMediaPlayer>
#include <QMediaRecorder>
#include <QPushButton>
#include <QUrl>
#include <QWidget>

#include <utility>
#include <vector>

#include "app/configurator.h"
#include "app/text_io.h"
#include "app/ui/qt_host.h"
#include "config/config_files.h"

namespace morvane {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

constexpr const char* kSaveFailedText = "The voice recording could not be saved";

}  // namespace

VoiceSlotsUi::VoiceSlotsUi(QWidget* page, ControlSet& controls, View& view, const std::string& startDirectory,
                           std::function<void(const std::string&)> status, QObject* parent)
    : QObject(parent), controls_(controls), status_(std::move(status)) {
    slots_ = std::make_unique<VoiceSlots>(controls, view, *this, startDirectory);
    slots_->OnStatus = [this](const std::string& text) { Status(text); };
    ChooseFile = [page, startDirectory](int) {
        return QFileDialog::getOpenFileName(page, QString(), Q(startDirectory),
                                            QStringLiteral("Voice Files (*.wav);;All Files (*)"));
    };

    for (int n = 1; n <= kVoiceSlotCount; ++n) {
        SlotWidgets& s = w_[static_cast<size_t>(n - 1)];
        s.field = page->findChild<QLineEdit*>(Q(VoiceSlots::FieldName(n)));
        s.play = page->findChild<QPushButton*>(Q(VoicePlayButton(n)));
        s.stop = page->findChild<QPushButton*>(Q(VoiceStopButton(n)));
        s.record = page->findChild<QPushButton*>(Q(VoiceRecordButton(n)));
        if (s.field) s.field->installEventFilter(this);
        if (s.play) connect(s.play, &QPushButton::clicked, this, [this, n] { slots_->Play(n); Sync(); });
        if (s.stop) connect(s.stop, &QPushButton::clicked, this, [this, n] { slots_->Stop(n); Sync(); });
        if (s.record) connect(s.record, &QPushButton::clicked, this, [this, n] { slots_->Record(n); Sync(); });
    }
    countdown_ = page->findChild<QLabel*>(QString::fromUtf8(kVoiceCountdownLabel));
    timer_ = new QtTimerBinding(slots_->CountdownTimer(), [this] { Sync(); }, this);

    devices_ = new QMediaDevices(this);
    connect(devices_, &QMediaDevices::audioOutputsChanged, this, &VoiceSlotsUi::CheckDevices);
    connect(devices_, &QMediaDevices::audioInputsChanged, this, &VoiceSlotsUi::CheckDevices);
    CheckDevices();
}

VoiceSlotsUi::~VoiceSlotsUi() {
    // A recording cut short by the end of the window is not kept.
    if (recorder_) {
        recorder_->disconnect(this);
        if (recorder_->recorderState() != QMediaRecorder::StoppedState) recorder_->stop();
    }
    if (!scratch_.isEmpty()) QFile::remove(scratch_);
    // The timer binding hooks the countdown timer, which goes with slots_
    // before the children are deleted.
    delete timer_;
    for (SlotWidgets& s : w_) {
        if (s.player) s.player->disconnect(this);
        delete s.player;
    }
}

QLineEdit* VoiceSlotsUi::Field(int slot) const {
    return slot >= 1 && slot <= kVoiceSlotCount ? w_[static_cast<size_t>(slot - 1)].field : nullptr;
}
QPushButton* VoiceSlotsUi::PlayButton(int slot) const {
    return slot >= 1 && slot <= kVoiceSlotCount ? w_[static_cast<size_t>(slot - 1)].play : nullptr;
}
QPushButton* VoiceSlotsUi::StopButton(int slot) const {
    return slot >= 1 && slot <= kVoiceSlotCount ? w_[static_cast<size_t>(slot - 1)].stop : nullptr;
}
QPushButton* VoiceSlotsUi::RecordButton(int slot) const {
    return slot >= 1 && slot <= kVoiceSlotCount ? w_[static_cast<size_t>(slot - 1)].record : nullptr;
}

void VoiceSlotsUi::CheckDevices() {
    hasOutput_ = !QMediaDevices::audioOutputs().isEmpty();
    hasInput_ = !QMediaDevices::audioInputs().isEmpty();
    slots_->ApplyDevices();
    Sync();
}

void VoiceSlotsUi::Sync() {
    auto enabled = [this](QWidget* w, const std::string& name) {
        const ControlState* s = controls_.Find(name);
        if (w && s) w->setEnabled(s->enabled);
    };
    for (int n = 1; n <= kVoiceSlotCount; ++n) {
        SlotWidgets& s = w_[static_cast<size_t>(n - 1)];
        enabled(s.play, VoicePlayButton(n));
        enabled(s.stop, VoiceStopButton(n));
        enabled(s.record, VoiceRecordButton(n));
        const ControlState* f = controls_.Find(VoiceSlots::FieldName(n));
        if (s.field && f && s.field->text() != Q(f->text)) s.field->setText(Q(f->text));
    }
    if (const ControlState* c = controls_.Find(kVoiceCountdownLabel); c && countdown_) {
        countdown_->setText(Q(c->text));
        countdown_->setVisible(c->visible);
    }
}

bool VoiceSlotsUi::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        for (int n = 1; n <= kVoiceSlotCount; ++n) {
            if (watched != w_[static_cast<size_t>(n - 1)].field) continue;
            if (slots_->RecordingSlot() != 0 || !ChooseFile) break;
            const QString path = ChooseFile(n);
            if (!path.isEmpty()) {
                slots_->ChooseFile(n, path.toStdString());
                Sync();
            }
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void VoiceSlotsUi::Status(const std::string& text) {
    if (status_) status_(text);
}

// ---------------------------------------------------------------- playback

void VoiceSlotsUi::Play(int slot, const std::string& path) {
    if (slot < 1 || slot > kVoiceSlotCount || !hasOutput_) return;
    SlotWidgets& s = w_[static_cast<size_t>(slot - 1)];
    if (!s.player) {
        s.player = new QMediaPlayer(this);
        s.output = new QAudioOutput(s.player);
        s.player->setAudioOutput(s.output);
        connect(s.player, &QMediaPlayer::errorOccurred, this,
                [this](QMediaPlayer::Error, const QString& text) { Status(text.toStdString()); });
    }
    s.player->stop();
    s.player->setSource(QUrl());
    s.player->setSource(QUrl::fromLocalFile(Q(path)));
    s.player->play();
}

void VoiceSlotsUi::Stop(int slot) {
    if (slot < 1 || slot > kVoiceSlotCount) return;
    if (QMediaPlayer* p = w_[static_cast<size_t>(slot - 1)].player) p->stop();
    if (slot == recordingSlot_ && recorder_) {
        // A recording stopped this way is dropped.
        recordingSlot_ = 0;
        finishing_ = false;
        if (recorder_->recorderState() == QMediaRecorder::StoppedState)
            DropScratch();
        else
            recorder_->stop();
    }
}

// ---------------------------------------------------------------- recording

bool VoiceSlotsUi::StartRecording(int slot, const std::string& saveAs) {
    if (!hasInput_ || recordingSlot_ != 0 || slot < 1 || slot > kVoiceSlotCount) return false;
    if (QMediaPlayer* p = w_[static_cast<size_t>(slot - 1)].player) {
        p->stop();
        p->setSource(QUrl());
    }
    if (!recorder_) {
        session_ = new QMediaCaptureSession(this);
        recorder_ = new QMediaRecorder(this);
        session_->setRecorder(recorder_);
        connect(recorder_, &QMediaRecorder::recorderStateChanged, this, [this](QMediaRecorder::RecorderState st) {
            if (st == QMediaRecorder::StoppedState) OnRecorderStopped();
        });
        connect(recorder_, &QMediaRecorder::errorOccurred, this,
                [this](QMediaRecorder::Error, const QString& text) { Status(text.toStdString()); });
    }
    delete input_;
    input_ = new QAudioInput(QMediaDevices::defaultAudioInput(), this);
    session_->setAudioInput(input_);

    QMediaFormat format(QMediaFormat::Wave);
    format.setAudioCodec(QMediaFormat::AudioCodec::Wave);
    recorder_->setMediaFormat(format);
    recorder_->setAudioSampleRate(8000);
    recorder_->setAudioChannelCount(1);
    scratch_ = Q(saveAs) + QStringLiteral(".rec.wav");
    QFile::remove(scratch_);
    recorder_->setOutputLocation(QUrl::fromLocalFile(scratch_));
    saveAs_ = saveAs;
    finishing_ = false;
    recordingSlot_ = slot;
    recorder_->record();
    if (recorder_->error() != QMediaRecorder::NoError) {
        recordingSlot_ = 0;
        if (recorder_->recorderState() == QMediaRecorder::StoppedState)
            DropScratch();
        else
            recorder_->stop();
        return false;
    }
    return true;
}

void VoiceSlotsUi::FinishRecording(int slot) {
    if (slot != recordingSlot_ || !recorder_) return;
    finishing_ = true;
    if (recorder_->recorderState() == QMediaRecorder::StoppedState)
        SaveRecording();  // the backend had stopped already
    else
        recorder_->stop();  // saved when the recorder reports it has stopped
}

void VoiceSlotsUi::OnRecorderStopped() {
    if (recordingSlot_ == 0) {
        DropScratch();  // dropped
        return;
    }
    // A backend that stops by itself leaves the file for the end of the
    // countdown.
    if (finishing_) SaveRecording();
}

void VoiceSlotsUi::DropScratch() {
    if (recorder_ && recorder_->actualLocation().isLocalFile()) QFile::remove(recorder_->actualLocation().toLocalFile());
    if (!scratch_.isEmpty()) QFile::remove(scratch_);
    scratch_.clear();
}

void VoiceSlotsUi::SaveRecording() {
    recordingSlot_ = 0;
    finishing_ = false;
    const QUrl location = recorder_->actualLocation();
    const QString written = location.isLocalFile() ? location.toLocalFile() : scratch_;
    std::optional<std::vector<uint8_t>> wav;
    if (const std::optional<std::string> bytes = ReadWholeFile(written.toStdString()))
        wav = ToDeviceWav(std::vector<uint8_t>(bytes->begin(), bytes->end()));
    // The old recording stays until the new one is complete.
    const bool saved = wav && WriteFileAtomically(saveAs_, *wav).ok;
    DropScratch();
    if (!saved) Status(kSaveFailedText);
}

// ---------------------------------------------------------------- mounting

VoiceSlotsUi* MountVoiceSlots(QWidget* page, Configurator& configurator, View& view,
                              const std::string& startDirectory, std::function<void()> refresh) {
    Configurator* cfg = &configurator;
    return new VoiceSlotsUi(
        page, configurator.Controls(), view, startDirectory,
        [cfg, refresh = std::move(refresh)](const std::string& text) {
            cfg->StatusPanels[3] = text;
            if (refresh) refresh();
        },
        page);
}

}  // namespace morvane
