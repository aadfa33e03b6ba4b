#include "devsim/devsim.h"

#include <gtest/gtest.h>

#include <string>

namespace morvane::devsim {
namespace {

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }
std::string Str(const Bytes& b) { return std::string(b.begin(), b.end()); }

Bytes Join(const Bytes& a, const Bytes& b) {
    Bytes out = a;
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

Bytes PageRead(uint16_t page) { return Frame(0, 0xF7, page & 0xFF, page >> 8); }

TEST(DeviceModelFrames, CheckPairMatchesTheProtocolExamples) {
    EXPECT_EQ(Frame(0x02, 0x04, 0x10, 0x01), (Bytes{0x02, 0x04, 0x10, 0x01, 0xE9, 0x16}));
    EXPECT_EQ(Frame(0x00, 0x00, 0xFE, 0x00), (Bytes{0x00, 0x00, 0xFE, 0x00, 0x02, 0xFD}));
    EXPECT_EQ(Frame(0x55, 0xF5, 0x00, 0x00), (Bytes{0x55, 0xF5, 0x00, 0x00, 0xB6, 0x49}));
    EXPECT_EQ(Frame(0x00, 0x00, 0x00, 0x00), (Bytes{0x00, 0x00, 0x00, 0x00, 0x00, 0xFF}));
}

TEST(DeviceModelIdentity, ProbeAnswersWithTheTypeLetter) {
    const Bytes probe{0x00, 0x00, 0xFF, 0x00, 0x01, 0xFE};
    for (int letter : {int('H'), int('N'), int('Q'), int('d'), int('>'), 200}) {
        SCOPED_TRACE(letter);
        Options o;
        o.typeCode = letter;
        DeviceModel m(o);
        Bytes reply = m.Feed(probe);
        ASSERT_EQ(reply.size(), 6u);
        EXPECT_TRUE(FrameValid(reply.data()));
        EXPECT_EQ(reply[3], letter);
        EXPECT_EQ(reply[0], 0xAB);
    }
}

TEST(DeviceModelIdentity, VersionReadAnswersAsTheConfiguratorExpects) {
    for (int version : {93, 72, 5}) {
        Options o;
        o.version = version;
        DeviceModel m(o);
        EXPECT_EQ(m.Feed(Frame(0x00, 0x00, 0xFE, 0x00)), Frame(0xAB, 0x00, 0xFE, uint8_t(version)));
    }
}

TEST(DeviceModelIdentity, ResynchronisesOnNoiseAndIgnoresBadCheckPairs) {
    DeviceModel m;
    Bytes bad = Frame(0x00, 0x00, 0xFE, 0x00);
    bad[5] ^= 1;
    EXPECT_TRUE(m.Feed(bad).empty());
    // Noise, a frame with a wrong check pair, then a good probe split in two.
    Bytes input = Join(Bytes{0x13, 0xAB, 0x00}, Join(bad, Frame(0x00, 0x00, 0xFF, 0x00)));
    Bytes first(input.begin(), input.begin() + 7), rest(input.begin() + 7, input.end());
    Bytes reply = m.Feed(first);
    EXPECT_TRUE(reply.empty());
    reply = m.Feed(rest);
    EXPECT_EQ(reply, Frame(0xAB, 0x00, 0xFF, 'H'));
    EXPECT_FALSE(m.Pending());
}

TEST(DeviceModelMemory, PageReadCarriesTheDataAndTheirSum) {
    DeviceModel m;
    Bytes data(256);
    for (int i = 0; i < 256; ++i) data[i] = uint8_t(i * 3 + 1);
    m.WriteRange(0x300, data);       // configuration page 3: page number 0x30
    m.WriteRange(0x354200, data);    // bus channel 3: page 0x3542
    for (uint16_t page : {uint16_t(0x30), uint16_t(0x3542)}) {
        SCOPED_TRACE(page);
        Bytes reply = m.Feed(PageRead(page));
        ASSERT_EQ(reply.size(), 257u);
        EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 256), data);
        EXPECT_EQ(reply[256], Sum(data.data(), 256));
    }
}

TEST(DeviceModelMemory, PageWriteIsAcknowledgedOnlyWhenCheckPairAndSumAreRight) {
    Bytes data(256, 0x5A);
    data[0] = 0x01;
    const Bytes good = BlockFrame(0xF6, 0x35, 0x01, data);  // page 0x3501
    Bytes badSum = good;
    badSum[0] ^= 0x10;
    badSum[5] = CheckByte(badSum[0], badSum[1], badSum[2], badSum[3]);
    badSum[4] = uint8_t(255 - badSum[5]);
    Bytes badCheck = good;
    badCheck[4] ^= 0x01;
    Bytes badData = good;
    badData[100] ^= 0xFF;
    struct Case {
        const char* name;
        Bytes frame;
        bool acked;
    } cases[] = {{"good", good, true}, {"wrong sum in header", badSum, false},
                 {"wrong check pair", badCheck, false}, {"damaged data", badData, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeviceModel m;
        Bytes reply = m.Feed(c.frame);
        if (c.acked) {
            EXPECT_EQ(reply, Bytes{good[0]});
            EXPECT_EQ(m.ReadRange(0x350100, 256), data);
        } else {
            EXPECT_TRUE(reply.empty());
            EXPECT_EQ(m.ReadRange(0x350100, 256), Bytes(256, 0xFF));
        }
        // The device is still in step afterwards.
        EXPECT_EQ(m.Feed(Frame(0, 0, 0xFF, 0)).size(), 6u);
    }
}

TEST(DeviceModelMemory, ConfigurationPageWriteLandsInSixteenByteUnitsAndKeepsIdentity) {
    Options o;
    o.typeCode = 'J';
    o.version = 85;
    DeviceModel m(o);
    Bytes data(256, 0x00);
    EXPECT_EQ(m.Feed(BlockFrame(0xF6, 0x00, 0x00, data)).size(), 1u);  // page 0
    EXPECT_EQ(m.Feed(BlockFrame(0xF6, 0x00, 0x30, Bytes(256, 0x11))).size(), 1u);  // page number 0x30
    EXPECT_EQ(m.Read(0x300), 0x11);
    EXPECT_EQ(m.Read(0x3000), 0xFF);
    EXPECT_EQ(m.Read(0x00FE), 85);
    EXPECT_EQ(m.Read(0x00FF), 'J');
}

TEST(DeviceModelMemory, ByteWriteIsEchoedForVerification) {
    DeviceModel m;
    EXPECT_EQ(m.Feed(Frame(0x01, 0x01, 0x2C, 0x42)), Frame(0xAB, 0x01, 0x2C, 0x42));
    EXPECT_EQ(m.Read(0x012C), 0x42);
    EXPECT_EQ(m.Feed(Frame(0x01, 0x00, 0x2C, 0x00)), Frame(0xAB, 0x01, 0x2C, 0x42));  // read back
    // The firmware number is not writable: the echo shows the stored value.
    EXPECT_EQ(m.Feed(Frame(0x00, 0x01, 0xFE, 0x10)), Frame(0xAB, 0x00, 0xFE, 93));
}

TEST(DeviceModelRequests, ClockFrameIsAcknowledgedAndRecorded) {
    DeviceModel m;
    Bytes frame = Join(Frame(0x00, 0xFC, 0x00, 0x00), Text("241203093005"));
    EXPECT_EQ(m.Feed(frame), (Bytes{0xAB, 0xAA, 0x00, 0x00, 0xAB, 0x54}));
    EXPECT_EQ(m.ClockText(), "241203093005");
    ASSERT_FALSE(m.RequestLog().empty());
    EXPECT_EQ(m.RequestLog().back().name, "clock");
}

TEST(DeviceModelRequests, RecordLogAndBusReplies) {
    Options o;
    o.typeCode = 'd';
    DeviceModel m(o);
    Bytes rec(32);
    for (int i = 0; i < 32; ++i) rec[i] = uint8_t(200 + i);
    m.SetRecord(9, rec);
    Bytes reply = m.Feed(Frame(0x00, 0x40, 9, 0));
    ASSERT_EQ(reply.size(), 39u);
    EXPECT_EQ(reply[2], 9);
    EXPECT_EQ(Bytes(reply.begin() + 6, reply.begin() + 38), rec);
    EXPECT_EQ(reply[38], Sum(rec.data(), 32));

    // Log block for row 4: records 3, 2, 1, 0 from the start of the block.
    Bytes log = m.Feed(Frame(0x00, 0x08, 4, 0));
    ASSERT_EQ(log.size(), 256u);
    EXPECT_EQ(log[0], 73);      // record 3
    EXPECT_EQ(log[192], 66);    // record 0, shown first
    EXPECT_EQ(Bytes(log.begin() + 194, log.begin() + 200), Text("241203"));
    // The log erase page empties the log.
    EXPECT_EQ(m.Feed(BlockFrame(0xF6, 0x10, 0x00, Bytes(256, 0xFF))).size(), 1u);
    EXPECT_EQ(m.Feed(Frame(0x00, 0x08, 4, 0)), Bytes(256, 0xFF));

    Bytes bus = m.Feed(Frame(0x00, 0xF4, 0x0A, 0x00));
    ASSERT_EQ(bus.size(), 257u);
    EXPECT_EQ(bus[0], 253);
    EXPECT_EQ(bus[16], 254);
    EXPECT_EQ(bus[32], 255);
    EXPECT_EQ(bus[256], Sum(bus.data(), 256));
}

TEST(DeviceModelRequests, SecurityLockUntilTheRightCodeArrives) {
    Options o;
    o.pcCode = "4321";
    DeviceModel m(o);
    const Bytes notice = Frame(0xAB, 0xFF, 0xFF, 0xFF);
    EXPECT_EQ(m.Feed(PageRead(0)), notice);
    EXPECT_EQ(m.Feed(Frame(0, 0xFD, 0, 0)), notice);
    EXPECT_FALSE(m.ModemMode());
    // The launcher's probe and the version read still identify the device.
    EXPECT_EQ(m.Feed(Frame(0, 0, 0xFF, 0)), Frame(0xAB, 0, 0xFF, 'H'));
    EXPECT_TRUE(m.Feed(BlockFrame(0xF2, 0, 0, Text("1234"))).empty());
    EXPECT_TRUE(m.Locked());
    EXPECT_EQ(m.Feed(PageRead(0)), notice);
    EXPECT_TRUE(m.Feed(BlockFrame(0xF2, 0, 0, Text("4321"))).empty());
    EXPECT_FALSE(m.Locked());
    EXPECT_EQ(m.Feed(PageRead(0)).size(), 257u);
    // A new code written to configuration page 6 takes effect at the next restart.
    Bytes page6 = m.ReadRange(0x600, 256);
    std::fill(page6.begin() + 192, page6.end(), 0xFF);
    page6[192] = '7';
    page6[193] = '7';
    EXPECT_EQ(m.Feed(BlockFrame(0xF6, 0x00, 0x60, page6)).size(), 1u);
    EXPECT_FALSE(m.Locked());
    m.Feed(Frame(0, 0xFF, 0xAA, 0));
    EXPECT_EQ(m.Feed(PageRead(0)), notice);
    EXPECT_TRUE(m.Feed(BlockFrame(0xF2, 0, 0, Text("4321"))).empty());
    EXPECT_TRUE(m.Locked());
    EXPECT_TRUE(m.Feed(BlockFrame(0xF2, 0, 0, Text("77"))).empty());
    EXPECT_FALSE(m.Locked());
    // An erased code field leaves the device open after a restart.
    std::fill(page6.begin() + 192, page6.end(), 0xFF);
    m.Feed(BlockFrame(0xF6, 0x00, 0x60, page6));
    m.Feed(Frame(0, 0xFF, 0xAA, 0));
    EXPECT_FALSE(m.Locked());
}

TEST(DeviceModelModem, ModuleAnswersAtTheOffsetsTheConfiguratorReads) {
    DeviceModel m;
    Bytes enter = m.Feed(Frame(0, 0xFD, 0, 0x37));
    ASSERT_EQ(enter.size(), 6u);
    EXPECT_EQ(enter[0], 0xAB);
    EXPECT_TRUE(m.ModemMode());

    EXPECT_EQ(Str(m.Feed(Text("AT\r"))).substr(5, 2), "OK");
    std::string imei = Str(m.Feed(Text("AT+CGSN\r")));
    ASSERT_GE(imei.size(), 28u);
    EXPECT_EQ(imei.substr(3, 4), "CGSN");
    EXPECT_EQ(imei.substr(7, 3), "\r\r\n");
    EXPECT_EQ(imei.substr(25, 3), "\r\n\r");
    EXPECT_EQ(imei.substr(10, 15).find_first_not_of("0123456789"), std::string::npos);
    struct Info {
        const char* cmd;
        size_t minimum;
        size_t textAt;
    } infos[] = {{"AT+CGMR\r", 41, 10}, {"AT+SJDR?\r", 16, 18}, {"AT+CIMI\r", 28, 10},
                 {"AT+CSCA?\r", 41, 19}, {"AT+CBAND?\r", 26, 20}, {"AT+COPS?\r", 26, 20}};
    for (const Info& i : infos) {
        SCOPED_TRACE(i.cmd);
        std::string r = Str(m.Feed(Text(i.cmd)));
        EXPECT_GE(r.size(), i.minimum);
        EXPECT_EQ(r.substr(3, 4), std::string(i.cmd).substr(3, 4));
        EXPECT_NE(r[i.textAt], '\r');
        EXPECT_EQ(r.substr(r.size() - 4), "OK\r\n");
    }
    EXPECT_EQ(Str(m.Feed(Text("ATZ\r"))).substr(6, 2), "OK");
    EXPECT_EQ(Str(m.Feed(Text("AT+CNMP=13\r"))).substr(13, 2), "OK");

    // Leaving modem mode gives the line back to the binary protocol.
    EXPECT_TRUE(m.Feed(Frame(2, 2, 0, 0)).empty());
    EXPECT_FALSE(m.ModemMode());
    EXPECT_EQ(m.Feed(Frame(0, 0, 0xFF, 0)).size(), 6u);
}

TEST(DeviceModelFaults, InjectionIsRepeatableForASeed) {
    auto run = [](uint64_t seed) {
        Options o;
        o.seed = seed;
        o.drop = 0.2;
        o.corrupt = 0.2;
        o.stray = 0.2;
        o.fragment = true;
        DeviceModel m(o);
        std::vector<Piece> all;
        for (int i = 0; i < 60; ++i) {
            Bytes req = i % 2 ? PageRead(uint16_t(i)) : Frame(0, 0, 0xFE, 0);
            for (Piece& p : m.Receive(req.data(), req.size())) all.push_back(p);
        }
        return all;
    };
    auto flat = [](const std::vector<Piece>& v) {
        Bytes b;
        for (const Piece& p : v) b.insert(b.end(), p.bytes.begin(), p.bytes.end());
        return b;
    };
    std::vector<Piece> a = run(7), b = run(7), c = run(8);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].bytes, b[i].bytes);
        EXPECT_EQ(a[i].gapMs, b[i].gapMs);
    }
    EXPECT_NE(flat(a), flat(c));
    // The faults do happen.
    Bytes clean;
    {
        DeviceModel m;
        for (int i = 0; i < 60; ++i) {
            Bytes req = i % 2 ? PageRead(uint16_t(i)) : Frame(0, 0, 0xFE, 0);
            Bytes r = m.Feed(req);
            clean.insert(clean.end(), r.begin(), r.end());
        }
    }
    EXPECT_NE(flat(a), clean);
}

TEST(DeviceModelFaults, CorruptionBreaksTheCheckAndSilentAnswersNothing) {
    Options o;
    o.corrupt = 1;
    DeviceModel m(o);
    Bytes frame = m.Feed(Frame(0, 0, 0xFE, 0));
    ASSERT_EQ(frame.size(), 6u);
    EXPECT_FALSE(FrameValid(frame.data()));
    Bytes block = m.Feed(PageRead(0));
    ASSERT_EQ(block.size(), 257u);
    EXPECT_NE(block[256], Sum(block.data(), 256));

    Options s;
    s.silent = true;
    DeviceModel quiet(s);
    EXPECT_TRUE(quiet.Feed(Frame(0, 0, 0xFF, 0)).empty());
    EXPECT_EQ(quiet.RequestLog().size(), 1u);
}

}  // namespace
}  // namespace morvane::devsim
