// The device link: construction, the send path, the sequencer and the commands
// that start sequences.
#include "link/link.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "app/settings_store.h"
#include "app/settings_values.h"

namespace morvane {

DeviceLink::DeviceLink(Configurator& form, ConfigImage& image, View& view)
    : form_(form), image_(image), view_(view) {
    ControlSet& c = form_.Controls();
    if (!c.Has(linkctl::ContactIdOption)) {
        c[linkctl::ContactIdOption].checked = true;
        c[linkctl::ContactIdOption].visible = false;
    }
    c[linkctl::Progress].visible = false;
    RxBuffer.fill(0xFF);
    adas_.OnTimer = [this] { AdasTimer(); };
    for (CoreTimer& t : extra_) t.OnTimer = [this] { AdasTimer(); };
    prompt_.OnTimer = [this] { PcCodePrompt(); };
    port_.OnRxChar = [this](TAsynComm32&, int count) { OnReceive(count); };
    port_.OnTxEmpty = [this](TAsynComm32&) {
        if (TxCel == 407) {
            RxCount = 0;
            SequencerWait = 30;
            TxCel = 408;
        }
    };
}

DeviceLink::~DeviceLink() {
    if (SoundFile) std::fclose(SoundFile);
}

bool DeviceLink::ContactIdOptionOn() const {
    const ControlState* s = form_.Controls().Find(linkctl::ContactIdOption);
    return s && s->checked;
}

// ---------------------------------------------------------------- send path

void DeviceLink::SendRequest(int count) {
    count = std::clamp(count, 0, int(kTxBufferSize));
    if (form_.ConnectionType == 2) {
        using namespace std::chrono;
        const auto now = system_clock::now();
        const std::time_t t = system_clock::to_time_t(now);
        std::tm tm{};
        localtime_r(&t, &tm);
        const long ms = long(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
        LastSendTime = ms + 1000L * tm.tm_sec + 60000L * tm.tm_min + 3600000L * tm.tm_hour;
        const std::string hex = BytesToHex(TxBuffer.data(), size_t(count));
        if (OnRelaySend) OnRelaySend(hex);
        RelayPollCountdown = 50;
        return;
    }
    if (Transport) Transport(TxBuffer.data(), count);
    else port_.Write(TxBuffer.data(), count);
}

void DeviceLink::RequestByteRead() {
    const uint8_t c = StatusReadFlag ? cmd::StatusOrLeave : cmd::ReadByte;
    SendRequest(BuildFrame(TxBuffer, High(ByteAddress), c, Low(ByteAddress), 0));
    RxCount = 0;
}

void DeviceLink::RequestByteWrite() {
    // Bytes the device owns or that only resellers may change are passed over
    // without a request; the next byte goes out at once.
    while (BytesLeft > 0 && ByteWriteSkipped(TransferIndex, ResellerFlag)) {
        ++TransferIndex;
        --BytesLeft;
        ++ByteAddress;
        ClearReceive();
        SequencerWait = 0;
    }
    if (BytesLeft <= 0) {  // the skipped bytes ended the transfer
        ByteWriteDone();
        return;
    }
    SendRequest(BuildFrame(TxBuffer, High(ByteAddress), cmd::WriteByte, Low(ByteAddress), image_[size_t(TransferIndex)]));
    RxCount = 0;
}

// ---------------------------------------------------------------- helpers

void DeviceLink::ShowState() { form_.Controls().SetText(linkctl::StateLabel, "TxCel: " + std::to_string(TxCel)); }

void DeviceLink::EnableTransferButtons() {
    form_.Controls().SetEnabled(linkctl::SendButton, true);
    form_.Controls().SetEnabled(linkctl::ReadButton, true);
}

void DeviceLink::HideProgress() { form_.Controls().SetVisible(linkctl::Progress, false); }

void DeviceLink::AbandonBlockTransfer() {
    EnableTransferButtons();
    HideProgress();
    TxCel = 0;
    BlockErrorCount = 0;
    SetStatus("ERROR");
    view_.Message("ERROR Communication");
}

void DeviceLink::SpeedSwitch(int threshold) {
    port_.SetBaudRate(BaseRate());
    RetryCount = 0;
    if (form_.ConnectionType == 0 && form_.DeviceVersion >= threshold) {
        SendRequest(BuildFrame(TxBuffer, 0x55, cmd::SpeedSwitch, 0, 0));
        RxCount = 0;
    }
}

void DeviceLink::RestoreSpeed() { port_.SetBaudRate(BaseRate()); }

void DeviceLink::SendPageRead(int page) {
    SendRequest(BuildFrame(TxBuffer, 0, cmd::PageRead, Low(page), High(page)));
    RxCount = 0;
}

void DeviceLink::SendImagePage(uint8_t b, uint8_t d, uint32_t offset) {
    SendRequest(BuildBlockFrame(TxBuffer, cmd::PageWrite, b, d, image_.Data() + offset));
    RxCount = 0;
}

// ---------------------------------------------------------------- sequencer

void DeviceLink::SequencerStep() {
    ShowState();
    SequencerWait = At256k() ? 3 : 50;
    if (form_.DemoMode) {
        TxCel = 0;
        return;
    }
    if (!LinkOpen) return;

    auto frame = [this](uint8_t a, uint8_t c, uint8_t b, uint8_t d) {
        SendRequest(BuildFrame(TxBuffer, a, c, b, d));
        RxCount = 0;
    };
    auto text = [this](const char* t) {
        SendRequest(BuildText(TxBuffer, t));
        RxCount = 0;
    };

    switch (TxCel) {
    // ---- device control
    case 5:
        RequestByteRead();
        break;
    case 10:
        frame(0x02, cmd::LifeSignal, 0x10, 0x01);
        TxCel = 0;
        break;
    case 20:
        frame(0x00, cmd::ModemMode, 0x00, image_[size_t(TransferIndex) % ConfigImage::kSize]);
        SetStatus("GSM program shutdown...!");
        break;
    case 21:
        SendRequest(BuildText(TxBuffer, "AT\r"));
        RxCount = 0;
        SequencerWait = 50;
        SetStatus("GSM Route check...");
        break;
    case 70:
        frame(Low(OutputNumber), cmd::OutputTest, 0, 0);
        break;

    // ---- GSM module commands (in modem mode; the replies in ModuleTextRules)
    case 290:
        text("AT+CGSN\r");
        break;
    case 300:
        text("ATZ\r");
        break;
    case 301:
        text("AT+COLP=0\r");
        break;
    case 302:
        // Leaves modem mode; no state acts on 303, the link stays open until
        // the next command.
        SendRequest(BuildFrame(TxBuffer, 0x02, cmd::StatusOrLeave, 0x00, 0x00));
        TxCel = 303;
        break;
    case 320:
    case 321:
    case 322:
    case 323:
    case 324:
    case 325:
    case 326:
        text(FindModuleInfoStep(TxCel)->request);
        SequencerWait = 20;
        break;
    case 700:
        text("AT+CNMP=13\r");
        break;
    case 710:
        text("AT+CNMP=02\r");
        break;
    case 701:
    case 711:
    {
        // The module took the setting; the device restarts with it.
        const char* done = TxCel == 701 ? "LTE disable successful!" : "LTE enable successful!";
        TxCel = 200;
        form_.Controls().SetEnabled(linkctl::Window, true);
        view_.Message(done);
        break;
    }
    case 702:
    case 712:
        frame(0x02, cmd::StatusOrLeave, 0x00, 0x00);
        TxCel = 0;
        form_.Controls().SetEnabled(linkctl::Window, true);
        view_.Message("!!ERROR!!");
        break;
    case 80:
        frame(0x00, cmd::Monitor, 0x01, 0x00);
        break;
    case 81:
        frame(0x00, cmd::Monitor, 0x00, 0x00);
        break;
    case 98: {
        const int action = form_.StartAction;
        if (action == Configurator::kStartRead) {
            form_.StartAction = Configurator::kStartUsed;
            TxCel = 0;
            StartRead();
        } else if (action == Configurator::kStartDefaults) {
            form_.StartAction = Configurator::kStartUsed;
            TxCel = 0;
            StartWrite();
            if (OnLoadDefaultTables) OnLoadDefaultTables();
        }
        break;
    }
    case 99:
        port_.SetBaudRate(BaseRate());
        frame(0x00, cmd::ReadByte, 0xFE, 0x00);
        SetStatus("GSM check");
        break;
    case 140:
        frame(0x00, cmd::BusScan, 0x0A, 0x00);
        SequencerWait = 150;
        break;
    case 180:
        frame(0x00, cmd::EraseChip, 0xFA, 0x00);
        TxCel = 181;
        break;
    case 181:
        frame(0x00, cmd::ReadByte, 0xFE, 0x00);
        break;
    case 190:
        frame(0x00, cmd::Call, Low(CallNumber), High(CallNumber));
        TxCel = 0;
        break;
    case 200:
        frame(0x00, cmd::Restart, 0xAA, 0x00);
        TxCel = 0;
        break;
    case 202:
        frame(0x00, cmd::GsmFirmware, 0xFF, 0x00);
        TxCel = 0;
        break;
    case 210:
        SendRequest(BuildClockFrame(TxBuffer));
        RxCount = 0;
        SequencerWait = 20;
        break;
    case 10001:
        SendRequest(BuildFilledBlockFrame(TxBuffer, cmd::Call, Low(Rs232Number), High(Rs232Number), 0x01));
        RxCount = 0;
        TxCel = 0;
        break;
    case 100000:
        SendRequest(BuildFilledBlockFrame(TxBuffer, cmd::PageWrite, 0x30, 0x00, 0x01));
        RxCount = 0;
        TxCel = 0;
        break;

    // ---- configuration transfers
    case 100:
        RequestByteRead();
        break;
    case 101:
        RequestByteWrite();
        SequencerWait = BytesLeft > 0 ? 15 : 0;
        break;
    case 102:
        SendImagePage(0x34, Low(TransferIndex), ConfigImage::kCidZoneTable + uint32_t(TransferIndex) * 256);
        SequencerWait = 50;
        break;
    case 103:
        frame(0x00, cmd::Record, Low(TransferIndex), 0x00);
        SequencerWait = 10;
        break;
    case 104:
        SendImagePage(0x35, Low(TransferIndex), ConfigImage::kServerRecords + uint32_t(TransferIndex) * 256);
        SequencerWait = 50;
        break;
    case 110:
        SendPageRead(TransferIndex);
        SequencerWait = 50;
        if (++BlockErrorCount >= kBlockErrorLimit) AbandonBlockTransfer();
        break;
    case 111:
        SendImagePage(0x00, Low(TransferIndex * 16), uint32_t(TransferIndex) * 256);
        SequencerWait = 50;
        if (++BlockErrorCount >= kBlockErrorLimit) AbandonBlockTransfer();
        break;
    case 112:
    case 114:
    case 115:
        SendPageRead(TransferIndex);
        SequencerWait = 50;
        break;
    case 116:
        SendImagePage(High(TransferIndex), Low(TransferIndex), uint32_t(TransferIndex) * 256);
        SequencerWait = 50;
        break;
    case 120:
        SendPageRead(0x60);
        SequencerWait = 50;
        break;
    case 121:
        image_.WriteText(ConfigImage::kPcCodeScratchCode, NewPcCode, 32);
        TransferIndex = 0x60;
        SendImagePage(0x00, 0x60, ConfigImage::kPcCodeScratch);
        SequencerWait = 50;
        break;

    // ---- event log, signal strength history and memory service
    case 499:
        SpeedSwitch(88);
        SequencerWait = 5;
        TxCel = 500;
        break;
    case 500:
    case 501: {
        if (TxCel == 500) {
            LogPage = 4;
            TxCel = 501;
        }
        const bool fast = form_.ConnectionType == 0 && form_.DeviceVersion >= 88;
        if (fast) port_.SetBaudRate(TBaudRate::cbr256000);
        frame(0x00, cmd::LogPage, Low(LogPage), High(LogPage));
        SequencerWait = fast ? 10 : 50;
        break;
    }
    case 510:
        frame(0x00, cmd::PageRead, Low(ChartIndex), Low(0x30 + (ChartIndex >> 8)));
        SequencerWait = 50;
        break;
    case 600:
        frame(0x00, cmd::ReadByte, 0x5A, 0x00);
        break;
    case 601:
        frame(0x00, cmd::ReadByte, 0x5B, 0x00);
        break;
    case 602:
        frame(0x00, cmd::Record, 0x00, Low(TransferIndex));
        SequencerWait = 10;
        break;
    case 1110:
    case 1111:
        SendRequest(BuildFilledBlockFrame(TxBuffer, cmd::PageWrite, TxCel == 1110 ? 0x10 : 0x30, 0x00, 0xFF));
        RxCount = 0;
        SequencerWait = 50;
        break;
    case 1112:
        SendRequest(BuildFilledBlockFrame(TxBuffer, cmd::PageWrite, 0x35, 0x50, 0x00));
        RxCount = 0;
        SequencerWait = 50;
        break;

    // ---- sound transfers
    case 1000:
        if (form_.DeviceVersion < 82) {
            frame(0x00, cmd::LegacyStart, High(PageAddress), Low(PageAddress));
            TransferError = false;
            expectedCounter_ = 0;
            SequencerWait = 50;
        } else {
            SpeedSwitch(86);
            TxCel = 1001;
            SequencerWait = 15;
        }
        break;
    case 1001:
        if (form_.DeviceVersion < 82) SoundStepLegacy();
        else SoundStepFramed();
        break;
    case 1010:
        SpeedSwitch(86);
        SequencerWait = 15;
        TxCel = 1011;
        break;
    case 1011:
        if (form_.ConnectionType == 0 && form_.DeviceVersion >= 86) port_.SetBaudRate(TBaudRate::cbr256000);
        SendPageRead(PageAddress);
        SequencerWait = 50;
        break;
    default:
        break;
    }
}

void DeviceLink::ContinueAfterWrite() {
    if (ShortWriteFlag) {
        ShortWriteFlag = false;
        SetStatus("Time sync in progress...");
        TxCel = 210;
        SequencerStep();
        return;
    }
    BytesLeft = 0;
    TransferIndex = 0;
    if (ContactIdOptionOn()) {
        TxCel = 102;
        ProgressMax = 131;
        ProgressPosition = 3;
        SetStatus("Send all ContactID code");
        // The first table block goes out now rather than a full wait later.
        SequencerStep();
    } else {
        TxCel = 104;
        TransferIndex = 0;
        SequencerStep();
    }
}

// ---------------------------------------------------------------- sound transfers

void DeviceLink::SoundEnd(bool restoreSpeed) {
    if (SoundFile) {
        std::fclose(SoundFile);
        SoundFile = nullptr;
    }
    soundEndPending_ = false;
    TxCel = 0;
    if (restoreSpeed) RestoreSpeed();
    form_.Controls().SetVisible(linkctl::SoundProgress, false);
    if (OnSoundEnd) OnSoundEnd();
}

void DeviceLink::SoundStepLegacy() {
    if (soundEndPending_ || !SoundFile) {
        SoundEnd(false);
        return;
    }
    std::fill_n(TxBuffer.begin(), 256, 0xFF);
    const size_t got = std::fread(TxBuffer.data(), 1, 256, SoundFile);
    if (got < 256) {
        TxBuffer[253] = TxBuffer[254] = TxBuffer[255] = 0xFF;
        SendRequest(256);
        SequencerWait = 120;
        SoundEnd(false);
        if (TransferError) view_.Message("Hibás átvitel");
        return;
    }
    if (!KeepFF) std::replace(TxBuffer.begin(), TxBuffer.begin() + 256, uint8_t(0xFF), uint8_t(0xFE));
    // A file that ends exactly at a block boundary: its last block is sent
    // and the transfer ends at the next call.
    const int next = std::fgetc(SoundFile);
    const bool atEnd = next == EOF;
    if (!atEnd) std::ungetc(next, SoundFile);
    SendRequest(256);
    SequencerWait = 120;
    if (--BlocksLeft <= 0) {
        RxCount = 0;
        SequencerWait = 10;
        SoundEnd(false);
        if (TransferError) view_.Message("Hibás átvitel");
        return;
    }
    if (atEnd) soundEndPending_ = true;
}

void DeviceLink::SoundStepFramed() {
    const bool fast = form_.ConnectionType == 0 && form_.DeviceVersion >= 86;
    if (fast) port_.SetBaudRate(TBaudRate::cbr256000);
    const int wait = At256k() ? 20 : 50;
    if (RetryCount != 0) {
        if (++RetryCount >= 10) {
            form_.Controls().SetVisible(linkctl::SoundProgress, false);
            TxCel = 0;
            RestoreSpeed();
            view_.Message(TestChainStep == 0 ? std::string("ERROR_WAV_UPload")
                                             : "ERROR_WAV_UPload //" + form_.Controls()["ALL download"].text);
            return;
        }
        SequencerWait = wait;
        std::copy_n(TxBuffer.begin() + kSavedFrameOffset, kBlockFrameSize, TxBuffer.begin());
        SendRequest(kBlockFrameSize);
        return;
    }
    if (soundEndPending_ || !SoundFile) {
        SoundEnd(true);
        return;
    }
    std::fill_n(TxBuffer.begin(), 263, 0xFF);
    RetryCount = 1;
    const size_t got = std::fread(TxBuffer.data() + 6, 1, 256, SoundFile);
    auto sendBlock = [&] {
        CompleteBlockFrame(TxBuffer, cmd::PageWrite, High(PageAddress), Low(PageAddress));
        RxCount = 0;
        SendRequest(kBlockFrameSize);
        std::copy_n(TxBuffer.begin(), kBlockFrameSize, TxBuffer.begin() + kSavedFrameOffset);
        SequencerWait = wait;
    };
    if (got < 256) {
        TxBuffer[253] = TxBuffer[254] = TxBuffer[255] = 0xFF;
        sendBlock();
        SoundEnd(true);
        if (TransferError) view_.Message("Hibás átvitel");
        else if (TestChainStep == 3) form_.Controls().SetColor("DTMF VOICE", 0x00FF00);
        else if (TestChainStep == 4) form_.Controls().SetColor("Sirena VOICE", 0x00FF00);
        if (ProgressOwner == 3) ProgressOwner = 0;
        return;
    }
    if (!KeepFF) std::replace(TxBuffer.begin() + 6, TxBuffer.begin() + kBlockFrameSize, uint8_t(0xFF), uint8_t(0xFE));
    const int next = std::fgetc(SoundFile);
    if (next == EOF) soundEndPending_ = true;
    else std::ungetc(next, SoundFile);
    sendBlock();
}

// ---------------------------------------------------------------- commands

void DeviceLink::StartRead() {
    form_.Controls().SetEnabled("menu:GSM test", false);
    if (ModeKindOf(form_.ModeCode) != ModeKind::Advanced) image_.Clear();
    SetStatus("Data readout in progress...");
    form_.Controls().SetEnabled(linkctl::SendButton, false);
    form_.Controls().SetEnabled(linkctl::ReadButton, false);
    form_.Controls().SetVisible(linkctl::Progress, true);
    ProgressPosition = 0;
    BlockErrorCount = 0;
    if (form_.DeviceType == 'd') {
        ByteAddress = 0;
        BytesLeft = 256;
        ProgressMax = 256;
        TxCel = 103;
    } else if (form_.DeviceVersion < 73) {
        ByteAddress = 0;
        BytesLeft = 1024;
        ProgressMax = 1024;
        TxCel = 100;
    } else {
        ProgressMax = 8;
        SequencerWait = 2;
        TxCel = 110;
    }
    ReturnState = 0;
    TransferIndex = 0;
    ClearReceive();
    // An open link sends the first request now (also when it was busy); a
    // closed one is opened by the next tick of the link timer, which then
    // sends at once.
    if (LinkOpen) SequencerStep();
    else SequencerWait = 0;
}

void DeviceLink::StartWrite() {
    SetStatus("Data sending in progress...");
    if (OnBeforeWrite) OnBeforeWrite();
    ClockOnlyFlag = false;
    form_.Controls().SetEnabled(linkctl::SendButton, false);
    form_.Controls().SetEnabled(linkctl::ReadButton, false);
    form_.Controls().SetVisible(linkctl::Progress, true);
    ProgressPosition = 0;
    BlockErrorCount = 0;
    if (form_.DeviceVersion < 73) {
        ByteAddress = 0;
        BytesLeft = 1024;
        ProgressMax = 1024;
        TxCel = 101;
    } else {
        SequencerWait = 2;
        ProgressMax = 26;
        TxCel = 111;
    }
    ReturnState = 0;
    TransferIndex = 0;
    ClearReceive();
    if (LinkOpen) SequencerStep();
    else SequencerWait = 0;
}

void DeviceLink::StartIdentity(bool withMessage) {
    TxCel = 99;
    if (withMessage) VersionMessageAsked = true;
    if (LinkOpen) SequencerStep();
    else SequencerWait = 0;
    if (withMessage) ProgressOwner = 2;
}

void DeviceLink::StartModuleCommand(int returnState) {
    ReturnState = returnState;
    TxCel = 20;
    if (LinkOpen) SequencerStep();
    else SequencerWait = 0;
}

void DeviceLink::OpenModuleInfo() { ModuleInfo.Open(); }

void DeviceLink::StartModuleInfo() { StartModuleCommand(320); }

void DeviceLink::StartImei() { StartModuleCommand(290); }

void DeviceLink::StartGsmReset() { StartModuleCommand(300); }

void DeviceLink::StartLte(bool enable) {
    form_.Controls().SetEnabled(linkctl::Window, false);
    StartModuleCommand(enable ? 710 : 700);
}

void DeviceLink::ReadLinkSettings() { ResellerFlag = Settings::Raw(setting::Company).rfind('*', 0) == 0; }

void DeviceLink::StartClockSync() {
    SetStatus("Time sync in progress...");
    ClockOnlyFlag = true;
    ReturnState = 0;
    TxCel = 210;
    if (LinkOpen) SequencerStep();
    else SequencerWait = 0;
}

}  // namespace morvane
