#pragma once
// The players of the "Hangok" page's voice slots on Qt Multimedia: a media
// player per slot for playback, one capture session with a recorder for
// recording. The widgets are the page's own (the file fields "Edit16"..,
// "VoicePlay<n>", "VoiceStop<n>", "VoiceRec<n>" and "LabelCountdown"); this
// wires them to the slot rules. Without an audio output or input device the
// affected buttons are disabled and the status text says so.
//
// Recordings are kept as the device takes them (8 kHz, mono, 8 bits): the
// recorder writes whatever WAV its backend offers into a scratch file, which
// is converted into "sound<n>.wav" when the recorder has finished.
#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "config/voice_slots.h"

class QAudioInput;
class QAudioOutput;
class QLabel;
class QLineEdit;
class QMediaCaptureSession;
class QMediaDevices;
class QMediaPlayer;
class QMediaRecorder;
class QPushButton;
class QWidget;

namespace morvane {

class Configurator;
class QtTimerBinding;

class VoiceSlotsUi : public QObject, public VoiceAudio {
    Q_OBJECT
public:
    // page: the widget holding the slot widgets; status: a text for the
    // status bar (panel 3).
    VoiceSlotsUi(QWidget* page, ControlSet& controls, View& view, const std::string& startDirectory,
                 std::function<void(const std::string&)> status, QObject* parent = nullptr);
    ~VoiceSlotsUi() override;

    VoiceSlots& Slots() { return *slots_; }

    // The file dialog of a field; returns the chosen path or an empty text.
    // Replaceable (tests).
    std::function<QString(int slot)> ChooseFile;

    QLineEdit* Field(int slot) const;
    QPushButton* PlayButton(int slot) const;
    QPushButton* StopButton(int slot) const;
    QPushButton* RecordButton(int slot) const;
    QLabel* CountdownLabel() const { return countdown_; }

    // Re-reads the audio devices and enables the buttons they allow.
    void CheckDevices();

    // VoiceAudio
    bool CanPlay() const override { return hasOutput_; }
    bool CanRecord() const override { return hasInput_; }
    void Play(int slot, const std::string& path) override;
    void Stop(int slot) override;
    bool StartRecording(int slot, const std::string& saveAs) override;
    void FinishRecording(int slot) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct SlotWidgets {
        QLineEdit* field = nullptr;
        QPushButton* play = nullptr;
        QPushButton* stop = nullptr;
        QPushButton* record = nullptr;
        QMediaPlayer* player = nullptr;
        QAudioOutput* output = nullptr;
    };
    void Sync();  // the slot widgets follow their control states
    void OnRecorderStopped();
    void SaveRecording();  // the scratch file, converted, under saveAs_
    void DropScratch();
    void Status(const std::string& text);

    ControlSet& controls_;
    std::function<void(const std::string&)> status_;
    std::unique_ptr<VoiceSlots> slots_;
    std::array<SlotWidgets, kVoiceSlotCount> w_;
    QLabel* countdown_ = nullptr;
    QtTimerBinding* timer_ = nullptr;
    QMediaDevices* devices_ = nullptr;
    QMediaCaptureSession* session_ = nullptr;
    QAudioInput* input_ = nullptr;
    QMediaRecorder* recorder_ = nullptr;
    bool hasOutput_ = false;
    bool hasInput_ = false;
    int recordingSlot_ = 0;
    bool finishing_ = false;  // the recording ends and is to be saved
    std::string saveAs_;
    QString scratch_;
};

// Mounts the voice slot players on the configurator's "Hangok" page: status
// texts go to the configurator's status panel 3, then refresh runs (the
// window's Refresh). The returned object lives as long as page.
VoiceSlotsUi* MountVoiceSlots(QWidget* page, Configurator& configurator, View& view,
                              const std::string& startDirectory, std::function<void()> refresh);

}  // namespace morvane
