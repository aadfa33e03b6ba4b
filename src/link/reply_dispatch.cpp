// The receive side: every byte from the device enters here. Replies carry no
// length or start marker; the state that sent the request says what shape
// the answer has (exact length, fixed pattern or keyword offset).
#include <algorithm>
#include <cstring>

#include "link/link.h"

namespace morvane {

void DeviceLink::ClearReceive() {
    std::fill_n(RxBuffer.begin(), 256, 0xFF);
    RxCount = 0;
}

void DeviceLink::OnReceive(int count) {
    RxLedTicks = std::max(count / 10, 3);
    if (count > kRxGuard || RxCount > kRxGuard) {
        // Oversized input is thrown away; it is read off the port so that it
        // does not keep signalling.
        uint8_t scratch[512];
        int left = count;
        while (left > 0) {
            const int n = port_.Read(scratch, std::min(left, int(sizeof scratch)));
            if (n <= 0) break;
            left -= n;
        }
        RxCount = 0;
        return;
    }
    const int n = port_.Read(RxBuffer.data() + RxCount, count);
    if (n <= 0) return;
    RxCount += n;
    ReplyDispatch();
}

void DeviceLink::ReplyBytes(const uint8_t* data, int count) {
    RxLedTicks = std::max(count / 10, 3);
    if (count > kRxGuard || RxCount > kRxGuard) {
        RxCount = 0;
        return;
    }
    std::memcpy(RxBuffer.data() + RxCount, data, size_t(count));
    RxCount += count;
    ReplyDispatch();
}

void DeviceLink::ReplyDispatch() {
    if (GlobalRules()) return;
    if (BlockRules()) return;
    if (AckRules()) return;
    if (TextRules()) return;
    FrameRules();
}

// ---------------------------------------------------------------- global rules

bool DeviceLink::GlobalRules() {
    if (TxCel == 409 && RxCount > 25) {
        TxCel = 402;
        SequencerWait = 5;
    }
    if (TxCel == 130) {
        if (RxCount > 50) SequencerWait = 10;
        return true;
    }
    if (RxCount == 6 && RxBuffer[0] == 0xAB && RxBuffer[1] == 0xFF && RxBuffer[2] == 0xFF && RxBuffer[3] == 0xFF) {
        LockedState = TxCel;
        prompt_.SetEnabled(false);
        prompt_.SetEnabled(true);
        return true;
    }
    if (TxCel == 1000 || TxCel == 1100) {
        ++TxCel;
        SequencerStep();
        return true;
    }
    if (TxCel == 1011) {
        if (RxCount != 257) return true;
        RetryCount = 0;
        ProgressStep();
        ++PageAddress;
        --BlocksLeft;
        if (SoundFile) std::fwrite(RxBuffer.data(), 1, 256, SoundFile);
        if (BlocksLeft <= 0) {
            form_.Controls().SetVisible(linkctl::SoundProgress, false);
            RxCount = 0;
            SequencerWait = 10;
            if (SoundFile) {
                std::fclose(SoundFile);
                SoundFile = nullptr;
            }
            TxCel = 0;
            RestoreSpeed();
        } else {
            SequencerStep();
        }
        return true;
    }
    if (TxCel == 1001) {
        if (form_.DeviceVersion >= 82) {
            if (RxCount == 1 && RxBuffer[0] == TxBuffer[0]) {
                RetryCount = 0;
                ProgressStep();
                ++PageAddress;
                if (--BlocksLeft <= 0) {
                    RxCount = 0;
                    SoundEnd(true);
                } else {
                    SequencerStep();
                }
            } else {
                RxCount = 0;
            }
        } else {
            const int counter = RxBuffer[0];
            if (counter != expectedCounter_) TransferError = true;
            expectedCounter_ = (counter + 1) % 256;
            ProgressStep();
            RxCount = 0;
            SequencerStep();
        }
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- block rules

void DeviceLink::ReadFinished(bool setOutput2Unit) {
    SetStatus("Successful readout!");
    EnableTransferButtons();
    HideProgress();
    if (OnReadFinished) OnReadFinished();
    if (setOutput2Unit) form_.Controls().SetText(linkctl::Output2Unit, "Sec");
    TxCel = 0;
}

void DeviceLink::ContactIdReadPhase() {
    TxCel = 112;
    TransferIndex = ConfigImage::kCidFirstPage;
    ProgressMax = 131;
    ProgressPosition = 3;
    SetStatus("Read all ContactID code");
    SequencerStep();
}

bool DeviceLink::BlockRules() {
    if (TxCel == 103) {
        if (RxCount != 39 || RxBuffer[2] != TxBuffer[2] || RxBuffer[38] != ByteSum(RxBuffer.data() + 6, 32)) return false;
        std::copy_n(RxBuffer.begin() + 6, 32, image_.Data() + size_t(TransferIndex) * 32);
        ProgressStep();
        ++TransferIndex;
        ClearReceive();
        if (TransferIndex >= int(ConfigImage::kDoorRecordCount)) ReadFinished(false);
        else SequencerStep();
        return true;
    }
    const bool blockState = TxCel == 110 || TxCel == 112 || TxCel == 114 || TxCel == 115 || TxCel == 120 ||
                            TxCel == 140 || TxCel == 510 || TxCel == 9000 || TxCel == 9008;
    if (!blockState || RxCount != 257 || RxBuffer[256] != ByteSum(RxBuffer.data(), 256)) return false;
    BlockErrorCount = 0;
    uint8_t block[256];
    std::copy_n(RxBuffer.begin(), 256, block);
    ClearReceive();
    auto store = [&](uint32_t offset) { std::copy_n(block, 256, image_.Data() + offset); };

    switch (TxCel) {
    case 110:
        store(uint32_t(TransferIndex) * 16);
        ProgressStep();
        TransferIndex += 16;
        if (TransferIndex < 128) {
            SequencerStep();
        } else if (TypeIsOneOf(form_.DeviceType, "HIKLNOPQJ")) {
            if (form_.DeviceType == 'J') BytesLeft = 0;
            if (TypeIsOneOf(form_.DeviceType, "JQ") && ContactIdOptionOn()) {
                ContactIdReadPhase();
            } else {
                TxCel = 114;
                TransferIndex = ConfigImage::kServerFirstPage;
                SequencerStep();
            }
        } else {
            ReadFinished(true);
        }
        break;
    case 112:
        store(uint32_t(TransferIndex) * 256);
        ProgressStep();
        ++TransferIndex;
        if (TransferIndex >= ConfigImage::kCidEndPage) {
            TxCel = 114;
            TransferIndex = ConfigImage::kServerFirstPage;
        }
        SequencerStep();
        break;
    case 114:
        store(uint32_t(TransferIndex) * 256);
        ProgressStep();
        ++TransferIndex;
        if (TransferIndex == ConfigImage::kServerLastReadPage + 1) TransferIndex = ConfigImage::kBusFirstPage;
        if (TransferIndex > ConfigImage::kBusLastPage) ReadFinished(true);
        else SequencerStep();
        break;
    case 115:
        store(uint32_t(TransferIndex) * 256);
        if (OnBlockReply) OnBlockReply(TxCel, block);
        TransferIndex += 16;
        ProgressStep();
        if (TransferIndex < ConfigImage::kNumberListEndPage) {
            SequencerStep();
        } else {
            SetStatus("Successful readout!");
            TxCel = 0;
            EnableTransferButtons();
        }
        break;
    case 120: {
        bool same = true;
        for (size_t i = 0; i < OldPcCode.size(); ++i)
            if (192 + i >= 256 || block[192 + i] != uint8_t(OldPcCode[i])) same = false;
        if (!same) {
            SetStatus("Bad old PC Code");
            TxCel = 0;
        } else {
            // The page goes back with only the code changed.
            store(ConfigImage::kPcCodeScratch);
            TxCel = 121;
            SequencerStep();
        }
        break;
    }
    default:  // 140, 510, 9000, 9008
        if (OnBlockReply) OnBlockReply(TxCel, block);
        break;
    }
    return true;
}

// ---------------------------------------------------------------- acknowledgements

bool DeviceLink::AckRules() {
    static constexpr int kAckStates[] = {102, 104, 111, 116, 121, 1110, 1111, 1112, 8991};
    if (std::find(std::begin(kAckStates), std::end(kAckStates), TxCel) == std::end(kAckStates)) return false;
    if (RxCount != 1 || RxBuffer[0] != TxBuffer[0]) return false;
    ClearReceive();
    switch (TxCel) {
    case 102:
        ProgressStep();
        if (++TransferIndex >= 128) {
            SetStatus("Time sync in progress...");
            TxCel = 210;
        }
        SequencerStep();
        break;
    case 104:
        ProgressStep();
        ++TransferIndex;
        if (TransferIndex == 5) TransferIndex = 64;
        if (TransferIndex < 80) {
            SequencerStep();
        } else if (TypeIsOneOf(form_.DeviceType, "JQ") && ContactIdOptionOn()) {
            ContinueAfterWrite();
        } else {
            SetStatus("Time sync in progress...");
            TxCel = 210;
            SequencerStep();
        }
        break;
    case 111:
        ProgressStep();
        if (++TransferIndex < 8) {
            SequencerStep();
        } else {
            BlockErrorCount = 0;
            if (TypeIsOneOf(form_.DeviceType, "GHIKLNOQ")) {
                TxCel = 104;
                TransferIndex = 0;
                SequencerStep();
            } else if (form_.DeviceType == 'J') {
                ContinueAfterWrite();
            } else {
                EnableTransferButtons();
                HideProgress();
                TxCel = 0;
                SequencerWait = 2;
                StartClockSync();
            }
        }
        break;
    case 116:
        TransferIndex += 16;
        ProgressStep();
        if (TransferIndex >= ConfigImage::kNumberListEndPage) {
            if (OnNumberListWritten) OnNumberListWritten();
            TxCel = 0;
            EnableTransferButtons();
        } else {
            SequencerStep();
        }
        break;
    case 121:
        TxCel = 0;
        break;
    case 1110:
        TxCel = 1111;
        SequencerStep();
        break;
    case 1111:
        if (CallerState == 9015) {
            TxCel = 9016;
        } else {
            TxCel = 1112;
            SetStatus("Sikeres napló és térerő törlés");
        }
        SequencerStep();
        break;
    case 1112:
        TxCel = 200;
        SequencerStep();
        break;
    case 8991:
        TxCel = 9000;
        SequencerStep();
        break;
    default:
        break;
    }
    return true;
}

// ---------------------------------------------------------------- text replies

bool DeviceLink::TextRules() {
    if (TxCel == 21) {
        if (RxCount >= 7 && RxBuffer[5] == 'O' && RxBuffer[6] == 'K') {
            TxCel = ReturnState;
            SetStatus("GSM modem mode OK!");
            RxBuffer[5] = 'x';
            RxCount = 1;
            SequencerStep();
        }
        return true;
    }
    return ModuleTextRules();
}

// ---------------------------------------------------------------- six-byte frames

void DeviceLink::ByteWriteDone() {
    if (TypeIsOneOf(form_.DeviceType, "JPQ") && !ShortWriteFlag) {
        BytesLeft = 32;
        TransferIndex = 0;  // the table starts at its first page
        TxCel = 102;
        ProgressMax = 131;
        ProgressPosition = 3;
        SetStatus("Send all ContactID code");
        SequencerStep();
        return;
    }
    ShortWriteFlag = false;
    SetStatus("Time sync in progress...");
    TxCel = 210;
    SequencerStep();
}

bool DeviceLink::FrameRules() {
    if (RxCount != 6) return false;
    const uint8_t* f = RxBuffer.data();
    if (TxCel == 1099 && (form_.DeviceVersion == 29 || form_.DeviceVersion == 68) && OnFrameReply &&
        OnFrameReply(TxCel, f))
        return true;
    if (!FrameValid(f)) {
        RxCount = 0;
        return true;
    }
    SequencerWait = 5;
    const bool answer = f[0] == kAnswerMark;
    const bool sameAddress = f[2] == TxBuffer[2];
    switch (TxCel) {
    case 20:
        if (answer || f[1] == kAcceptedMark) {
            ClearReceive();
            TxCel = 21;
            SetStatus("GSM modem mode!");
            SequencerStep();
        }
        break;
    case 70:
        if (answer && f[1] == kAcceptedMark) {
            ClearReceive();
            TxCel = 0;
        }
        break;
    case 80:
    case 81:
        if (answer && f[1] == kAcceptedMark) {
            RxCount = 0;
            if (TxCel == 81) {
                SendRequest(BuildFrame(TxBuffer, 0x02, cmd::StatusOrLeave, 0x00, 0x00));
                TxCel = 0;
            } else {
                TxCel = 82;
            }
        }
        break;
    case 181:
        if (answer && sameAddress) {
            ClearReceive();
            TxCel = 0;
            SetStatus("GSM check");
        }
        break;
    case 99:
        if (answer && sameAddress) VersionAnswer(f[3]);
        break;
    case 100:
        if (answer && sameAddress) {
            image_[size_t(TransferIndex)] = f[3];
            ++TransferIndex;
            --BytesLeft;
            ++ByteAddress;
            ClearReceive();
            ProgressStep();
            if (BytesLeft > 0) {
                SequencerStep();
            } else {
                TxCel = ReturnState;
                SetStatus("Successful readout!");
                EnableTransferButtons();
                HideProgress();
                if (OnReadFinished) OnReadFinished();
                form_.Controls().SetText(linkctl::Output2Unit, "Sec");
            }
        }
        break;
    case 101:
        if (answer && sameAddress && f[3] == image_[size_t(TransferIndex)]) {
            ++TransferIndex;
            --BytesLeft;
            ++ByteAddress;
            ClearReceive();
            if (BytesLeft < 1) {
                ByteWriteDone();
            } else {
                ProgressStep();
                SequencerStep();
            }
        }
        break;
    case 210:
        if (f[0] == 0xAB && f[1] == 0xAA && f[2] == 0 && f[3] == 0) {
            ClearReceive();
            TxCel = ReturnState;
            form_.Controls().SetColor("Memory FILL", 0x00FF00);
            if (ClockOnlyFlag) {
                ClockOnlyFlag = false;
                SetStatus("Time sync successful!");
            } else {
                SetStatus("Data sent successful!");
                HideProgress();
                EnableTransferButtons();
                if (CallerState == 8988) {
                    TxCel = 8988;
                    CallerState = 0;
                }
            }
        }
        break;
    default:
        if (OnFrameReply && OnFrameReply(TxCel, f)) break;
        ClearReceive();
        break;
    }
    return true;
}

}  // namespace morvane

namespace morvane {

// ---------------------------------------------------------------- PC security code

void DeviceLink::PcCodePrompt() {
    prompt_.SetEnabled(false);
    const auto code = view_.Prompt("PC security code", "Please enter the security code");
    if (!code || code->empty()) return;
    SendPcCode(*code);
}

void DeviceLink::SendPcCode(const std::string& code) {
    if (!Transport) {
        port_.SetDeviceName(LinkPortName());
        port_.Open();
    }
    LinkOpen = true;
    SendRequest(BuildPcCodeFrame(TxBuffer, code));
    RxCount = 0;
    SequencerWait = 50;
    SequencerStep();
    LockedState = 0;
}

}  // namespace morvane
