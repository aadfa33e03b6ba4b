#include "config/device_charmap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morvane {
namespace {

std::vector<uint8_t> Bytes(const ConfigImage& img, uint32_t off, size_t n) {
    return std::vector<uint8_t>(img.Data() + off, img.Data() + off + n);
}

TEST(DeviceCharMapTest, CodePageCoversEveryByteOnce) {
    for (int b = 0; b < 256; ++b) {
        const std::string pc(1, char(b));
        EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(pc)), pc) << b;
    }
    EXPECT_EQ(Cp1250ToUtf8("\xE8\xF5\x8A\xFF"), "čőŠ˙");
    EXPECT_EQ(Utf8ToCp1250("a€ß漢"), "a\x80\xDF?");
    EXPECT_EQ(Utf8ToCp1250(std::string("x\xC3", 2)), "x?");  // cut sequence
    EXPECT_EQ(Utf8Length("áéx"), 3u);
}

TEST(DeviceCharMapTest, WriteAndReadTextBothTables) {
    struct Case {
        int type;
        std::string text;
        std::vector<uint8_t> stored;
    } cases[] = {
        {'H', "á", {0xE0, 0xFF}},
        {'H', "éóíöÖ", {0xE8, 0xF2, 0xEC, 0xF6, 0xD6, 0xFF}},
        {'N', "áéöäüú", {0x7F, 0x85, 0x7C, 0x7B, 0x7E, 0x06, 0xFF}},
        {'N', "ÖÄÜóí", {0xDC, 0xDB, 0xDE, 0xF3, 0xED, 0xFF}},  // Ö and Ü substituted once each
        {'H', "", {0xFF}},
    };
    for (const Case& c : cases) {
        ConfigImage img;
        const uint32_t end = WriteImageText(img, 512, c.text, 32, c.type);
        EXPECT_EQ(end, 512 + c.stored.size() - 1) << c.text;
        EXPECT_EQ(Bytes(img, 512, c.stored.size()), c.stored) << c.text;
        const std::string back = ReadImageText(img, 512, 32, c.type);
        EXPECT_EQ(back, c.text);
        // The bytes read are written back in their PC form.
        const std::string pc = Utf8ToCp1250(c.text);
        EXPECT_EQ(Bytes(img, 512, c.stored.size() - 1), std::vector<uint8_t>(pc.begin(), pc.end()));
    }
}

TEST(DeviceCharMapTest, FullFieldsEmptyFieldsAndRawReads) {
    ConfigImage img;
    const std::string full(32, 'x');
    img[512 + 32] = 'y';
    EXPECT_EQ(WriteImageText(img, 512, full + "zz", 32, 'H'), 512u + 32);
    EXPECT_EQ(img[512 + 32], 'y');  // no terminator
    EXPECT_EQ(ReadImageText(img, 512, 'H'), full);

    img[600] = 0xFF;
    EXPECT_EQ(ReadImageText(img, 600, 'H'), " ");   // 32-byte variant
    EXPECT_EQ(ReadImageText(img, 600, 16, 'H'), "");  // explicit maximum

    const std::string raw = "+36301234567\xE0";
    for (size_t i = 0; i < raw.size(); ++i) img[256 + i] = uint8_t(raw[i]);
    img[256 + raw.size()] = 0xFF;
    EXPECT_EQ(ReadImageRaw(img, 256), "+36301234567ŕ");  // no substitution, not written back
    EXPECT_EQ(img[256 + 12], 0xE0);
    for (int i = 0; i < 20; ++i) img[700 + i] = '7';
    EXPECT_EQ(ReadImageRaw(img, 700), std::string(16, '7'));
}

TEST(DeviceCharMapTest, DeviceCharacterSet) {
    const DeviceCharMap others('H'), n('N');
    EXPECT_TRUE(others.RoundTrips(0xE1));   // á
    EXPECT_FALSE(others.RoundTrips(0xE0));  // ŕ shares á's code
    EXPECT_FALSE(others.RoundTrips(0xFF));  // the terminator
    EXPECT_TRUE(n.RoundTrips(0xDC));        // Ü
    EXPECT_FALSE(n.RoundTrips('|'));        // shares ö's code
}

}  // namespace
}  // namespace morvane
