#pragma once
// List files of the SIM phonebook grid and of the incoming number list, in
// two formats each: ".csv" (fields separated by ";") and ".sim" (a row count
// on line 1, then a number line and a name line per entry).
//
// Files are read with CR LF or LF line endings and written with CR LF. Texts
// are written in code page 1250; a file that is valid UTF-8 is read as UTF-8,
// any other as code page 1250. The character limits of the fields count code
// page 1250 characters.
#include <string>
#include <vector>

#include "config/config_files.h"
#include "config/config_image.h"

namespace morvane {

// File dialog filters of the list files; the first filter is CSV, the second ".sim".
inline constexpr const char* ListSaveFilter = ".csv (Excel)|*.csv|SIM nevek|*.sim";
inline constexpr const char* ListOpenFilter = ".csv (Excel)|*.csv|SIM|*.sim";

enum class ListFormat { Csv, Sim };
// The format of a dialog's filter index (1-based as dialogs report it):
// 1 CSV, anything else ".sim".
inline ListFormat ListFormatOfFilter(int filterIndex) { return filterIndex == 1 ? ListFormat::Csv : ListFormat::Sim; }

// Row counts from ".sim" files above this are taken as this.
inline constexpr int kMaxListGridRows = 10000;

// ---------------------------------------------------------------- SIM phonebook

// Columns 0 "SIM", 1 number, 2 name; rows[0] is the header row.
struct PhonebookRow {
    std::string sim, number, name;
    bool operator==(const PhonebookRow&) const = default;
};
struct PhonebookGrid {
    static constexpr int kDesignRows = 11;
    static constexpr int kFileEntries = 250;  // entries of a ".sim" file, lines read from a CSV
    std::vector<PhonebookRow> rows = std::vector<PhonebookRow>(kDesignRows);
    int RowCount() const { return int(rows.size()); }
};

// CSV: one line per row after the header: number ";" name.
// ".sim": the row count (header included), then for entries 1..250 a number
// line and a name line (two empty lines for entries the grid does not have).
FileResult SavePhonebook(const std::string& path, ListFormat format, const PhonebookGrid& grid);
// CSV: the grid is cut to its header row; up to 250 lines are read, up to
// the first empty line; the first ";" among a line's first 100 characters
// splits number and name (without one: the first 100 characters are the
// number, the text from character 102 on the name). ".sim": the row count
// from line 1, then entries 1..250. A first line that is not a decimal
// number is an error and changes nothing. On success the caller enables the
// phonebook's "Feltöltés".
FileResult LoadPhonebook(const std::string& path, ListFormat format, PhonebookGrid& grid);

// ---------------------------------------------------------------- incoming number list

inline constexpr const char* NumberListCsvHeader =
    "Phone;OUT1;OUT2;OUT3;OUT4;Open/Close;Voice mneu;DTMF;IN4;IN3;Time Zona;Name;Remark";
inline constexpr const char* ImportNumberErrorText = "Import phone number ERROR!";

// Column 1 number, column 2 name (shown only once a load carried names);
// rows[0] is the header row; row r belongs to the number list record r.
struct NumberListRow {
    std::string number, name;
    bool operator==(const NumberListRow&) const = default;
};
struct NumberListGrid {
    static constexpr int kRecords = 1000;
    static constexpr int kSimEntries = 250;
    std::vector<NumberListRow> rows = std::vector<NumberListRow>(kRecords + 1);
    int columnCount = 2;  // 3 once a name column is shown (125 pixels wide)
    int currentRow = 1;
    int RowCount() const { return int(rows.size()); }
};

// CSV: the header line, then one line per row (rows 1..1000): empty when the
// row has no number, otherwise number, the seven control bits of byte 14,
// bits 2 and 3 of byte 15, the zone (bits 0-1 of byte 15) and the name, each
// followed by ";". The bytes come from the image's records.
// ".sim": the row count, then per row (1..1000) a number line and a name line.
FileResult SaveNumberList(const std::string& path, ListFormat format, const NumberListGrid& grid,
                          const ConfigImage& image);

struct NumberListLoad {
    bool ok = false;
    std::string error;
    bool importError = false;  // a number held other characters than "+" and digits
};
// CSV: the grid is reset to two columns and its header row; line 1 is
// skipped; lines 2..1001 give rows 1..1000 and set bytes 14 and 15 of their
// records (a line of 12 characters or fewer is an empty row with both bytes
// 0). The numbers reach the image only when the list is written to the
// device. ".sim": the row count from line 1, then rows 1..1000 take a number
// line each and skip the following (name) line; the image is not touched.
// A zone field that is not a number 0..3, or a ".sim" first line that is not
// a decimal number, stops the load with an error; the rows read so far stay.
// On success the caller shows ImportNumberErrorText when importError is set.
NumberListLoad LoadNumberList(const std::string& path, ListFormat format, NumberListGrid& grid, ConfigImage& image);

}  // namespace morvane
