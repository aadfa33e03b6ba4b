// The receive side and the sequencer together, against the simulated device
// in the same process (no port): every request the link sends is answered by
// the device model and the answer is fed back.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "app/configurator.h"
#include "app/view.h"
#include "config/config_image.h"
#include "devsim/devsim.h"
#include "link/frames.h"
#include "link/link.h"
#include "link/services/identity.h"
#include "support/link_support.h"
#include "support/test_support.h"

namespace morvane {
namespace {

using Bytes = std::vector<uint8_t>;
using test::Phases;

struct Harness {
    Configurator form{"\\software\\GSM\\test"};
    ConfigImage image;
    RecordingView view;
    DeviceLink link{form, image, view};
    devsim::DeviceModel model;
    bool answer = true;
    std::vector<Bytes> sent;
    std::deque<Bytes> replies;

    explicit Harness(devsim::Options o = {}) : model(o) {
        form.DeviceType = o.typeCode;
        form.DeviceVersion = o.version;
        form.StartAction = Configurator::kStartNothing;
        form.PortHandedOver = true;
        link.Transport = [this](const uint8_t* p, int n) {
            sent.emplace_back(p, p + n);
            if (!answer) return;
            Bytes r = model.Feed(sent.back());
            if (!r.empty()) replies.push_back(std::move(r));
        };
    }
    bool byteWise = false;  // answers arrive one byte per receive event
    // Feeds the device's answers back until the link is idle; runs the link
    // timer only when no answer is waiting. Returns the timer ticks used.
    int RunToIdle(int maxTicks = 20000) {
        return RunUntil([this] { return link.TxCel == 0; }, maxTicks);
    }
    template <typename Done>
    int RunUntil(Done done, int maxTicks = 20000) {
        int ticks = 0;
        while (ticks < maxTicks) {
            if (!replies.empty()) {
                Bytes& r = replies.front();
                if (byteWise && r.size() > 1) {
                    const uint8_t b = r.front();
                    r.erase(r.begin());
                    link.ReplyBytes(&b, 1);
                    continue;
                }
                Bytes whole = std::move(r);
                replies.pop_front();
                link.ReplyBytes(whole.data(), int(whole.size()));
                continue;
            }
            if (done()) break;
            link.AdasTimer();
            ++ticks;
        }
        return ticks;
    }
    // The requests sent, as text (AT commands) or hex (frames).
    std::vector<std::string> Requests() const {
        std::vector<std::string> out;
        for (const Bytes& r : sent) {
            const bool text = !r.empty() && r[0] == 'A';
            out.push_back(text ? std::string(r.begin(), r.end()) : devsim::Hex(r));
        }
        return out;
    }
    void Feed(const Bytes& b) { link.ReplyBytes(b.data(), int(b.size())); }
};

Bytes Block(uint8_t seed) {
    Bytes b(257);
    unsigned sum = 0;
    for (int i = 0; i < 256; ++i) sum += b[size_t(i)] = uint8_t(seed + i * 7);
    b[256] = uint8_t(sum);
    return b;
}

// ---------------------------------------------------------------- framing of replies

TEST(ReplyDispatchTest, MemoryBlockArrivingInPiecesIsHandledOnceComplete) {
    Harness h;
    h.answer = false;
    h.link.LinkOpen = true;
    h.link.TxCel = 110;
    h.link.SequencerStep();
    ASSERT_EQ(h.sent.size(), 1u);
    const Bytes block = Block(3);
    h.Feed(Bytes(block.begin(), block.begin() + 100));
    EXPECT_EQ(h.link.TransferIndex, 0);
    EXPECT_EQ(h.link.RxCount, 100);
    h.Feed(Bytes(block.begin() + 100, block.end()));
    EXPECT_EQ(h.link.TransferIndex, 16);
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + 256, h.image.Data()));
    // The next page request went out at once, without waiting for a tick.
    ASSERT_EQ(h.sent.size(), 2u);
    EXPECT_EQ(Bytes(h.sent[1].begin(), h.sent[1].begin() + 4), (Bytes{0x00, 0xF7, 0x10, 0x00}));
    EXPECT_EQ(h.link.BlockErrorCount, 1);  // reset by the good block, counted by the next request
}

TEST(ReplyDispatchTest, MalformedBlocksAreLeftAlone) {
    struct Case {
        const char* name;
        Bytes bytes;
    };
    Bytes longer = Block(5);
    longer.push_back(0);
    Bytes badSum = Block(5);
    badSum[256] = uint8_t(badSum[256] + 1);
    const Case cases[] = {{"258 bytes", longer}, {"check byte off by one", badSum}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        h.answer = false;
        h.link.LinkOpen = true;
        h.link.TxCel = 110;
        h.link.TransferIndex = 16;
        h.link.SequencerStep();
        h.Feed(c.bytes);
        EXPECT_EQ(h.link.TxCel, 110);
        EXPECT_EQ(h.link.TransferIndex, 16);
        EXPECT_EQ(h.link.RxCount, int(c.bytes.size()));  // kept until the re-send clears it
        EXPECT_EQ(h.image[0x100], 0);
        EXPECT_EQ(h.sent.size(), 1u);
        // The re-send on wait expiry clears the buffer; a good block then goes through.
        h.link.SequencerWait = 0;
        h.link.AdasTimer();
        EXPECT_EQ(h.sent.size(), 2u);
        EXPECT_EQ(h.link.RxCount, 0);
        h.Feed(Block(5));
        EXPECT_EQ(h.link.TransferIndex, 32);
    }
}

TEST(ReplyDispatchTest, SixByteFramesWithBadCheckBytesAreDroppedGoodOnesConsumedWhenIdle) {
    Harness h;
    h.Feed({0xAB, 0, 0, 0, 0x55, 0xAB});
    EXPECT_EQ(h.link.RxCount, 0);
    h.Feed({0xAB, 0, 0});
    EXPECT_EQ(h.link.RxCount, 3);
    h.Feed({0, 0x55, 0xAA});
    EXPECT_EQ(h.link.RxCount, 0);
    EXPECT_EQ(h.link.TxCel, 0);
}

TEST(ReplyDispatchTest, SecurityLockNoticeInEveryStateParksItAndTheCodeResumes) {
    // 130 only collects bytes for the sequencer and sees no notice.
    const int states[] = {5, 20, 21, 70, 99, 100, 101, 102, 103, 104, 110, 111, 112, 114, 120, 210, 1000, 1001, 1011};
    for (int state : states) {
        SCOPED_TRACE(state);
        Harness h;
        h.answer = false;
        h.link.LinkOpen = true;
        h.link.TxCel = state;
        h.link.TransferIndex = state == 102 ? 0 : (state == 114 ? 0x3500 : 0);
        h.Feed({0xAB, 0xFF, 0xFF, 0xFF, 0x12, 0x34});  // any two further bytes
        EXPECT_EQ(h.link.LockedState, state);
        EXPECT_EQ(h.link.TxCel, state);
        EXPECT_TRUE(h.link.PromptTimer().Enabled());
        // While locked the link timer neither counts nor re-sends.
        h.link.SequencerWait = 0;
        for (int i = 0; i < 5; ++i) h.link.AdasTimer();
        EXPECT_TRUE(h.sent.empty());
        h.view.promptAnswer = "4321";
        h.link.PromptTimer().Fire();
        EXPECT_FALSE(h.link.PromptTimer().Enabled());
        EXPECT_EQ(h.link.LockedState, 0);
        ASSERT_FALSE(h.sent.empty());
        const Bytes& code = h.sent[0];
        ASSERT_EQ(code.size(), 262u);
        EXPECT_EQ(code[0], uint8_t('4' + '3' + '2' + '1'));
        EXPECT_EQ(code[1], 0xF2);
        EXPECT_EQ(std::string(code.begin() + 6, code.begin() + 10), "4321");
        EXPECT_EQ(code[10], 0);
    }
}

TEST(ReplyDispatchTest, GuardOfTwoThousandBytes) {
    Harness h;
    h.answer = false;
    h.link.TxCel = 110;
    Bytes big(2001, 0x11);
    h.Feed(big);
    EXPECT_EQ(h.link.RxCount, 0);
    h.Feed(Bytes(2000, 0x22));
    EXPECT_EQ(h.link.RxCount, 2000);
    h.Feed(Bytes(10, 0x33));
    EXPECT_EQ(h.link.RxCount, 2010);
    h.Feed(Bytes(1, 0x44));  // more than 2000 held: emptied
    EXPECT_EQ(h.link.RxCount, 0);
}

TEST(ReplyDispatchTest, AcknowledgementMustEchoTheFirstByte) {
    Harness h;
    h.answer = false;
    h.link.LinkOpen = true;
    h.link.TxCel = 111;
    h.image[0] = 9;  // page 0's sum is 9
    h.link.SequencerStep();
    ASSERT_EQ(h.sent.back()[0], 9);
    h.Feed({8});
    EXPECT_EQ(h.link.TransferIndex, 0);
    EXPECT_EQ(h.link.RxCount, 1);
    h.link.RxCount = 0;
    h.Feed({9});
    EXPECT_EQ(h.link.TransferIndex, 1);
    EXPECT_EQ(h.sent.size(), 2u);
    EXPECT_EQ(h.sent.back()[3], 0x10);  // page 1 travels as 0x10
}

// ---------------------------------------------------------------- identity

TEST(ReplyDispatchTest, FirmwareVersionAnswer) {
    struct Case {
        char type;
        int preset;
        const char* filter;
        uint8_t b3;
        const char* panel;
        int version;
        bool remotePage;  // page "Távfelügyelet" visible
        bool hint;
    } cases[] = {
        {'H', 0, "0", 93, "Firmware: 9.3", 93, true, true},
        {'H', 95, "0", 95, "Firmware: 9.5", 95, true, false},
        {'H', 80, "0", 5, "Firmware: 8.0", 80, true, false},  // 10 or less keeps the version
        {'H', 0, "ALL", 65, "Firmware: 6.5", 90, true, false},
        {'H', 0, "0", 72, "Firmware: 7.2", 72, false, false},
        {'N', 0, "0", 92, "Firmware: 9.2", 92, true, false},  // 'H' and 'N' hint only above 9.2
        {'I', 0, "0", 90, "Firmware: 9.0", 90, true, true},   // the 'I' image is 9.1
        {'I', 0, "0", 91, "Firmware: 9.1", 91, true, false},
        {'K', 0, "0", 94, "Firmware: 9.4", 94, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.panel);
        devsim::Options o;
        o.typeCode = c.type;
        Harness h(o);
        h.form.DeviceVersion = c.preset;
        h.form.DeviceFilter = c.filter;
        h.answer = false;
        h.link.LinkOpen = true;
        h.link.StartIdentity();
        ASSERT_EQ(h.sent.size(), 1u);
        EXPECT_EQ(h.sent[0], (Bytes{0x00, 0x00, 0xFE, 0x00, 0x02, 0xFD}));
        h.Feed(devsim::Frame(0xAB, 0x00, 0xFE, c.b3));
        EXPECT_EQ(h.link.TxCel, 0);
        EXPECT_EQ(h.form.StatusPanels[2], c.panel);
        EXPECT_EQ(h.form.DeviceVersion, c.version);
        EXPECT_EQ(h.form.Controls()["page:Távfelügyelet"].visible, c.remotePage);
        EXPECT_EQ(h.link.NewFirmwareHint, c.hint);
    }
    // Answers of another address, or without the answer mark, are ignored.
    Harness h;
    h.answer = false;
    h.link.LinkOpen = true;
    h.form.DeviceVersion = 80;
    h.link.StartIdentity();
    h.Feed(devsim::Frame(0xAB, 0x00, 0xFF, 93));
    h.Feed(devsim::Frame(0xAA, 0x00, 0xFE, 93));
    EXPECT_EQ(h.link.TxCel, 99);
    EXPECT_EQ(h.form.DeviceVersion, 80);
}

TEST(ReplyDispatchTest, IdentityRunsTheStartActionAtOnce) {
    devsim::Options o;
    o.typeCode = 'H';
    o.version = 93;
    Harness h(o);
    h.form.StartAction = Configurator::kStartRead;
    h.link.LinkOpen = true;
    h.link.StartIdentity();
    h.RunToIdle();
    EXPECT_EQ(h.form.StartAction, Configurator::kStartUsed);
    EXPECT_EQ(h.form.StatusPanels[3], "Successful readout!");
    EXPECT_EQ(h.image[0xFE], 93);
}

TEST(ReplyDispatchTest, FeatureTableRows) {
    enum Prop { Visible, Enabled, Checked };
    struct Case {
        char type;
        int version;
        const char* key;
        Prop prop;
        bool before, after;
    } cases[] = {
        {'H', 93, "page:Távfelügyelet", Visible, true, true},
        {'H', 93, "page:Nyitás/zárás", Visible, true, true},
        {'H', 93, "Hangmenü letiltása", Visible, true, true},
        {'H', 81, "page:Nyitás/zárás", Visible, true, false},            // row 15
        {'H', 81, "page:TabSheet20", Visible, false, true},              // row 20
        {'N', 85, "page:TabSheet20", Visible, false, false},             // row 20 leaves it for 'N'
        {'N', 85, "Saját jelzések küldése GPRS-en", Visible, false, true},
        {'G', 87, "Hangmenü letiltása", Visible, true, false},           // row 14
        {'G', 88, "PC biztonsági kód:", Visible, true, true},
        {'H', 72, "Élesítés impulzussal", Visible, true, false},         // row 6
        {'H', 73, "menu:Térerő", Visible, false, true},                  // row 5
        {'H', 73, "ExtensionPanelType", Visible, false, true},
        {'I', 90, "ExtensionPanelType", Visible, false, false},          // row 12 after row 5
        {'I', 90, "LED-ek kikapcsolása csukot fedőnél", Visible, true, false},
        {'F', 18, "LED-ek kikapcsolása csukot fedőnél", Visible, false, true},  // row 2
        {'H', 17, "menu:Monitor", Enabled, false, true},                 // row 1
        {'H', 17, "page:Hőméséklet", Visible, true, false},              // row 31
        {'P', 90, "page:Hőméséklet", Visible, true, false},
        {'P', 90, "menu:Firmware Download", Visible, false, false},      // row 11 after row 10
        {'H', 68, "menu:Firmware Download", Visible, false, true},
        {'H', 95, "page:TabSheet42", Visible, true, false},              // row 13
        {'H', 77, "status:Vonali feszültség:", Visible, true, false},    // row 9
        {'J', 77, "status:Vonali feszültség:", Visible, true, true},     // row 22 after row 9
        {'J', 79, "RemoteNumber1", Enabled, true, false},                // row 23
        {'J', 81, "RemoteNumber2", Enabled, true, true},
        {'J', 80, "Híváskor nem kell felvenni! 6", Visible, true, false},  // row 24
        {'J', 81, "Híváskor nem kell felvenni! 1", Visible, true, true},
        {'J', 81, "Minden bejövő=TIP/RING", Visible, true, false},       // row 25
        {'J', 84, "page:Nyitás/zárás", Visible, true, false},            // row 26
        {'J', 84, "page:Saját memóriás", Visible, true, false},          // row 27
        {'J', 85, "page:Saját memóriás", Visible, true, true},
        {'H', 86, "DTMF nyugtázás híváskor 4", Visible, true, false},    // row 18
        {'K', 92, "Halvoret call active", Visible, false, true},         // row 30
        {'K', 92, "Halvoret call active", Checked, true, false},         // row 29
        {'O', 91, "Halvoret call active", Visible, false, false},
        {'O', 91, "Test CALL", Visible, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.type) + " " + std::to_string(c.version) + " " + c.key);
        ControlSet controls;
        ControlState& state = controls[c.key];
        bool ControlState::*member = c.prop == Visible ? &ControlState::visible
                                     : c.prop == Enabled ? &ControlState::enabled
                                                         : &ControlState::checked;
        state.*member = c.before;
        ApplyFeatureTable(controls, c.version, c.type);
        EXPECT_EQ(controls[c.key].*member, c.after);
    }
    ControlSet controls;
    controls["SecondBankTiming1"].text = "3";
    ApplyFeatureTable(controls, 85, 'J');  // row 28
    EXPECT_EQ(controls["SecondBankTiming1"].text, "15");
    EXPECT_EQ(controls["SecondBankTiming2"].text, "20");
    controls["RemoteNumber1"].text = "36301234567";
    ApplyFeatureTable(controls, 79, 'J');  // row 23 empties the field
    EXPECT_EQ(controls["RemoteNumber1"].text, "");
}

TEST(ReplyDispatchTest, LaterAnswersNeverRestoreWhatAnEarlierOneHid) {
    devsim::Options o;
    o.typeCode = 'H';
    Harness h(o);
    h.answer = false;
    h.link.LinkOpen = true;
    for (uint8_t b3 : {72, 93}) {
        h.link.StartIdentity();
        h.Feed(devsim::Frame(0xAB, 0x00, 0xFE, b3));
    }
    EXPECT_EQ(h.form.DeviceVersion, 93);
    EXPECT_FALSE(h.form.Controls()["page:Távfelügyelet"].visible);
}

TEST(ReplyDispatchTest, VersionMessageShowsTheReportedNumber) {
    struct Case {
        const char* filter;
        uint8_t b3;
        bool asked;
        std::vector<std::string> messages;
    } cases[] = {
        {"0", 92, true, {"Software version of the module:9.2"}},
        {"ALL", 65, true, {"Software version of the module:6.5"}},  // the pages follow 9.0
        {"0", 92, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.b3) + c.filter);
        Harness h;
        h.form.DeviceFilter = c.filter;
        h.answer = false;
        h.link.LinkOpen = true;
        h.link.StartIdentity(c.asked);
        h.Feed(devsim::Frame(0xAB, 0x00, 0xFE, c.b3));
        EXPECT_TRUE(h.view.messages.empty());  // the link timer shows it
        h.link.AdasTimer();
        h.link.AdasTimer();
        EXPECT_EQ(h.view.messages, c.messages);
    }
}

TEST(ReplyDispatchTest, NewFirmwareHintBlinksWhileTheDeviceIsBehind) {
    Harness h;
    h.answer = false;
    h.link.LinkOpen = true;
    auto label = [&] { return h.form.Controls()[linkctl::NewFirmwareLabel]; };
    auto button = [&] { return h.form.Controls()[linkctl::FirmwareButton]; };
    for (uint8_t b3 : {93, 95}) {  // 'H': the built-in image is 9.5
        SCOPED_TRACE(int(b3));
        const bool behind = b3 < 95;
        h.link.StartIdentity();
        h.Feed(devsim::Frame(0xAB, 0x00, 0xFE, b3));
        ASSERT_EQ(h.link.NewFirmwareHint, behind);
        for (int tick = 0; tick < 6; ++tick) h.link.AdasTimer();
        int lit = 0, dark = 0;
        for (int tick = 0; tick < 24; ++tick) {
            h.link.AdasTimer();
            (label().visible ? lit : dark) += 1;
            EXPECT_EQ(button().visible, behind);
        }
        EXPECT_EQ(lit > 0 && dark > 0, behind);
        if (behind) {
            EXPECT_EQ(label().text, "Van új elérhető firmware!");
        }
    }
}

// ---------------------------------------------------------------- GSM module

TEST(ReplyDispatchTest, ModuleInformationChainFillsEveryField) {
    for (bool byteWise : {false, true}) {
        SCOPED_TRACE(byteWise ? "one byte per event" : "whole answers");
        Harness h;
        h.byteWise = byteWise;
        h.link.ModuleInfo.SetField(modinfo::Imei, "old");
        h.link.OpenModuleInfo();
        EXPECT_EQ(h.link.ModuleInfo.Text(modinfo::Imei), "");
        EXPECT_EQ(h.link.ModuleInfo.Text(modinfo::Window), "service function");
        h.link.StartModuleInfo();
        h.RunToIdle();
        EXPECT_EQ(h.link.TxCel, 0);
        const std::pair<const char*, const char*> fields[] = {
            {modinfo::Network, ""},
            {modinfo::Imei, "356938035643809"},
            {modinfo::Software, "Revision:1418B05SIM800C24"},
            {modinfo::Jammer, "Enabled"},
            {modinfo::SimNumber, "216301234567890"},
            {modinfo::ServiceNumber, "+36309888000\",145"},
            {modinfo::NetworkType, "EGSM_DCS_MODE"},
            {modinfo::NetworkName, "0,\"Telekom HU\""},
        };
        for (const auto& [field, text] : fields) EXPECT_EQ(h.link.ModuleInfo.Text(field), text) << field;
        EXPECT_EQ(h.form.StatusPanels[3], "GSM modem mode OK!");
        // Whole answers: every request once, in order.
        if (!byteWise) {
            EXPECT_EQ(h.Requests(), (std::vector<std::string>{"00 FD 00 00 03 FC", "AT\r", "AT+CGSN\r", "AT+CGMR\r",
                                                              "AT+SJDR?\r", "AT+CIMI\r", "AT+CSCA?\r", "AT+CBAND?\r",
                                                              "AT+COPS?\r"}));
        }
    }
}

TEST(ReplyDispatchTest, ImeiQueryShowsTheNumber) {
    Harness h;
    h.link.LinkOpen = true;
    h.link.StartImei();
    h.RunToIdle();
    EXPECT_EQ(h.Requests(), (std::vector<std::string>{"00 FD 00 00 03 FC", "AT\r", "AT+CGSN\r"}));
    EXPECT_EQ(h.view.messages, (std::vector<std::string>{"IMEI number:356938035643809"}));
    EXPECT_EQ(h.link.RxCount, 0);
}

TEST(ReplyDispatchTest, ResetGsmLeavesModemModeAndParksTheLink) {
    Harness h;
    h.link.StartGsmReset();
    h.RunUntil([&] { return h.link.TxCel == 303; });
    EXPECT_EQ(h.Requests(), (std::vector<std::string>{"00 FD 00 00 03 FC", "AT\r", "ATZ\r", "AT+COLP=0\r",
                                                      "02 02 00 00 FC 03"}));
    EXPECT_FALSE(h.model.ModemMode());
    // Nothing acts on 303: further ticks send nothing.
    for (int i = 0; i < 200; ++i) h.link.AdasTimer();
    EXPECT_EQ(h.sent.size(), 5u);
    EXPECT_EQ(h.link.TxCel, 303);
}

TEST(ReplyDispatchTest, LteSwitching) {
    struct Case {
        bool enable;
        const char* answer;  // nullptr: the simulated module answers
        const char* request;
        std::vector<std::string> tail;  // requests after the AT command
        const char* message;
    } cases[] = {
        {false, nullptr, "AT+CNMP=13\r", {"00 FF AA 00 57 A8"}, "LTE disable successful!"},
        {true, nullptr, "AT+CNMP=02\r", {"00 FF AA 00 57 A8"}, "LTE enable successful!"},
        {false, "AT+CNMP=13\r\r\nERROR\r\n", "AT+CNMP=13\r", {"02 02 00 00 FC 03"}, "!!ERROR!!"},
        {true, "AT+CNMP=02\r\r\nERROR\r\n", "AT+CNMP=02\r", {"02 02 00 00 FC 03"}, "!!ERROR!!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Harness h;
        const int state = c.enable ? 710 : 700;
        std::vector<std::string> expect;
        if (!c.answer) {
            // Through modem mode with the simulated module, which takes the setting.
            h.link.StartLte(c.enable);
            EXPECT_FALSE(h.form.Controls()[linkctl::Window].enabled);
            expect = {"00 FD 00 00 03 FC", "AT\r"};
        } else {
            h.answer = false;
            h.form.Controls().SetEnabled(linkctl::Window, false);
            h.link.LinkOpen = true;
            h.link.TxCel = state;
            h.link.SequencerStep();
            h.Feed(Bytes(c.answer, c.answer + 14));  // 14 bytes decide nothing yet
            EXPECT_EQ(h.link.TxCel, state);
            h.Feed(Bytes(c.answer + 14, c.answer + std::strlen(c.answer)));
            EXPECT_EQ(h.link.TxCel, state + 2);
        }
        h.RunToIdle();
        expect.push_back(c.request);
        expect.insert(expect.end(), c.tail.begin(), c.tail.end());
        EXPECT_EQ(h.Requests(), expect);
        EXPECT_EQ(h.view.messages, std::vector<std::string>{c.message});
        EXPECT_TRUE(h.form.Controls()[linkctl::Window].enabled);
    }
}

TEST(ReplyDispatchTest, IncompleteOrForeignModuleAnswersWait) {
    struct Case {
        int state;
        const char* bytes;  // fed in one event
        const char* field;  // filled when taken
        const char* text;   // nullptr: the answer waits
    } cases[] = {
        {320, "AT+CGS", modinfo::Imei, nullptr},  // six bytes are no frame here
        {320, "AT+CGSN\r\r\n35693803564380", modinfo::Imei, nullptr},
        {320, "xAT+CGSN\r\r\n356938035643809\r\n\r\nOK\r\n", modinfo::Imei, nullptr},  // keyword off by one
        {320, "AT+CGSN\r\r\n356938035643809\r\n\r\nOK\r\n", modinfo::Imei, "356938035643809"},
        // 40 bytes are too few; 41 with a CR at offset 30 give offsets 10..29.
        {321, "AT+CGMR\r\r\nRevision:1418B05SIM8\r\n\r\nOK\r\nxx", modinfo::Software, nullptr},
        {321, "AT+CGMR\r\r\nRevision:1418B05SIM8\r\n\r\nOK\r\nxxx", modinfo::Software, "Revision:1418B05SIM8"},
        {322, "AT+SJDR?\r\r\n+SJDR", modinfo::Jammer, nullptr},  // the minimum, but not offset 18
        {322, "AT+SJDR?\r\r\n+SJDR: 1", modinfo::Jammer, "Enabled"},
        {322, "AT+SJDR?\r\r\n+SJDR: 0", modinfo::Jammer, "Disabled"},
        {322, "AT+SJDR?\r\r\nERROR", modinfo::Jammer, "Disabled"},  // a module without it
        {325, "AT+CBAND?\r\r\n+CBAND: EGSM_D", modinfo::NetworkType, nullptr},  // 26 bytes, no CR yet
        {326, "AT+COPS?\r\r\n+COPS: 0,0,\"\xE9ter\"\r\n", modinfo::NetworkName, "0,\"éter\""},
        {325, "AT+COPS?\r\r\n+COPS: 0,0,\"Telekom HU\"\r\n\r\nOK\r\n", modinfo::NetworkType, nullptr},  // another answer
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        Harness h;
        h.answer = false;
        h.link.LinkOpen = true;
        h.link.TxCel = c.state;
        h.link.SequencerStep();
        const Bytes reply(c.bytes, c.bytes + std::strlen(c.bytes));
        h.Feed(reply);
        if (c.text) {
            EXPECT_EQ(h.link.ModuleInfo.Text(c.field), c.text);
            EXPECT_EQ(h.link.TxCel, c.state == 326 ? 0 : c.state + 1);
            EXPECT_EQ(h.link.RxCount, 0);
            continue;
        }
        EXPECT_EQ(h.link.ModuleInfo.Text(c.field), "");
        EXPECT_EQ(h.link.TxCel, c.state);
        EXPECT_EQ(h.link.RxCount, int(reply.size()));
        // The re-send clears the buffer and asks again.
        for (int i = 0; i < 25 && h.sent.size() < 2; ++i) h.link.AdasTimer();
        EXPECT_EQ(h.sent.size(), 2u);
        EXPECT_EQ(h.sent[1], h.sent[0]);
        EXPECT_EQ(h.link.RxCount, 0);
    }
}

// ---------------------------------------------------------------- full transfers

struct TransferCase {
    char type;
    int version;
    bool cid;
};

class FullTransferTest : public ::testing::TestWithParam<TransferCase> {};

TEST_P(FullTransferTest, ReadThenWriteFollowTheOrdersAndCopyTheImage) {
    const TransferCase c = GetParam();
    devsim::Options o;
    o.typeCode = c.type;
    o.version = c.version;
    Harness h(o);
    h.form.Controls()[linkctl::ContactIdOption].checked = c.cid;
    std::mt19937 rng(c.version * 131 + c.type);
    // Device content to read: every region the read may fetch.
    for (uint32_t a = 0; a < 0x2000; ++a)
        if (a != 0xFE && a != 0xFF) h.model.Write(a, uint8_t(rng()));
    for (uint32_t a = 0x340000; a < 0x355000; ++a) h.model.Write(a, uint8_t(rng()));
    const TransferOptions opts{c.type, c.version, c.cid, false};
    bool decoded = false;
    h.link.OnReadFinished = [&] { decoded = true; };

    h.link.StartRead();
    const int readTicks = h.RunToIdle();
    EXPECT_TRUE(decoded);
    EXPECT_EQ(h.form.StatusPanels[3], "Successful readout!");
    EXPECT_EQ(Phases(h.sent), FullReadOrder(opts));
    // One tick opens the link and sends; every later request follows its reply at once.
    EXPECT_EQ(readTicks, 1);
    for (const TransferPhase& p : FullReadOrder(opts)) {
        for (int u : p.units) {
            uint32_t offset = 0, size = 256;
            if (p.txCel == 100) {
                offset = uint32_t(u), size = 1;
            } else if (p.txCel == 103) {
                offset = uint32_t(u) * 32, size = 32;
            } else {
                offset = PageOffset(u);
            }
            ASSERT_TRUE(std::equal(h.image.Data() + offset, h.image.Data() + offset + size,
                                   h.model.Memory().begin() + offset))
                << "unit " << u;
        }
    }
    if (FullReadOrder(opts).back().txCel == 110) {
        EXPECT_EQ(h.image[0x350000], 0);  // not fetched: cleared
    }

    // Change the image and write it back.
    for (uint32_t a = 0; a < 0x800; ++a)
        if (a != 0xFE && a != 0xFF) h.image[a] = uint8_t(rng());  // the identity bytes stay as read
    for (uint32_t a = 0x340000; a < 0x355000; ++a) h.image[a] = uint8_t(rng());
    h.sent.clear();
    h.link.StartWrite();
    h.RunToIdle();
    EXPECT_EQ(Phases(h.sent), FullWriteOrder(opts));
    EXPECT_EQ(h.model.ClockText().size(), 12u);
    const std::string done = c.type == 'P' || c.type == 'F' || c.type == 'd' ? "Time sync successful!" : "Data sent successful!";
    EXPECT_EQ(h.form.StatusPanels[3], done);
    for (const TransferPhase& p : FullWriteOrder(opts)) {
        for (int u : p.units) {
            const uint32_t offset = p.txCel == 101 ? uint32_t(u) : PageOffset(u);
            const uint32_t size = p.txCel == 101 ? 1 : 256;
            ASSERT_TRUE(std::equal(h.image.Data() + offset, h.image.Data() + offset + size,
                                   h.model.Memory().begin() + offset))
                << "unit " << u;
        }
    }
    EXPECT_TRUE(h.form.Controls()[linkctl::SendButton].enabled);
}

INSTANTIATE_TEST_SUITE_P(Types, FullTransferTest,
                         ::testing::Values(TransferCase{'H', 93, true}, TransferCase{'Q', 93, true},
                                           TransferCase{'J', 85, true}, TransferCase{'J', 85, false},
                                           TransferCase{'P', 90, true}, TransferCase{'G', 90, true},
                                           TransferCase{'F', 80, true}, TransferCase{'H', 72, true},
                                           TransferCase{'J', 60, true}));

TEST(ReplyDispatchTest, DoorGateRecordsAreReadIntoTheImage) {
    devsim::Options o;
    o.typeCode = 'd';
    o.version = 90;
    Harness h(o);
    for (size_t r = 0; r < 256; ++r) h.model.SetRecord(r, Bytes(32, uint8_t(r)));
    h.link.StartRead();
    h.RunToIdle();
    EXPECT_EQ(Phases(h.sent), FullReadOrder({'d', 90, true, false}));
    EXPECT_EQ(h.image[0x1FE0], 255);
    EXPECT_EQ(h.image[32 * 17 + 5], 17);
    EXPECT_EQ(h.form.StatusPanels[3], "Successful readout!");
}

TEST(ReplyDispatchTest, PcCodeChangeKeepsTheRestOfThePage) {
    devsim::Options o;
    Harness h(o);
    for (uint32_t a = 0x600; a < 0x700; ++a) h.model.Write(a, uint8_t(a));
    const char old[] = "OLD1";
    for (int i = 0; i < 4; ++i) h.model.Write(0x6C0 + uint32_t(i), uint8_t(old[i]));
    h.model.Write(0x6C4, 0xFF);
    h.link.OldPcCode = "OLD1";
    h.link.NewPcCode = "AB";
    h.link.LinkOpen = true;
    h.link.TxCel = 120;
    h.link.SequencerStep();
    h.RunToIdle();
    EXPECT_EQ(h.link.TxCel, 0);
    EXPECT_EQ(h.model.Read(0x6C0), 'A');
    EXPECT_EQ(h.model.Read(0x6C1), 'B');
    EXPECT_EQ(h.model.Read(0x6C2), 0xFF);  // the old code's tail is gone
    EXPECT_EQ(h.model.Read(0x600), 0x00);
    EXPECT_EQ(h.model.Read(0x6A0), 0xA0);  // the customer data around it stays
    EXPECT_EQ(h.model.Read(0x6FF), 0xFF);

    h.link.OldPcCode = "WRONG";
    h.link.TxCel = 120;
    h.link.SequencerStep();
    h.RunToIdle();
    EXPECT_EQ(h.form.StatusPanels[3], "Bad old PC Code");
}

}  // namespace
}  // namespace morvane

namespace morvane {
namespace {

TEST(SoundUploadTest, FramedUploadSendsEveryBlockOfTheFile) {
    struct Case {
        size_t size;
        size_t blocks;
    } cases[] = {{1000, 4}, {512, 2}, {256, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        test::TempDir dir;
        const std::string path = dir.File("sound.wav");
        Bytes data(c.size);
        for (size_t i = 0; i < c.size; ++i) data[i] = uint8_t(i % 251 == 7 ? 0xFF : i % 251);
        {
            std::FILE* f = std::fopen(path.c_str(), "wb");
            std::fwrite(data.data(), 1, data.size(), f);
            std::fclose(f);
        }
        devsim::Options o;
        o.version = 90;
        Harness h(o);
        h.link.SoundFile = std::fopen(path.c_str(), "rb");
        h.link.PageAddress = 0x100;
        h.link.BlocksLeft = 100;
        h.link.LinkOpen = true;
        h.link.TxCel = 1000;
        h.link.SequencerStep();
        h.RunToIdle();
        EXPECT_EQ(h.link.TxCel, 0);
        EXPECT_EQ(h.link.SoundFile, nullptr);
        size_t blocks = 0;
        for (const Bytes& r : h.sent) blocks += r.size() == 262;
        EXPECT_EQ(blocks, c.blocks);
        EXPECT_EQ(h.sent.front(), (Bytes{0x55, 0xF5, 0x00, 0x00, 0xB6, 0x49}));
        // 0xFF goes out as 0xFE; the last block is padded with 0xFF.
        for (size_t i = 0; i < c.size; ++i) {
            const uint8_t expect = data[i] == 0xFF ? 0xFE : data[i];
            ASSERT_EQ(h.model.Read(uint32_t(0x10000 + i)), expect) << i;
        }
        if (c.size % 256) {
            EXPECT_EQ(h.model.Read(uint32_t(0x10000 + c.size)), 0xFF);
        }
        EXPECT_EQ(h.link.Port().BaudRate(), TBaudRate::cbr9600);
    }
}

}  // namespace
}  // namespace morvane
