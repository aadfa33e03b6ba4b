#include "config/config_files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/settings_values.h"
#include "support/test_support.h"

namespace morvane {
namespace {

using test::ReadFile;
using test::TempDir;

// A pattern that differs from its neighbours in every region of the image.
uint8_t Pattern(size_t i) { return uint8_t((i * 7) ^ (i >> 8) ^ (i >> 16)); }

std::unique_ptr<ConfigImage> PatternImage() {
    auto image = std::make_unique<ConfigImage>();
    for (size_t i = 0; i < image->Size(); ++i) (*image)[i] = Pattern(i);
    return image;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::string s = ReadFile(path);
    return std::vector<uint8_t>(s.begin(), s.end());
}

const CustomerTexts kTexts = {"Ügyfél Kft.", "Fő utca 1.", "+36301234567", "", "Kovács Ő.", "2024.05.01"};

TEST(ConfigFileTest, LayoutByteForByte) {
    auto image = PatternImage();
    struct Case {
        int type;
        size_t head;
        size_t size;
    };
    for (Case c : {Case{'Q', 1024, 4065024}, Case{'d', 8192, 4072192}}) {
        SCOPED_TRACE(char(c.type));
        ASSERT_EQ(ConfigFileHeadSize(c.type), c.head);
        ASSERT_EQ(ConfigFileSize(c.type), c.size);
        std::vector<uint8_t> file = BuildConfigFile(*image, c.type, kTexts);
        ASSERT_EQ(file.size(), c.size);
        EXPECT_TRUE(std::equal(file.begin(), file.begin() + long(c.head), image->Data()));
        for (int j = 0; j < kCustomerTextCount; ++j) {
            auto record = EncodeTextRecord(kTexts[j]);
            EXPECT_TRUE(std::equal(record.begin(), record.end(), file.begin() + long(c.head + 128 * j))) << j;
        }
        EXPECT_TRUE(std::equal(file.begin() + long(c.head + 768), file.end(), image->Data() + 0x400));
        EXPECT_EQ(file.back(), Pattern(0x3E03FF));
    }
}

TEST(ConfigFileTest, TextRecords) {
    // Code page 1250, byte 0 unused, 0 bytes after the text.
    auto record = EncodeTextRecord("Ügyfél ő");
    const std::vector<uint8_t> head = {0, 0xDC, 'g', 'y', 'f', 0xE9, 'l', ' ', 0xF5, 0};
    EXPECT_TRUE(std::equal(head.begin(), head.end(), record.begin()));
    EXPECT_TRUE(std::all_of(record.begin() + 9, record.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(DecodeTextRecord(record.data()), "Ügyfél ő");

    // Longer texts keep 127 characters; a record without a 0 byte gives 127.
    std::string longText(130, 'x');
    auto full = EncodeTextRecord(longText);
    EXPECT_EQ(full[0], 0);
    EXPECT_EQ(full[127], 'x');
    EXPECT_EQ(DecodeTextRecord(full.data()), std::string(127, 'x'));
}

TEST(ConfigFileTest, SaveAndLoadRestoreTheImage) {
    TempDir dir;
    auto image = PatternImage();
    for (int type : {'Q', 'd'}) {
        SCOPED_TRACE(char(type));
        const std::string path = dir.File(std::string("conf-") + char(type) + ".dat");
        CustomerTexts texts = kTexts;
        FileResult saved = SaveConfigFile(path, *image, type, texts);
        ASSERT_TRUE(saved.ok) << saved.error;
        EXPECT_EQ(texts[3], " ");  // the empty field now shows a space
        CustomerTexts written = kTexts;
        written[3] = " ";
        EXPECT_EQ(FileBytes(path), BuildConfigFile(*image, type, written));

        auto target = std::make_unique<ConfigImage>();
        for (size_t i = 0x3E0400; i < target->Size(); ++i) (*target)[i] = 0x5A;
        ConfigFileLoad load = LoadConfigFile(path, *target, type);
        ASSERT_TRUE(load.ok) << load.error;
        EXPECT_EQ(load.texts, written);
        EXPECT_EQ(load.tailBytes, kConfigFileTailSize);
        EXPECT_TRUE(std::equal(target->Data(), target->Data() + 0x3E0400, image->Data()));
        EXPECT_TRUE(std::all_of(target->Data() + 0x3E0400, target->Data() + target->Size(),
                                [](uint8_t b) { return b == 0x5A; }));
    }
    // Nothing else is left in the folder (no temporary files).
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}

TEST(ConfigFileTest, ShortFiles) {
    TempDir dir;
    auto image = PatternImage();
    std::vector<uint8_t> full = BuildConfigFile(*image, 'Q', kTexts);
    struct Case {
        size_t length;
        bool ok;
    };
    // Head and records only; part of the last part; ending inside the records.
    for (Case c : {Case{1024 + 768, true}, Case{1024 + 768 + 100, true}, Case{1024 + 500, false}, Case{0, false}}) {
        SCOPED_TRACE(c.length);
        const std::string path = dir.File("short.dat");
        WriteBytes(path, std::vector<uint8_t>(full.begin(), full.begin() + long(c.length)));
        auto target = std::make_unique<ConfigImage>();
        for (size_t i = 0; i < target->Size(); ++i) (*target)[i] = 0xEE;
        ConfigFileLoad load = LoadConfigFile(path, *target, 'Q');
        ASSERT_EQ(load.ok, c.ok) << load.error;
        if (!c.ok) {
            // A failed load leaves the image as it was.
            EXPECT_NE(load.error.find(path + ": "), std::string::npos);
            EXPECT_TRUE(std::all_of(target->Data(), target->Data() + target->Size(), [](uint8_t b) { return b == 0xEE; }));
            continue;
        }
        const size_t tail = c.length - 1792;
        EXPECT_EQ(load.tailBytes, tail);
        EXPECT_EQ(load.texts, kTexts);
        EXPECT_TRUE(std::equal(target->Data(), target->Data() + 0x400 + tail, image->Data()));
        EXPECT_TRUE(std::all_of(target->Data() + 0x400 + tail, target->Data() + target->Size(),
                                [](uint8_t b) { return b == 0xEE; }));
    }
}

TEST(ConfigFileTest, UnreadableAndUnwritablePaths) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("folder.dat"));
    WriteBytes(dir.File("plain"), {1, 2, 3});
    struct Case {
        std::string path;
        std::string reason;
    };
    const std::vector<Case> cases = {{dir.File("folder.dat"), "Is a directory"},
                                     {dir.File("plain/below.dat"), "Not a directory"},
                                     {dir.File("missing.dat"), "No such file or directory"}};
    auto image = std::make_unique<ConfigImage>();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        ConfigFileLoad load = LoadConfigFile(c.path, *image, 'Q');
        EXPECT_FALSE(load.ok);
        EXPECT_EQ(load.error, c.path + ": " + c.reason);
    }
    CustomerTexts texts = kTexts;
    FileResult saved = SaveConfigFile(dir.File("plain/below.dat"), *image, 'Q', texts);
    EXPECT_FALSE(saved.ok);
    EXPECT_EQ(saved.error, dir.File("plain/below.dat") + ": Not a directory");
    EXPECT_EQ(texts[3], "");  // the page is not touched by a failed save
    saved = SaveConfigFile(dir.File("folder.dat"), *image, 'Q', texts);
    EXPECT_FALSE(saved.ok);
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.dat")));
}

// Limits the size of files this process may write, so a save fails half way.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST(ConfigFileTest, FailedSaveKeepsTheOldFile) {
    TempDir dir;
    const std::string path = dir.File("keep.dat");
    auto image = PatternImage();
    CustomerTexts texts = kTexts;
    ASSERT_TRUE(SaveConfigFile(path, *image, 'Q', texts).ok);
    const std::string before = ReadFile(path);

    auto other = std::make_unique<ConfigImage>();
    FileResult saved;
    {
        FileSizeLimit limit(1 << 20);
        saved = SaveConfigFile(path, *other, 'Q', texts);
    }
    EXPECT_FALSE(saved.ok);
    EXPECT_EQ(saved.error, path + ": File too large");
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(ConfigFileTest, FirmwareAfterLoad) {
    auto image = std::make_unique<ConfigImage>();
    (*image)[254] = 92;
    (*image)[252] = 255;
    EXPECT_EQ(FirmwareOfLoadedImage(*image).text, "Firmware: 9.2.0");
    (*image)[254] = 200;
    (*image)[252] = 7;
    LoadedFirmware fw = FirmwareOfLoadedImage(*image);
    EXPECT_EQ(fw.version, 200);
    EXPECT_EQ(fw.build, 7);
    EXPECT_EQ(fw.text, "Firmware: 20.0.7");
}

TEST(OwnProfileTest, TiltasGuardsTheProfile) {
    TempDir dir;
    test::ScopedEnv store("MORVANE_SETTINGS", dir.File("settings.ini"));
    auto image = PatternImage();
    OwnProfile profile(dir.Path());
    ASSERT_TRUE(profile.Save(*image).ok);
    std::string saved = ReadFile(dir.File("custom.dat"));
    ASSERT_EQ(saved.size(), 1024u);
    EXPECT_TRUE(std::equal(saved.begin(), saved.end(), image->Data(),
                           [](char a, uint8_t b) { return uint8_t(a) == b; }));

    auto target = std::make_unique<ConfigImage>();
    EXPECT_TRUE(profile.Tiltas());  // ticked at design time
    EXPECT_FALSE(profile.Activate(*target));
    EXPECT_EQ((*target)[1], 0);

    profile.SetTiltas(false);
    EXPECT_EQ(Settings::Raw(setting::Custom), "False");
    EXPECT_TRUE(profile.Activate(*target));
    EXPECT_TRUE(std::equal(target->Data(), target->Data() + 1024, image->Data()));
    EXPECT_EQ((*target)[1024], 0);

    // A stored "True" ticks the item again at activation.
    auto fresh = std::make_unique<ConfigImage>();
    Settings::SetCustomTicked(true);
    EXPECT_FALSE(profile.Activate(*fresh));
    EXPECT_TRUE(profile.Tiltas());
    EXPECT_EQ((*fresh)[1], 0);

    // A short or missing file changes nothing, silently.
    profile.SetTiltas(false);
    WriteBytes(dir.File("custom.dat"), std::vector<uint8_t>(1000, 0x11));
    EXPECT_FALSE(profile.Activate(*fresh));
    EXPECT_EQ((*fresh)[1], 0);
    std::filesystem::remove(dir.File("custom.dat"));
    EXPECT_FALSE(profile.Activate(*fresh));
}

TEST(MemoryExportTest, TextAndFile) {
    TempDir dir;
    auto image = std::make_unique<ConfigImage>();
    (*image)[256 + 1] = 0xAB;
    (*image)[0x7FF] = 0x0F;
    (*image)[0x800] = 0xFF;  // outside the configuration area
    std::string text = MemoryExportText(*image);
    ASSERT_EQ(text.size(), kMemoryExportLength);
    EXPECT_EQ(text.substr(0, 17), "dddddddd000000#00");
    EXPECT_EQ(text.substr(527, 19), "dddddddd001000#00AB");
    EXPECT_EQ(text.substr(7 * 527, 15), "dddddddd007000#");
    EXPECT_EQ(text.substr(text.size() - 2), "0F");
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);

    ASSERT_TRUE(ExportMemory(dir.Path(), *image).ok);
    EXPECT_EQ(ReadFile(dir.File("config.php")), text);
    FileResult bad = ExportMemory(dir.File("none"), *image);
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.error, dir.File("none/config.php") + ": No such file or directory");
}

}  // namespace
}  // namespace morvane
