#include "config/voice_slots.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <utility>

#include "app/side_files.h"

namespace morvane {

namespace {

constexpr size_t kHeadBytes = 256;
constexpr uint32_t kDeviceRate = 8000;

constexpr const char* kNoAudioText = "No audio device: voice playback and recording are off";
constexpr const char* kNoOutputText = "No audio output device: voice playback is off";
constexpr const char* kNoInputText = "No audio input device: voice recording is off";
constexpr const char* kRecordFailedText = "Voice recording could not start";

bool ValidSlot(int slot) { return slot >= 1 && slot <= kVoiceSlotCount; }

uint32_t Le(const uint8_t* p, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

void PutLe(std::vector<uint8_t>& out, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

// One sample of the given coding as a value in [-1, 1].
double Sample(const uint8_t* p, bool isFloat, int bytes) {
    if (isFloat) {
        if (bytes == 4) {
            uint32_t bits = Le(p, 4);
            float f;
            std::memcpy(&f, &bits, 4);
            return std::isfinite(f) ? f : 0.0;
        }
        uint64_t bits = static_cast<uint64_t>(Le(p, 4)) | (static_cast<uint64_t>(Le(p + 4, 4)) << 32);
        double d;
        std::memcpy(&d, &bits, 8);
        return std::isfinite(d) ? d : 0.0;
    }
    switch (bytes) {
        case 1: return (static_cast<int>(p[0]) - 128) / 128.0;
        case 2: return static_cast<int16_t>(Le(p, 2)) / 32768.0;
        case 3: {
            int32_t v = static_cast<int32_t>(Le(p, 3) << 8) >> 8;
            return v / 8388608.0;
        }
        default: return static_cast<int32_t>(Le(p, 4)) / 2147483648.0;
    }
}

}  // namespace

const std::array<VoiceSlotInfo, kVoiceSlotCount>& VoiceSlotTable() {
    static const std::array<VoiceSlotInfo, kVoiceSlotCount> table = {{
        {1, "Edit16", "Azonosító üzenet:", 16},
        {2, "Edit9", "Bemenet 1:", 8},
        {3, "Edit13", "Bemenet 2:", 8},
        {4, "Edit14", "Bemenet 3:", 8},
        {5, "Edit15", "Bemenet 4:", 8},
        {6, "Edit20", "Tápfesz.:", 8},
        {7, "Edit19", "Tamper:", 8},
    }};
    return table;
}

std::string VoicePlayButton(int slot) { return "VoicePlay" + std::to_string(slot); }
std::string VoiceStopButton(int slot) { return "VoiceStop" + std::to_string(slot); }
std::string VoiceRecordButton(int slot) { return "VoiceRec" + std::to_string(slot); }

// ---------------------------------------------------------------- WAV files

std::optional<size_t> FindWavDataTag(const uint8_t* head, size_t size) {
    const size_t n = std::min(size, kHeadBytes);
    for (size_t i = 0; i + 4 <= n; ++i)
        if (std::memcmp(head + i, "data", 4) == 0) return i;
    return std::nullopt;
}

WavCheck CheckWavFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return WavCheck::kUnreadable;
    uint8_t head[kHeadBytes];
    in.read(reinterpret_cast<char*>(head), sizeof head);
    if (in.bad()) return WavCheck::kUnreadable;
    const auto got = static_cast<size_t>(in.gcount());
    return FindWavDataTag(head, got) ? WavCheck::kOk : WavCheck::kNoDataTag;
}

std::vector<uint8_t> MakeDeviceWav(const std::vector<uint8_t>& samples) {
    const auto n = static_cast<uint32_t>(samples.size());
    std::vector<uint8_t> w;
    w.reserve(44 + samples.size() + 1);
    PutTag(w, "RIFF");
    PutLe(w, 36 + n + (n & 1), 4);
    PutTag(w, "WAVE");
    PutTag(w, "fmt ");
    PutLe(w, 16, 4);
    PutLe(w, 1, 2);            // PCM
    PutLe(w, 1, 2);            // mono
    PutLe(w, kDeviceRate, 4);  // samples per second
    PutLe(w, kDeviceRate, 4);  // bytes per second
    PutLe(w, 1, 2);            // block align
    PutLe(w, 8, 2);            // bits per sample
    PutTag(w, "data");
    PutLe(w, n, 4);
    w.insert(w.end(), samples.begin(), samples.end());
    if (n & 1) w.push_back(0);  // chunks are padded to an even size
    return w;
}

std::optional<std::vector<uint8_t>> ToDeviceWav(const std::vector<uint8_t>& wav) {
    if (wav.size() < 12 || std::memcmp(wav.data(), "RIFF", 4) != 0 || std::memcmp(wav.data() + 8, "WAVE", 4) != 0)
        return std::nullopt;
    const uint8_t* fmt = nullptr;
    const uint8_t* data = nullptr;
    size_t dataSize = 0;
    size_t pos = 12;
    while (pos + 8 <= wav.size()) {
        const uint8_t* id = wav.data() + pos;
        const size_t room = wav.size() - pos - 8;
        size_t size = Le(id + 4, 4);
        if (std::memcmp(id, "data", 4) == 0) {
            // A recording that was not finalised may carry no true size.
            if (size > room) size = room;
            data = id + 8;
            dataSize = size;
            break;
        }
        if (size > room) return std::nullopt;
        if (std::memcmp(id, "fmt ", 4) == 0 && size >= 16) fmt = id + 8;
        pos += 8 + size + (size & 1);
    }
    if (!fmt || !data) return std::nullopt;
    uint32_t tag = Le(fmt, 2);
    const uint32_t channels = Le(fmt + 2, 2);
    const uint32_t rate = Le(fmt + 4, 4);
    const uint32_t align = Le(fmt + 12, 2);
    const uint32_t bits = Le(fmt + 14, 2);
    if (tag == 0xFFFE && Le(fmt - 4, 4) >= 40) tag = Le(fmt + 24, 2);  // extensible: the sub-format
    const bool isFloat = tag == 3;
    if (tag != 1 && !isFloat) return std::nullopt;
    if (channels == 0 || rate == 0) return std::nullopt;
    const int bytes = static_cast<int>((bits + 7) / 8);
    if (isFloat ? (bits != 32 && bits != 64) : (bits == 0 || bits > 32)) return std::nullopt;
    if (align < channels * static_cast<uint32_t>(bytes)) return std::nullopt;

    const size_t frames = dataSize / align;
    std::vector<double> mono(frames);
    for (size_t f = 0; f < frames; ++f) {
        const uint8_t* p = data + f * align;
        double sum = 0;
        for (uint32_t c = 0; c < channels; ++c) sum += Sample(p + c * bytes, isFloat, bytes);
        mono[f] = sum / channels;
    }
    const size_t outCount = static_cast<size_t>(static_cast<uint64_t>(frames) * kDeviceRate / rate);
    std::vector<uint8_t> out(outCount);
    for (size_t i = 0; i < outCount; ++i) {
        double v;
        if (rate >= kDeviceRate) {
            // Average the source samples that fall into this output sample.
            const size_t from = static_cast<size_t>(static_cast<uint64_t>(i) * rate / kDeviceRate);
            size_t to = static_cast<size_t>(static_cast<uint64_t>(i + 1) * rate / kDeviceRate);
            to = std::min(std::max(to, from + 1), frames);
            double sum = 0;
            for (size_t k = from; k < to; ++k) sum += mono[k];
            v = sum / static_cast<double>(to - from);
        } else {
            const double at = static_cast<double>(i) * rate / kDeviceRate;
            const auto k = static_cast<size_t>(at);
            const double frac = at - static_cast<double>(k);
            v = k + 1 < frames ? mono[k] * (1 - frac) + mono[k + 1] * frac : mono[k];
        }
        const long s = std::lround(128.0 + std::clamp(v, -1.0, 1.0) * 128.0);
        out[i] = static_cast<uint8_t>(std::clamp(s, 0L, 255L));
    }
    return MakeDeviceWav(out);
}

// ---------------------------------------------------------------- rules

std::string VoicePlayTarget(const std::string& fieldText, int slot, const std::string& startDir) {
    if (fieldText.empty() || fieldText == InternalSoundText) return SideFilePath(startDir, SoundFileName(slot));
    return fieldText;
}

VoiceSlots::VoiceSlots(ControlSet& controls, View& view, VoiceAudio& audio, std::string startDirectory)
    : controls_(controls), view_(view), audio_(audio), startDir_(std::move(startDirectory)) {
    countdown_.OnTimer = [this] { Tick(); };
}

std::string VoiceSlots::FieldName(int slot) {
    return ValidSlot(slot) ? VoiceSlotTable()[static_cast<size_t>(slot - 1)].field : std::string();
}

int VoiceSlots::RecordSeconds(int slot) {
    return ValidSlot(slot) ? VoiceSlotTable()[static_cast<size_t>(slot - 1)].recordSeconds : 0;
}

std::string VoiceSlots::SoundPath(int slot) const { return SideFilePath(startDir_, SoundFileName(slot)); }

bool VoiceSlots::ChooseFile(int slot, const std::string& path) {
    if (!ValidSlot(slot)) return false;
    switch (CheckWavFile(path)) {
        case WavCheck::kOk:
            controls_.SetText(FieldName(slot), path);
            return true;
        case WavCheck::kNoDataTag:
            view_.Message(kBadSoundFormatText);
            break;
        case WavCheck::kUnreadable:
            view_.Message("Cannot open file \"" + path + "\"");
            break;
    }
    controls_.SetText(FieldName(slot), "");
    return false;
}

void VoiceSlots::Play(int slot) {
    if (!ValidSlot(slot) || recording_ != 0) return;  // a recording holds the players
    if (!audio_.CanPlay()) {
        Status(kNoOutputText);
        return;
    }
    const ControlState* field = controls_.Find(FieldName(slot));
    audio_.Play(slot, VoicePlayTarget(field ? field->text : std::string(), slot, startDir_));
}

void VoiceSlots::Record(int slot) {
    if (!ValidSlot(slot) || recording_ != 0) return;
    if (!audio_.CanRecord()) {
        Status(kNoInputText);
        return;
    }
    for (int n = 1; n <= kVoiceSlotCount; ++n) {
        if (n == slot) continue;
        controls_.SetEnabled(VoicePlayButton(n), false);
        controls_.SetEnabled(VoiceStopButton(n), false);
        controls_.SetEnabled(VoiceRecordButton(n), false);
    }
    if (!audio_.StartRecording(slot, SoundPath(slot))) {
        EnablePlayers();
        Status(kRecordFailedText);
        return;
    }
    recording_ = slot;
    secondsLeft_ = RecordSeconds(slot);
    controls_.SetText(kVoiceCountdownLabel, std::to_string(secondsLeft_));
    controls_.SetVisible(kVoiceCountdownLabel, true);
    countdown_.SetEnabled(false);  // a fresh second
    countdown_.SetEnabled(true);
}

void VoiceSlots::Stop(int slot) {
    if (!ValidSlot(slot)) return;
    if (recording_ != 0) {
        if (slot == recording_) EndRecording();
        return;  // the other players are disabled while recording
    }
    audio_.Stop(slot);
    HideCountdown();
    EnablePlayers();
}

void VoiceSlots::Tick() {
    if (recording_ == 0) {
        countdown_.SetEnabled(false);
        return;
    }
    if (--secondsLeft_ <= 0) {
        EndRecording();
        return;
    }
    controls_.SetText(kVoiceCountdownLabel, std::to_string(secondsLeft_));
}

void VoiceSlots::EndRecording() {
    const int slot = recording_;
    countdown_.SetEnabled(false);
    recording_ = 0;
    secondsLeft_ = 0;
    for (int n = 1; n <= kVoiceSlotCount; ++n)
        if (n != slot) audio_.Stop(n);
    audio_.FinishRecording(slot);
    controls_.SetText(FieldName(slot), InternalSoundText);
    HideCountdown();
    EnablePlayers();
}

void VoiceSlots::HideCountdown() { controls_.SetVisible(kVoiceCountdownLabel, false); }

void VoiceSlots::EnablePlayers() {
    const bool play = audio_.CanPlay();
    const bool record = audio_.CanRecord();
    for (int n = 1; n <= kVoiceSlotCount; ++n) {
        controls_.SetEnabled(VoicePlayButton(n), play);
        controls_.SetEnabled(VoiceStopButton(n), play || record);
        controls_.SetEnabled(VoiceRecordButton(n), record);
    }
}

void VoiceSlots::ApplyDevices() {
    if (recording_ == 0) EnablePlayers();
    const bool play = audio_.CanPlay();
    const bool record = audio_.CanRecord();
    if (!play && !record)
        Status(kNoAudioText);
    else if (!play)
        Status(kNoOutputText);
    else if (!record)
        Status(kNoInputText);
}

void VoiceSlots::Status(const std::string& text) {
    if (OnStatus) OnStatus(text);
}

}  // namespace morvane
