#include "link/frames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <vector>

#include "app/configurator.h"
#include "app/view.h"
#include "config/config_image.h"
#include "link/link.h"

namespace morvane {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Sent(const TxBufferArray& tx, int n) { return Bytes(tx.begin(), tx.begin() + n); }

TEST(FramesTest, CheckPairExamples) {
    struct Case {
        uint8_t a, c, b, d, kk, k;
    } cases[] = {
        {0x02, 0x04, 0x10, 0x01, 0xE9, 0x16}, {0x00, 0x00, 0xFE, 0x00, 0x02, 0xFD}, {0x55, 0xF5, 0x00, 0x00, 0xB6, 0x49},
        {0x00, 0xFF, 0xAA, 0x00, 0x57, 0xA8}, {0x02, 0x02, 0x00, 0x00, 0xFC, 0x03}, {0x00, 0x00, 0x00, 0x00, 0x00, 0xFF},
        {0xFF, 0xFF, 0xFF, 0xFF, 0x04, 0xFB},  // the sum wraps more than once
    };
    for (const Case& c : cases) {
        TxBufferArray tx{};
        ASSERT_EQ(BuildFrame(tx, c.a, c.c, c.b, c.d), 6);
        EXPECT_EQ(Sent(tx, 6), (Bytes{c.a, c.c, c.b, c.d, c.kk, c.k}));
        EXPECT_TRUE(FrameValid(tx.data()));
    }
    const uint8_t ok[] = {0xAB, 0, 0, 0, 0x55, 0xAA};
    const uint8_t bad[] = {0xAB, 0, 0, 0, 0x55, 0xAB};
    EXPECT_TRUE(FrameValid(ok));
    EXPECT_FALSE(FrameValid(bad));
}

TEST(FramesTest, BlockFrameHeaderCarriesDataSumAndCheckOverHeaderOnly) {
    struct Case {
        uint8_t fill;
        uint8_t sum;
    } cases[] = {{0x01, 0x00}, {0xFF, 0x00}, {0x00, 0x00}, {0x02, 0x00}};
    for (const Case& c : cases) {
        TxBufferArray tx{};
        ASSERT_EQ(BuildFilledBlockFrame(tx, cmd::PageWrite, 0x35, 0x04, c.fill), 262);
        EXPECT_EQ(tx[0], c.sum);
        EXPECT_EQ(tx[5], CheckK(c.sum, 0xF6, 0x35, 0x04));
        EXPECT_EQ(tx[4], 255 - tx[5]);
        EXPECT_EQ(tx[261], c.fill);
    }
    // A data block with a non-trivial sum.
    std::vector<uint8_t> data(256);
    for (int i = 0; i < 256; ++i) data[size_t(i)] = uint8_t(i);
    TxBufferArray tx{};
    BuildBlockFrame(tx, cmd::PageWrite, 0, 0x30, data.data());
    EXPECT_EQ(tx[0], 0x80);  // 0 + 1 + ... + 255 = 32640 = 0x7F80
    EXPECT_EQ(tx[6 + 200], 200);
}

TEST(FramesTest, ClockFrameLayout) {
    std::tm tm{};
    tm.tm_year = 2026 - 1900;
    tm.tm_mon = 2;
    tm.tm_mday = 7;
    tm.tm_hour = 9;
    tm.tm_min = 5;
    tm.tm_sec = 3;
    tm.tm_isdst = -1;
    const auto when = std::chrono::system_clock::from_time_t(std::mktime(&tm));
    TxBufferArray tx{};
    ASSERT_EQ(BuildClockFrame(tx, when), 18);
    EXPECT_EQ(Sent(tx, 6), (Bytes{0x00, 0xFC, 0x00, 0x00, 0x04, 0xFB}));
    EXPECT_EQ(std::string(tx.begin() + 6, tx.begin() + 18), "260307090503");
}

TEST(FramesTest, HexAndPcCodeBlock) {
    EXPECT_EQ(ByteToHex(0x0A), "0A");
    EXPECT_EQ(ByteToHex(0xE9), "E9");
    TxBufferArray tx;
    tx.fill(0x77);
    BuildPcCodeFrame(tx, "AB");
    EXPECT_EQ(tx[0], uint8_t('A' + 'B'));
    EXPECT_EQ(tx[1], 0xF2);
    EXPECT_EQ(tx[6], 'A');
    EXPECT_EQ(tx[8], 0);
    EXPECT_EQ(tx[261], 0);
    EXPECT_EQ(tx[262], 0x77);  // bytes after the frame are never touched
}

// The link's send path with a recording transport.
struct SendFixture : ::testing::Test {
    Configurator form{"\\software\\GSM\\test"};
    ConfigImage image;
    RecordingView view;
    DeviceLink link{form, image, view};
    std::vector<Bytes> sent;
    void SetUp() override {
        link.Transport = [this](const uint8_t* p, int n) { sent.emplace_back(p, p + n); };
    }
};

TEST_F(SendFixture, SendRequestSendsOnlyTheCountAndKeepsStaleBytes) {
    BuildFilledBlockFrame(link.TxBuffer, cmd::PageWrite, 0, 0x10, 0x42);
    link.SendRequest(262);
    BuildText(link.TxBuffer, "AT\r");
    link.SendRequest(3);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1], (Bytes{'A', 'T', '\r'}));
    EXPECT_EQ(link.TxBuffer[3], 0x10);  // the old frame's D byte is still there
    EXPECT_EQ(link.TxBuffer[100], 0x42);
}

TEST_F(SendFixture, InternetModeSendsHexText) {
    form.ConnectionType = 2;
    std::string hex;
    link.OnRelaySend = [&](const std::string& h) { hex = h; };
    link.SendRequest(BuildFrame(link.TxBuffer, 0x02, 0x04, 0x10, 0x01));
    EXPECT_EQ(hex, "02041001E916");
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(link.RelayPollCountdown, 50);
}

TEST_F(SendFixture, ByteWriteSkipRule) {
    struct Case {
        int index;
        bool reseller;
        bool skipped;
    } cases[] = {{74, false, false}, {75, false, true},  {76, false, false}, {253, false, false}, {254, false, true},
                 {255, false, true}, {383, false, false}, {384, false, true}, {399, false, true}, {400, false, false},
                 {384, true, false}, {399, true, false}, {75, true, true},   {255, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(ByteWriteSkipped(c.index, c.reseller), c.skipped);
        sent.clear();
        link.ResellerFlag = c.reseller;
        link.TransferIndex = c.index;
        link.ByteAddress = c.index;
        link.BytesLeft = 30;
        for (int i = 0; i < 20; ++i) image[size_t(c.index + i)] = uint8_t(0x50 + i);
        link.RequestByteWrite();
        ASSERT_EQ(sent.size(), 1u);
        // A skipped byte moves all three counters on; the next written byte goes out.
        int expect = c.index;
        while (ByteWriteSkipped(expect, c.reseller)) ++expect;
        EXPECT_EQ(link.TransferIndex, expect);
        EXPECT_EQ(link.ByteAddress, expect);
        EXPECT_EQ(link.BytesLeft, 30 - (expect - c.index));
        const Bytes& f = sent[0];
        EXPECT_EQ(f[0], expect >> 8);
        EXPECT_EQ(f[1], 0x01);
        EXPECT_EQ(f[2], expect & 0xFF);
        EXPECT_EQ(f[3], image[size_t(expect)]);
    }
    // A run of skipped bytes (384..399 without the reseller flag) is passed over at once.
    sent.clear();
    link.ResellerFlag = false;
    link.TransferIndex = link.ByteAddress = 384;
    link.BytesLeft = 100;
    link.RequestByteWrite();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][2], 400 & 0xFF);
    EXPECT_EQ(link.BytesLeft, 84);
}

TEST_F(SendFixture, ByteReadUsesStatusCommandWhileStatusWindowIsOpen) {
    link.ByteAddress = 0x0205;
    link.RequestByteRead();
    link.StatusReadFlag = true;
    link.RequestByteRead();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(Bytes(sent[0].begin(), sent[0].begin() + 4), (Bytes{0x02, 0x00, 0x05, 0x00}));
    EXPECT_EQ(Bytes(sent[1].begin(), sent[1].begin() + 4), (Bytes{0x02, 0x02, 0x05, 0x00}));
}

}  // namespace
}  // namespace morvane

namespace morvane {
namespace {

// The request each state sends, as built by the sequencer.
TEST_F(SendFixture, SequencerRequestsPerState) {
    form.ConnectionType = 0;
    form.DeviceVersion = 93;
    link.LinkOpen = true;
    image[0x340000 + 2 * 256] = 0x05;
    std::fill_n(image.Data() + 0x354000, 256, 0);  // over the BUS channel defaults
    image[0x350000 + 64 * 256] = 0x07;
    image[3 * 256] = 0x11;
    image[0x3610 * 256] = 0x13;
    image[40] = 0x66;
    struct Case {
        int state;
        int transferIndex;
        Bytes head;      // the first bytes sent
        size_t size;     // bytes sent
        int wait;        // SequencerWait after the call
        int nextState;   // TxCel after the call
    } cases[] = {
        {10, 0, {0x02, 0x04, 0x10, 0x01, 0xE9, 0x16}, 6, 50, 0},
        {20, 40, {0x00, 0xFD, 0x00, 0x66}, 6, 50, 20},
        {21, 0, {'A', 'T', '\r'}, 3, 50, 21},
        {80, 0, {0x00, 0xFB, 0x01, 0x00}, 6, 50, 80},
        {81, 0, {0x00, 0xFB, 0x00, 0x00}, 6, 50, 81},
        {99, 0, {0x00, 0x00, 0xFE, 0x00, 0x02, 0xFD}, 6, 50, 99},
        {140, 0, {0x00, 0xF4, 0x0A, 0x00}, 6, 150, 140},
        {180, 0, {0x00, 0xEF, 0xFA, 0x00}, 6, 50, 181},
        {181, 0, {0x00, 0x00, 0xFE, 0x00}, 6, 50, 181},
        {200, 0, {0x00, 0xFF, 0xAA, 0x00, 0x57, 0xA8}, 6, 50, 0},
        {202, 0, {0x00, 0xEC, 0xFF, 0x00}, 6, 50, 0},
        {210, 0, {0x00, 0xFC, 0x00, 0x00}, 18, 20, 210},
        {10001, 0, {0x00, 0xF1, 0x39, 0x30}, 262, 50, 0},
        {100000, 0, {0x00, 0xF6, 0x30, 0x00}, 262, 50, 0},
        {102, 2, {0x05, 0xF6, 0x34, 0x02}, 262, 50, 102},
        {103, 7, {0x00, 0x40, 0x07, 0x00}, 6, 10, 103},
        {104, 64, {0x07, 0xF6, 0x35, 0x40}, 262, 50, 104},
        {110, 48, {0x00, 0xF7, 0x30, 0x00}, 6, 50, 110},
        {111, 3, {0x11, 0xF6, 0x00, 0x30}, 262, 50, 111},
        {112, 0x3401, {0x00, 0xF7, 0x01, 0x34}, 6, 50, 112},
        {114, 0x3540, {0x00, 0xF7, 0x40, 0x35}, 6, 50, 114},
        {115, 0x3610, {0x00, 0xF7, 0x10, 0x36}, 6, 50, 115},
        {116, 0x3610, {0x13, 0xF6, 0x36, 0x10}, 262, 50, 116},
        {120, 0, {0x00, 0xF7, 0x60, 0x00}, 6, 50, 120},
        {499, 0, {0x55, 0xF5, 0x00, 0x00, 0xB6, 0x49}, 6, 5, 500},
        {500, 0, {0x00, 0x08, 0x04, 0x00}, 6, 10, 501},
        {510, 0, {0x00, 0xF7, 0xFF, 0x30}, 6, 50, 510},
        {600, 0, {0x00, 0x00, 0x5A, 0x00}, 6, 50, 600},
        {601, 0, {0x00, 0x00, 0x5B, 0x00}, 6, 50, 601},
        {602, 9, {0x00, 0x40, 0x00, 0x09}, 6, 10, 602},
        {1110, 0, {0x00, 0xF6, 0x10, 0x00}, 262, 50, 1110},
        {1111, 0, {0x00, 0xF6, 0x30, 0x00}, 262, 50, 1111},
        {1112, 0, {0x00, 0xF6, 0x35, 0x50}, 262, 50, 1112},
    };
    link.Rs232Number = 0x3039;
    link.ChartIndex = 255;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        sent.clear();
        link.Port().SetBaudRate(TBaudRate::cbr9600);
        link.TxCel = c.state;
        link.TransferIndex = c.transferIndex;
        link.RxCount = 3;
        link.SequencerStep();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].size(), c.size);
        EXPECT_EQ(Bytes(sent[0].begin(), sent[0].begin() + long(c.head.size())), c.head);
        if (c.size == 6) {
            EXPECT_TRUE(FrameValid(sent[0].data()));
        }
        EXPECT_EQ(link.SequencerWait, c.wait);
        EXPECT_EQ(link.TxCel, c.nextState);
        EXPECT_EQ(link.RxCount, 0);
    }
}

TEST_F(SendFixture, SequencerEntryRules) {
    link.TxCel = 110;
    link.SequencerWait = 7;
    link.SequencerStep();  // link closed: nothing sent, the wait is still set
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(link.SequencerWait, 50);
    EXPECT_EQ(form.Controls()[linkctl::StateLabel].text, "TxCel: 110");
    link.Port().SetBaudRate(TBaudRate::cbr256000);
    link.SequencerStep();
    EXPECT_EQ(link.SequencerWait, 3);
    form.DemoMode = true;
    link.LinkOpen = true;
    link.SequencerStep();
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(link.TxCel, 0);
}

TEST_F(SendFixture, SpeedSwitchOnlyOnUsbWithNewFirmware) {
    struct Case {
        int connection;
        int version;
        bool switched;
    } cases[] = {{0, 88, true}, {0, 87, false}, {1, 95, false}};
    link.LinkOpen = true;
    for (const Case& c : cases) {
        sent.clear();
        form.ConnectionType = c.connection;
        form.DeviceVersion = c.version;
        link.Port().SetBaudRate(TBaudRate::cbr256000);
        link.TxCel = 499;
        link.SequencerStep();
        EXPECT_EQ(link.Port().BaudRate(), TBaudRate::cbr9600);
        EXPECT_EQ(sent.size(), c.switched ? 1u : 0u);
        EXPECT_EQ(link.TxCel, 500);
        link.SequencerStep();  // 500 goes on as 501 and reads log page 4
        EXPECT_EQ(link.Port().BaudRate(), c.switched ? TBaudRate::cbr256000 : TBaudRate::cbr9600);
        EXPECT_EQ(link.SequencerWait, c.switched ? 10 : 50);
    }
}

}  // namespace
}  // namespace morvane
