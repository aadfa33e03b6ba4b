// The receive side and the sequencer together, against the simulated device
// in the same process (no port): every request the link sends is answered by
// the device model and the answer is fed back.
#include <gtest/gtest.h>

#include <cstdio>
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
#include "support/test_support.h"

namespace morvane {
namespace {

using Bytes = std::vector<uint8_t>;

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
    // Feeds the device's answers back until the link is idle; runs the link
    // timer only when no answer is waiting. Returns the timer ticks used.
    int RunToIdle(int maxTicks = 20000) {
        int ticks = 0;
        while (ticks < maxTicks) {
            if (!replies.empty()) {
                Bytes r = std::move(replies.front());
                replies.pop_front();
                link.ReplyBytes(r.data(), int(r.size()));
                continue;
            }
            if (link.TxCel == 0) break;
            link.AdasTimer();
            ++ticks;
        }
        return ticks;
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

// ---------------------------------------------------------------- full transfers

// The transfer phases as seen on the wire.
std::vector<TransferPhase> Phases(const std::vector<Bytes>& sent) {
    std::vector<TransferPhase> phases;
    for (const Bytes& r : sent) {
        int state = 0, unit = 0;
        const int c = r[1];
        if (c == 0xF7) {
            unit = r[2] | r[3] << 8;
            state = unit < 0x100 ? 110 : unit < 0x3480 ? 112 : 114;
        } else if (c == 0xF6 && r.size() == 262) {
            unit = r[2] << 8 | r[3];
            state = unit < 0x100 ? 111 : unit < 0x3480 ? 102 : 104;
        } else if (c == 0x00 && r.size() == 6) {
            state = 100, unit = r[0] << 8 | r[2];
        } else if (c == 0x01) {
            state = 101, unit = r[0] << 8 | r[2];
        } else if (c == 0x40) {
            state = 103, unit = r[2];
        } else if (c == 0xFC) {
            state = 210;
        } else {
            ADD_FAILURE() << "unexpected request " << devsim::Hex(r);
            continue;
        }
        if (phases.empty() || phases.back().txCel != state) phases.push_back({state, {}});
        if (state != 210) phases.back().units.push_back(unit);
    }
    return phases;
}

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
