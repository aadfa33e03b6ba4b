#include "config/config_image.h"

#include <gtest/gtest.h>

#include <string>

namespace morvane {
namespace {

TEST(ConfigImageTest, PageAddressing) {
    EXPECT_EQ(ConfigPageNumber(3), 0x30);
    EXPECT_EQ(PageOffset(0x30), 0x300u);  // configuration area: 16-byte units
    EXPECT_EQ(PageOffset(0x70), 0x700u);
    EXPECT_EQ(PageOffset(0x3400), 0x340000u);
    EXPECT_EQ(PageOffset(0x354F), 0x354F00u);
    EXPECT_EQ(NumberListRowOffset(1), 0x360000u);
    EXPECT_EQ(NumberListRowOffset(16), 0x3600F0u);
    EXPECT_EQ(NumberListRowOffset(17), 0x361000u);
}

TEST(ConfigImageTest, BusChannelDefaultsAndNothingElse) {
    ConfigImage image;
    ASSERT_EQ(image.Size(), 0x400000u);
    for (uint32_t c = 0; c < 16; ++c) {
        const uint32_t rec = 0x354000 + 256 * c;
        for (int i = 0; i < 8; ++i) EXPECT_EQ(image[rec + i], 22);
        EXPECT_EQ(std::string(image.Data() + rec + 32, image.Data() + rec + 43), "Chanel Name");
        EXPECT_EQ(image[rec + 43], 0xFF);
        for (uint32_t a = 1; a <= 8; ++a) {
            const uint32_t alarm = rec + 66 + 24 * (a - 1), back = rec + 78 + 24 * (a - 1);
            EXPECT_EQ(std::string(image.Data() + alarm, image.Data() + alarm + 6), "Alarm" + std::to_string(a));
            EXPECT_EQ(image[alarm + 6], 0xFF);
            EXPECT_EQ(std::string(image.Data() + back, image.Data() + back + 10), "Alarm back");  // fills its field
            EXPECT_EQ(image[alarm - 2], 0);
            EXPECT_EQ(image[back - 2], 0);
        }
    }
    size_t nonZero = 0;
    for (size_t i = 0; i < image.Size(); ++i)
        if (image[i] != 0 && (i < 0x354000 || i >= 0x355000)) ++nonZero;
    EXPECT_EQ(nonZero, 0u);
    image.Clear();
    EXPECT_EQ(image[0x354000], 0);
}

std::vector<int> Pages(int first, int end, int step = 1) {
    std::vector<int> v;
    for (int p = first; p < end; p += step) v.push_back(p);
    return v;
}

std::string Shape(const std::vector<TransferPhase>& phases) {
    std::string s;
    for (const TransferPhase& p : phases) s += std::to_string(p.txCel) + ":" + std::to_string(p.units.size()) + " ";
    return s;
}

TEST(ConfigImageTest, FullReadAndWriteOrders) {
    struct Case {
        char type;
        int version;
        bool cid;
        const char* read;
        const char* write;
    } cases[] = {
        {'H', 93, true, "110:8 114:20 ", "111:8 104:21 210:0 "},
        {'Q', 93, true, "110:8 112:128 114:20 ", "111:8 104:21 102:128 210:0 "},
        {'Q', 93, false, "110:8 114:20 ", "111:8 104:21 210:0 "},
        {'J', 85, true, "110:8 112:128 114:20 ", "111:8 102:128 210:0 "},
        {'J', 85, false, "110:8 114:20 ", "111:8 104:21 210:0 "},
        {'P', 90, true, "110:8 114:20 ", "111:8 210:0 "},
        {'G', 90, true, "110:8 ", "111:8 104:21 210:0 "},
        {'F', 80, true, "110:8 ", "111:8 210:0 "},
        {'d', 90, true, "103:256 ", "111:8 210:0 "},
        {'H', 72, true, "100:1024 ", "101:1005 210:0 "},
        {'J', 60, false, "100:1024 ", "101:1005 102:128 210:0 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.type) + std::to_string(c.version) + (c.cid ? "+cid" : ""));
        TransferOptions o{c.type, c.version, c.cid, false};
        const auto read = FullReadOrder(o);
        const auto write = FullWriteOrder(o);
        EXPECT_EQ(Shape(read), c.read);
        EXPECT_EQ(Shape(write), c.write);
    }
    TransferOptions h{'Q', 93, true, false};
    const auto read = FullReadOrder(h);
    EXPECT_EQ(read[0].units, (std::vector<int>{0x00, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70}));
    EXPECT_EQ(read[1].units, Pages(0x3400, 0x3480));
    std::vector<int> second = Pages(0x3500, 0x3504);
    for (int p : Pages(0x3540, 0x3550)) second.push_back(p);
    EXPECT_EQ(read[2].units, second);
    const auto write = FullWriteOrder(h);
    EXPECT_EQ(write[1].units.front(), 0x3500);
    EXPECT_EQ(write[1].units[4], 0x3504);  // written though never read
    EXPECT_EQ(write[1].units[5], 0x3540);
    // The reseller's byte write covers the name field.
    EXPECT_EQ(FullWriteOrder({'H', 72, true, true})[0].units.size(), 1021u);
}

}  // namespace
}  // namespace morvane
