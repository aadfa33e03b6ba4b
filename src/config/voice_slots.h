#pragma once
// The seven voice message slots of the "Hangok" page: a file field, an upload
// button and a player (play, stop, record) per slot, and the countdown label
// shown while a recording runs. The rules live here; the sound itself goes
// through a VoiceAudio that the host supplies (the window's media players, or
// a stand-in in the tests). The slot controls are kept in a ControlSet under
// the names of the page's widgets.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/core_timer.h"
#include "app/view.h"

namespace morvane {

inline constexpr int kVoiceSlotCount = 7;
inline constexpr const char* kVoiceFileFilter = "Voice Files|*.wav|All Files|*.*";
inline constexpr const char* kBadSoundFormatText = "Rossz formátum";
inline constexpr const char* kVoiceCountdownLabel = "LabelCountdown";

struct VoiceSlotInfo {
    int number;            // 1..7
    const char* field;     // file field ("Edit16" for slot 1)
    const char* caption;   // caption on the page
    int recordSeconds;     // length of a recording
};
// Slot 1 the identification message, 2..5 the inputs, 6 power, 7 tamper.
const std::array<VoiceSlotInfo, kVoiceSlotCount>& VoiceSlotTable();

// Control names of a slot's player buttons (slot 1..7).
std::string VoicePlayButton(int slot);
std::string VoiceStopButton(int slot);
std::string VoiceRecordButton(int slot);

// ---------------------------------------------------------------- WAV files

// Offset of the first "data" tag that lies wholly in the first 256 bytes of
// head, or nullopt.
std::optional<size_t> FindWavDataTag(const uint8_t* head, size_t size);

enum class WavCheck { kOk, kNoDataTag, kUnreadable };
// Reads the first 256 bytes of the file and looks for the "data" tag.
WavCheck CheckWavFile(const std::string& path);

// A recording as the device takes it: RIFF/WAVE PCM, mono, 8000 samples per
// second, 8 bits. Converts PCM (8, 16, 24 or 32 bits) or 32/64-bit float WAV
// data of any rate and channel count: channels are mixed, the rate is
// changed (averaging when lowering it). nullopt for data that is not such a
// WAV file.
std::optional<std::vector<uint8_t>> ToDeviceWav(const std::vector<uint8_t>& wav);
// A device WAV file of the given 8-bit samples.
std::vector<uint8_t> MakeDeviceWav(const std::vector<uint8_t>& samples);

// ---------------------------------------------------------------- rules

// What a slot's play button plays: the field's path, or with "Internal" (or
// an empty field) the slot's own recording StartDirectory/sound<n>.wav.
std::string VoicePlayTarget(const std::string& fieldText, int slot, const std::string& startDir);

// The sound service of the host. Slots are 1..7.
class VoiceAudio {
public:
    virtual ~VoiceAudio() = default;
    virtual bool CanPlay() const = 0;    // an output device exists
    virtual bool CanRecord() const = 0;  // an input device exists
    // The slot's player closes, opens the file and plays it.
    virtual void Play(int slot, const std::string& path) = 0;
    // The slot's player stops (playback or a recording; a stopped recording
    // is not saved).
    virtual void Stop(int slot) = 0;
    // Starts recording into the slot; saveAs is where it is kept at the end.
    // False when the recording cannot start.
    virtual bool StartRecording(int slot, const std::string& saveAs) = 0;
    // Ends the slot's recording and saves it under its saveAs name.
    virtual void FinishRecording(int slot) = 0;
};

class VoiceSlots {
public:
    VoiceSlots(ControlSet& controls, View& view, VoiceAudio& audio, std::string startDirectory);
    VoiceSlots(const VoiceSlots&) = delete;
    VoiceSlots& operator=(const VoiceSlots&) = delete;

    // A file was chosen in the field's dialog: a file with the "data" tag in
    // its first 256 bytes goes into the field as its full path; otherwise
    // "Rossz formátum" is shown and the field is emptied. True when taken.
    bool ChooseFile(int slot, const std::string& path);
    void Play(int slot);
    // Every other player is disabled, the countdown label shows the seconds
    // (16 for slot 1, 8 for the others) and the countdown timer runs.
    void Record(int slot);
    // Ends a running recording as the countdown does (saved, field
    // "Internal"); otherwise stops the player. The countdown label is hidden
    // and the players enabled.
    void Stop(int slot);

    // Enables the buttons the audio devices allow and reports a missing
    // device in the status text. Called by the host once the devices are known.
    void ApplyDevices();

    // One second of the recording countdown.
    CoreTimer& CountdownTimer() { return countdown_; }
    int RecordingSlot() const { return recording_; }  // 0: none
    int SecondsLeft() const { return secondsLeft_; }

    // Texts for the status bar (panel 3).
    std::function<void(const std::string&)> OnStatus;

    static std::string FieldName(int slot);
    static int RecordSeconds(int slot);
    const std::string& StartDirectory() const { return startDir_; }
    std::string SoundPath(int slot) const;  // StartDirectory/sound<n>.wav

private:
    void Tick();
    void EndRecording();
    void EnablePlayers();
    void HideCountdown();
    void Status(const std::string& text);

    ControlSet& controls_;
    View& view_;
    VoiceAudio& audio_;
    std::string startDir_;
    CoreTimer countdown_{"voice countdown", 1000, false};
    int recording_ = 0;
    int secondsLeft_ = 0;
};

}  // namespace morvane
