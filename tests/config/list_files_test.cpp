#include "config/list_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace morvane {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

TEST(PhonebookFileTest, CsvWriteAndRead) {
    TempDir dir;
    PhonebookGrid grid;
    grid.rows.resize(3);
    grid.rows[1] = {"1", "+36301234567", "Kovács Ödön"};
    grid.rows[2] = {"2", "", ""};
    const std::string path = dir.File("book.csv");
    ASSERT_TRUE(SavePhonebook(path, ListFormat::Csv, grid).ok);
    EXPECT_EQ(ReadFile(path), "+36301234567;Kov\xE1" "cs \xD6" "d\xF6n\r\n;\r\n");

    PhonebookGrid loaded;
    ASSERT_TRUE(LoadPhonebook(path, ListFormat::Csv, loaded).ok);
    ASSERT_EQ(loaded.RowCount(), 3);
    EXPECT_EQ(loaded.rows[1], (PhonebookRow{"", "+36301234567", "Kovács Ödön"}));
    EXPECT_EQ(loaded.rows[2], (PhonebookRow{"", "", ""}));

    // LF endings, UTF-8 text, lines without ";" (the name starts at
    // character 102), and the first empty line ends the list.
    const std::string longLine = std::string(100, '1') + "XName;x";
    WriteFile(path, "+36301234567\nÉva;Név;más\n" + longLine + "\n\n+3611;after\n");
    ASSERT_TRUE(LoadPhonebook(path, ListFormat::Csv, loaded).ok);
    ASSERT_EQ(loaded.RowCount(), 4);
    EXPECT_EQ(loaded.rows[1], (PhonebookRow{"", "+36301234567", ""}));
    EXPECT_EQ(loaded.rows[2], (PhonebookRow{"", "Éva", "Név;más"}));
    EXPECT_EQ(loaded.rows[3], (PhonebookRow{"", std::string(100, '1'), "Name;x"}));

    // At most 250 lines.
    WriteFile(path, Repeat("1;a\r\n", 300));
    ASSERT_TRUE(LoadPhonebook(path, ListFormat::Csv, loaded).ok);
    EXPECT_EQ(loaded.RowCount(), 251);
}

TEST(PhonebookFileTest, SimWriteAndRead) {
    TempDir dir;
    PhonebookGrid grid;
    grid.rows.resize(3);
    grid.rows[1] = {"", "+3611", "Anna"};
    grid.rows[2] = {"", "06202222222", "Béla"};
    const std::string path = dir.File("book.sim");
    ASSERT_TRUE(SavePhonebook(path, ListFormat::Sim, grid).ok);
    EXPECT_EQ(ReadFile(path), "3\r\n+3611\r\nAnna\r\n06202222222\r\nB\xE9la\r\n" + Repeat("\r\n", 2 * 248));

    PhonebookGrid loaded;
    loaded.rows[5].number = "old";
    ASSERT_TRUE(LoadPhonebook(path, ListFormat::Sim, loaded).ok);
    ASSERT_EQ(loaded.RowCount(), 3);
    EXPECT_EQ(loaded.rows[1], grid.rows[1]);
    EXPECT_EQ(loaded.rows[2], grid.rows[2]);

    // A first line that is not a number stops the load before any change.
    WriteFile(path, "x3\r\n+3611\r\nAnna\r\n");
    FileResult bad = LoadPhonebook(path, ListFormat::Sim, loaded);
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.error, path + ": 'x3' is not a valid number");
    EXPECT_EQ(loaded.RowCount(), 3);
}

// A grid and image with rows 1 (full record), 2 (empty) and 3 (number only).
struct NumberListFixture {
    NumberListGrid grid;
    std::unique_ptr<ConfigImage> image = std::make_unique<ConfigImage>();
    NumberListFixture() {
        grid.rows.resize(4);
        grid.rows[1] = {"+36301234567", "Kapu Ádám"};
        grid.rows[3] = {"0611", ""};
        (*image)[NumberListRowOffset(1) + 14] = 0x41;  // OUT1, DTMF
        (*image)[NumberListRowOffset(1) + 15] = 0x0E;  // zone 2, IN4, IN3
        (*image)[NumberListRowOffset(2) + 14] = 0x7F;  // ignored: no number
    }
};

TEST(NumberListFileTest, CsvWrite) {
    TempDir dir;
    NumberListFixture f;
    const std::string path = dir.File("list.csv");
    ASSERT_TRUE(SaveNumberList(path, ListFormat::Csv, f.grid, *f.image).ok);
    EXPECT_EQ(ReadFile(path), std::string(NumberListCsvHeader) +
                                  "\r\n+36301234567;1;0;0;0;0;0;1;1;1;2;Kapu \xC1" "d\xE1m;\r\n"
                                  "\r\n0611;0;0;0;0;0;0;0;0;0;0;;\r\n");
}

TEST(NumberListFileTest, CsvRead) {
    TempDir dir;
    const std::string path = dir.File("list.csv");
    auto image = std::make_unique<ConfigImage>();
    (*image)[NumberListRowOffset(3) + 14] = 0x55;
    (*image)[NumberListRowOffset(1000) + 15] = 0x55;
    WriteFile(path, std::string(NumberListCsvHeader) +
                        "\r\n"
                        "3630123456;1;0;0;0;0;0;0;0;1;2;Kapu Ádám;;\r\n"
                        "+36-30-1234567;0;1;0;0;0;0;0;1;0;3;;\n"
                        "+3630123456\r\n"
                        "+36301111111;1;1;1;1;1;1;1\r\n"
                        "+36302222222;11;x;1x;;;;;;;0;" +
                        std::string(120, 'N') + "\r\n");
    NumberListGrid grid;
    grid.columnCount = 3;
    NumberListLoad load = LoadNumberList(path, ListFormat::Csv, grid, *image);
    // Line 5 has no zone field: the load stops there, the rows before it stay.
    EXPECT_FALSE(load.ok);
    EXPECT_EQ(load.error, path + ": '' is not a valid number (time zone 0..3)");
    ASSERT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.rows[1], (NumberListRow{"3630123456", "Kapu Ádám"}));
    EXPECT_EQ(grid.rows[2], (NumberListRow{"+36-30-1234567", ""}));
    EXPECT_EQ(grid.rows[3], (NumberListRow{"", ""}));
    EXPECT_EQ(grid.columnCount, 3);
    EXPECT_EQ((*image)[NumberListRowOffset(1) + 14], 0x01);
    EXPECT_EQ((*image)[NumberListRowOffset(1) + 15], 0x0A);
    EXPECT_EQ((*image)[NumberListRowOffset(2) + 14], 0x02);
    EXPECT_EQ((*image)[NumberListRowOffset(2) + 15], 0x07);
    EXPECT_EQ((*image)[NumberListRowOffset(3) + 14], 0x00);  // a line of 12 characters is an empty row

    // Without the broken line: 1000 rows, the flag and the field lengths.
    WriteFile(path, std::string(NumberListCsvHeader) +
                        "\n+36-30-1234567;0;1;0;0;0;0;0;1;0;3;;\n"
                        "+36302222222;11;x;1x;;;;;;;0;" + std::string(120, 'N') + "\n");
    load = LoadNumberList(path, ListFormat::Csv, grid, *image);
    ASSERT_TRUE(load.ok) << load.error;
    EXPECT_TRUE(load.importError);
    ASSERT_EQ(grid.RowCount(), 1001);
    EXPECT_EQ(grid.columnCount, 3);
    EXPECT_EQ(grid.currentRow, 1);
    EXPECT_EQ(grid.rows[2], (NumberListRow{"+36302222222", std::string(101, 'N')}));
    EXPECT_EQ((*image)[NumberListRowOffset(2) + 14], 0x05);
    EXPECT_EQ((*image)[NumberListRowOffset(2) + 15], 0x00);
    EXPECT_EQ((*image)[NumberListRowOffset(1000) + 15], 0x00);  // the end of the file reads as empty lines

    WriteFile(path, std::string(NumberListCsvHeader) + "\n+36301234567;1;0;0;0;0;0;0;0;0;0;;\n");
    load = LoadNumberList(path, ListFormat::Csv, grid, *image);
    ASSERT_TRUE(load.ok);
    EXPECT_FALSE(load.importError);
    EXPECT_EQ(grid.columnCount, 2);  // no names this time
}

TEST(NumberListFileTest, CsvRoundTrip) {
    TempDir dir;
    NumberListFixture f;
    const std::string path = dir.File("list.csv");
    ASSERT_TRUE(SaveNumberList(path, ListFormat::Csv, f.grid, *f.image).ok);
    NumberListGrid grid;
    auto image = std::make_unique<ConfigImage>();
    NumberListLoad load = LoadNumberList(path, ListFormat::Csv, grid, *image);
    ASSERT_TRUE(load.ok) << load.error;
    EXPECT_FALSE(load.importError);
    EXPECT_EQ(grid.rows[1], f.grid.rows[1]);
    EXPECT_EQ(grid.rows[3], f.grid.rows[3]);
    for (int r = 1; r <= 3; ++r) {
        const uint32_t at = NumberListRowOffset(r) + 14;
        const bool used = !f.grid.rows[r].number.empty();
        EXPECT_EQ((*image)[at], used ? (*f.image)[at] : 0) << r;
        EXPECT_EQ((*image)[at + 1], used ? (*f.image)[at + 1] : 0) << r;
    }
}

TEST(NumberListFileTest, SimFiles) {
    TempDir dir;
    NumberListFixture f;
    const std::string path = dir.File("list.sim");
    ASSERT_TRUE(SaveNumberList(path, ListFormat::Sim, f.grid, *f.image).ok);
    EXPECT_EQ(ReadFile(path), "4\r\n+36301234567\r\nKapu \xC1" "d\xE1m\r\n\r\n\r\n0611\r\n\r\n");

    // The saved file reads back row for row; names and the image are not touched.
    NumberListGrid grid;
    auto image = std::make_unique<ConfigImage>();
    grid.rows[1].name = "kept";
    NumberListLoad load = LoadNumberList(path, ListFormat::Sim, grid, *image);
    ASSERT_TRUE(load.ok) << load.error;
    ASSERT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.rows[1], (NumberListRow{"+36301234567", "kept"}));
    EXPECT_EQ(grid.rows[2].number, "");
    EXPECT_EQ(grid.rows[3].number, "0611");
    EXPECT_EQ((*image)[NumberListRowOffset(1) + 14], 0);

    // A phonebook ".sim" file loads into the number list as well.
    PhonebookGrid book;
    book.rows.resize(3);
    book.rows[1] = {"", "+3611", "Anna"};
    book.rows[2] = {"", "+3622", "Béla"};
    ASSERT_TRUE(SavePhonebook(dir.File("book.sim"), ListFormat::Sim, book).ok);
    ASSERT_TRUE(LoadNumberList(dir.File("book.sim"), ListFormat::Sim, grid, *image).ok);
    ASSERT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.rows[2].number, "+3622");

    WriteFile(path, "many\r\n");
    load = LoadNumberList(path, ListFormat::Sim, grid, *image);
    EXPECT_FALSE(load.ok);
    EXPECT_EQ(grid.RowCount(), 3);
}

TEST(ListFileTest, UnreadableAndUnwritable) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("folder.csv"));
    WriteFile(dir.File("plain"), "x");
    auto image = std::make_unique<ConfigImage>();
    for (const std::string& path : {dir.File("folder.csv"), dir.File("plain/list.csv")}) {
        SCOPED_TRACE(path);
        PhonebookGrid book;
        FileResult r = LoadPhonebook(path, ListFormat::Csv, book);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error.rfind(path + ": ", 0), 0u);
        EXPECT_EQ(book.RowCount(), PhonebookGrid::kDesignRows);
        NumberListGrid grid;
        NumberListLoad load = LoadNumberList(path, ListFormat::Csv, grid, *image);
        EXPECT_FALSE(load.ok);
        EXPECT_FALSE(load.error.empty());
        EXPECT_FALSE(SavePhonebook(path, ListFormat::Sim, book).ok);
        EXPECT_FALSE(SaveNumberList(path, ListFormat::Csv, grid, *image).ok);
    }
}

}  // namespace
}  // namespace morvane
