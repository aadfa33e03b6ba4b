// Voice message slots: the WAV check of a chosen file, what play plays, the
// recording countdown and its end, stop, missing audio devices, and the
// conversion of recordings into the device's WAV form.
#include "config/voice_slots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/configurator.h"
#include "app/side_files.h"
#include "support/test_support.h"

namespace morvane {
namespace {

using test::TempDir;

struct FakeView : View {
    std::vector<std::string> messages;
    void Message(const std::string& text) override { messages.push_back(text); }
};

// Records what the slots ask of the sound service.
struct FakeAudio : VoiceAudio {
    bool output = true;
    bool input = true;
    bool startOk = true;
    std::vector<std::string> calls;
    bool CanPlay() const override { return output; }
    bool CanRecord() const override { return input; }
    void Play(int slot, const std::string& path) override {
        calls.push_back("play " + std::to_string(slot) + " " + path);
    }
    void Stop(int slot) override { calls.push_back("stop " + std::to_string(slot)); }
    bool StartRecording(int slot, const std::string& saveAs) override {
        calls.push_back("record " + std::to_string(slot) + " " + saveAs);
        return startOk;
    }
    void FinishRecording(int slot) override { calls.push_back("finish " + std::to_string(slot)); }
};

void Spit(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

class VoiceSlotsTest : public ::testing::Test {
protected:
    void SetUp() override {
        slots_.OnStatus = [this](const std::string& t) { status_ = t; };
        for (int n = 1; n <= kVoiceSlotCount; ++n) controls_.SetText(VoiceSlots::FieldName(n), "/music/own.wav");
    }
    const std::string& Field(int n) { return controls_[VoiceSlots::FieldName(n)].text; }
    bool Enabled(const std::string& name) { return controls_[name].enabled; }
    // Every button of every slot but `except` has the given state.
    void ExpectPlayers(bool enabled, int except = 0) {
        for (int n = 1; n <= kVoiceSlotCount; ++n) {
            if (n == except) continue;
            EXPECT_EQ(Enabled(VoicePlayButton(n)), enabled) << n;
            EXPECT_EQ(Enabled(VoiceStopButton(n)), enabled) << n;
            EXPECT_EQ(Enabled(VoiceRecordButton(n)), enabled) << n;
        }
    }
    const ControlState& Countdown() { return controls_[kVoiceCountdownLabel]; }

    TempDir dir_;
    ControlSet controls_;
    FakeView view_;
    FakeAudio audio_;
    VoiceSlots slots_{controls_, view_, audio_, dir_.Path()};
    std::string status_;
};

TEST(VoiceSlotTable, SlotsFollowTheConfiguratorsFieldsAndLengths) {
    for (int n = 1; n <= kVoiceSlotCount; ++n) {
        EXPECT_EQ(VoiceSlots::FieldName(n), Configurator::kVoiceSlotEdits[static_cast<size_t>(n - 1)]);
        EXPECT_EQ(VoiceSlots::RecordSeconds(n), n == 1 ? 16 : 8);
    }
    EXPECT_EQ(VoiceSlots::FieldName(0), "");
    EXPECT_EQ(VoiceSlots::FieldName(8), "");
}

// The "data" tag must lie wholly in the first 256 bytes.
TEST_F(VoiceSlotsTest, ChosenFileIsTakenOnlyWithDataTagInFirst256Bytes) {
    const std::string base(BaseWavBytes().begin(), BaseWavBytes().end());
    struct Case {
        const char* name;
        std::string content;
        bool taken;
        const char* message;
    };
    const Case cases[] = {
        {"base.wav", base, true, nullptr},
        {"tag at 252 ends at byte 256", std::string(252, 'x') + "data" + std::string(100, 0), true, nullptr},
        {"tag at 253 straddles the limit", std::string(253, 'x') + "data" + std::string(100, 0), false,
         "Rossz formátum"},
        {"tag after the first 256 bytes", std::string(300, 'x') + "data", false, "Rossz formátum"},
        {"only the tag", "data", true, nullptr},
        {"empty file", "", false, "Rossz formátum"},
        {"upper case tag", std::string(40, 'x') + "DATA", false, "Rossz formátum"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir_.File("chosen.wav");
        Spit(path, c.content);
        controls_.SetText("Edit13", "Internal");
        view_.messages.clear();
        EXPECT_EQ(slots_.ChooseFile(3, path), c.taken);
        EXPECT_EQ(Field(3), c.taken ? path : "");
        if (c.message)
            EXPECT_EQ(view_.messages, std::vector<std::string>{c.message});
        else
            EXPECT_TRUE(view_.messages.empty());
    }
    // A file that cannot be read is reported and not taken.
    view_.messages.clear();
    EXPECT_FALSE(slots_.ChooseFile(3, dir_.File("missing.wav")));
    EXPECT_EQ(Field(3), "");
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_NE(view_.messages[0].find("missing.wav"), std::string::npos);
}

TEST_F(VoiceSlotsTest, PlayTakesTheFieldsPathOrTheSlotsOwnRecording) {
    struct Case {
        int slot;
        std::string field;
        std::string played;
    };
    const Case cases[] = {
        {2, "/music/alarm.wav", "/music/alarm.wav"},
        {2, "Internal", dir_.File("sound2.wav")},
        {7, "Internal", dir_.File("sound7.wav")},
        {5, "", dir_.File("sound5.wav")},
        {1, "internal", "internal"},  // only the exact word stands for the own recording
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VoicePlayTarget(c.field, c.slot, dir_.Path()), c.played);
        controls_.SetText(VoiceSlots::FieldName(c.slot), c.field);
        audio_.calls.clear();
        slots_.Play(c.slot);
        EXPECT_EQ(audio_.calls, std::vector<std::string>{"play " + std::to_string(c.slot) + " " + c.played});
    }
}

// Slot 1 records for 16 seconds, the others for 8: the label counts down
// once a second, and the tick after it showed 1 ends the recording.
TEST_F(VoiceSlotsTest, RecordingCountsDownAndEndsAsInternalRecording) {
    for (int slot : {1, 4}) {
        SCOPED_TRACE(slot);
        const int seconds = slot == 1 ? 16 : 8;
        audio_.calls.clear();
        slots_.Record(slot);
        EXPECT_EQ(audio_.calls, std::vector<std::string>{"record " + std::to_string(slot) + " " +
                                                         dir_.File("sound" + std::to_string(slot) + ".wav")});
        EXPECT_EQ(slots_.RecordingSlot(), slot);
        EXPECT_TRUE(slots_.CountdownTimer().Enabled());
        EXPECT_EQ(slots_.CountdownTimer().Interval(), 1000);
        EXPECT_TRUE(Countdown().visible);
        ExpectPlayers(false, slot);
        EXPECT_TRUE(Enabled(VoiceStopButton(slot)));

        std::vector<std::string> shown{Countdown().text};
        for (int t = 1; t < seconds; ++t) {
            slots_.CountdownTimer().Fire();
            shown.push_back(Countdown().text);
        }
        std::vector<std::string> expected;
        for (int s = seconds; s >= 1; --s) expected.push_back(std::to_string(s));
        EXPECT_EQ(shown, expected);
        EXPECT_EQ(slots_.RecordingSlot(), slot);
        EXPECT_EQ(Field(slot), "/music/own.wav");
        // While recording the other players and the recording's own play do nothing.
        audio_.calls.clear();
        slots_.Play(slot);
        slots_.Record(2);
        slots_.Stop(slot == 1 ? 2 : 1);
        EXPECT_TRUE(audio_.calls.empty());

        slots_.CountdownTimer().Fire();
        EXPECT_EQ(slots_.RecordingSlot(), 0);
        EXPECT_FALSE(slots_.CountdownTimer().Enabled());
        EXPECT_EQ(audio_.calls.back(), "finish " + std::to_string(slot));
        EXPECT_EQ(std::count(audio_.calls.begin(), audio_.calls.end(), "stop " + std::to_string(slot)), 0);
        EXPECT_EQ(audio_.calls.size(), 7u);  // the six other players stopped, then the save
        EXPECT_EQ(Field(slot), "Internal");
        EXPECT_FALSE(Countdown().visible);
        ExpectPlayers(true);
        EXPECT_EQ(Field(2), "/music/own.wav");  // the other fields stay
    }
}

TEST_F(VoiceSlotsTest, StopSavesOnlyARunningRecording) {
    slots_.Record(6);
    slots_.CountdownTimer().Fire();
    slots_.Stop(6);
    EXPECT_EQ(audio_.calls.back(), "finish 6");
    EXPECT_EQ(Field(6), "Internal");
    EXPECT_EQ(slots_.RecordingSlot(), 0);
    EXPECT_FALSE(slots_.CountdownTimer().Enabled());
    EXPECT_FALSE(Countdown().visible);
    ExpectPlayers(true);

    // Stopping a playback leaves the chosen file in the field.
    audio_.calls.clear();
    slots_.Play(3);
    slots_.Stop(3);
    EXPECT_EQ(audio_.calls, (std::vector<std::string>{"play 3 /music/own.wav", "stop 3"}));
    EXPECT_EQ(Field(3), "/music/own.wav");
    ExpectPlayers(true);
}

TEST_F(VoiceSlotsTest, RecordingThatCannotStartGivesThePlayersBack) {
    audio_.startOk = false;
    slots_.Record(2);
    EXPECT_EQ(slots_.RecordingSlot(), 0);
    EXPECT_FALSE(slots_.CountdownTimer().Enabled());
    EXPECT_FALSE(status_.empty());
    ExpectPlayers(true);
    EXPECT_EQ(Field(2), "/music/own.wav");
}

TEST_F(VoiceSlotsTest, MissingAudioDevicesDisableTheirButtonsAndSaySo) {
    struct Case {
        bool output, input;
        const char* statusWord;  // part of the status text, "" for none
    };
    const Case cases[] = {
        {false, false, "No audio device"},
        {false, true, "output"},
        {true, false, "input"},
        {true, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.output) + std::to_string(c.input));
        audio_.output = c.output;
        audio_.input = c.input;
        audio_.calls.clear();
        status_.clear();
        slots_.ApplyDevices();
        if (*c.statusWord)
            EXPECT_NE(status_.find(c.statusWord), std::string::npos) << status_;
        else
            EXPECT_EQ(status_, "");
        for (int n = 1; n <= kVoiceSlotCount; ++n) {
            EXPECT_EQ(Enabled(VoicePlayButton(n)), c.output);
            EXPECT_EQ(Enabled(VoiceRecordButton(n)), c.input);
        }
        // Commands the devices do not allow reach no player.
        slots_.Play(1);
        slots_.Record(1);
        EXPECT_EQ(audio_.calls.size(), static_cast<size_t>(c.output) + static_cast<size_t>(c.input));
        if (slots_.RecordingSlot()) slots_.Stop(1);
    }
}

// ---------------------------------------------------------------- conversion

std::vector<uint8_t> Wav(int format, int channels, int rate, int bits, const std::vector<uint8_t>& data,
                         uint32_t dataSize) {
    std::vector<uint8_t> w;
    auto le = [&w](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) w.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto tag = [&w](const char* t) {
        for (int i = 0; i < 4; ++i) w.push_back(static_cast<uint8_t>(t[i]));
    };
    const int align = channels * (bits / 8);
    tag("RIFF");
    le(static_cast<uint32_t>(4 + 24 + 12 + 8 + data.size()), 4);
    tag("WAVE");
    tag("fmt ");
    le(16, 4);
    le(static_cast<uint32_t>(format), 2);
    le(static_cast<uint32_t>(channels), 2);
    le(static_cast<uint32_t>(rate), 4);
    le(static_cast<uint32_t>(rate * align), 4);
    le(static_cast<uint32_t>(align), 2);
    le(static_cast<uint32_t>(bits), 2);
    tag("LIST");  // a chunk before the data, as recorders write
    le(4, 4);
    tag("INFO");
    tag("data");
    le(dataSize, 4);
    w.insert(w.end(), data.begin(), data.end());
    return w;
}

std::vector<uint8_t> Frames(int count, const std::vector<uint8_t>& frame) {
    std::vector<uint8_t> d;
    for (int i = 0; i < count; ++i) d.insert(d.end(), frame.begin(), frame.end());
    return d;
}

TEST(ToDeviceWav, ConvertsRecordingsTo8kMono8Bit) {
    auto f32 = [](float v) {
        uint32_t b;
        std::memcpy(&b, &v, 4);
        return std::vector<uint8_t>{uint8_t(b), uint8_t(b >> 8), uint8_t(b >> 16), uint8_t(b >> 24)};
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> wav;
        size_t samples;
        uint8_t value;
    };
    const Case cases[] = {
        // 16-bit stereo at 16 kHz, both channels at half scale: 100 ms.
        {"pcm16 stereo 16k", Wav(1, 2, 16000, 16, Frames(1600, {0x00, 0x40, 0x00, 0x40}), 6400), 800, 192},
        // Channels are mixed: +half and -half give silence.
        {"pcm16 opposite channels", Wav(1, 2, 8000, 16, Frames(80, {0x00, 0x40, 0x00, 0xC0}), 320), 80, 128},
        {"pcm8 mono 8k", Wav(1, 1, 8000, 8, Frames(80, {0x20}), 80), 80, 0x20},
        {"float 48k", Wav(3, 1, 48000, 32, Frames(480, f32(-1.0f)), 1920), 80, 0},
        {"pcm24 mono 4k", Wav(1, 1, 4000, 24, Frames(40, {0, 0, 0x80}), 120), 80, 0},
        {"pcm32 mono 8k full scale", Wav(1, 1, 8000, 32, Frames(8, {0xFF, 0xFF, 0xFF, 0x7F}), 32), 8, 255},
        // A recording whose size field was never filled in.
        {"unfinalised data size", Wav(1, 1, 8000, 16, Frames(40, {0, 0}), 0xFFFFFFFF), 40, 128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto out = ToDeviceWav(c.wav);
        ASSERT_TRUE(out);
        ASSERT_EQ(out->size(), 44 + c.samples + (c.samples & 1));
        EXPECT_EQ(*out, MakeDeviceWav(std::vector<uint8_t>(c.samples, c.value)));
    }
    // The device form of base.wav is base.wav itself.
    EXPECT_EQ(ToDeviceWav(BaseWavBytes()), BaseWavBytes());
}

TEST(ToDeviceWav, RefusesWhatIsNotPcmWav) {
    const std::vector<uint8_t> good = Wav(1, 1, 8000, 16, Frames(8, {0, 0}), 16);
    auto without = [&good](size_t at, uint8_t v) {
        auto w = good;
        w[at] = v;
        return w;
    };
    const std::vector<std::vector<uint8_t>> bad = {
        {},
        std::vector<uint8_t>(good.begin(), good.begin() + 30),  // cut inside the format chunk
        without(0, 'X'),     // not RIFF
        without(8, 'X'),     // not WAVE
        without(20, 2),      // ADPCM
        without(22, 0),      // no channels
        without(34, 64),     // 64-bit integer samples
        without(43, 0x7F),   // the "LIST" chunk claims more than the file holds
    };
    ASSERT_TRUE(ToDeviceWav(good));
    for (size_t i = 0; i < bad.size(); ++i) EXPECT_FALSE(ToDeviceWav(bad[i])) << i;
}

}  // namespace
}  // namespace morvane
