#include "config/list_files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "app/text_io.h"
#include "config/device_charmap.h"

namespace morvane {

namespace {

bool IsUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        uint8_t b = uint8_t(s[i]);
        size_t extra = 0;
        if (b >= 0x80) {
            if ((b & 0xE0) == 0xC0) extra = 1;
            else if ((b & 0xF0) == 0xE0) extra = 2;
            else if ((b & 0xF8) == 0xF0) extra = 3;
            else return false;
        }
        if (i + extra >= s.size() && extra > 0) return false;
        for (size_t k = 1; k <= extra; ++k) {
            if ((uint8_t(s[i + k]) & 0xC0) != 0x80) return false;
        }
        i += extra + 1;
    }
    return true;
}

// The file's lines as code page 1250 text (see the header), or the error.
bool ReadListLines(const std::string& path, std::vector<std::string>& lines, std::string& error) {
    errno = 0;
    std::optional<std::string> content = ReadWholeFile(path);
    if (!content) {
        error = path + ": " + std::strerror(errno ? errno : EIO);
        return false;
    }
    lines = SplitLines(*content);
    if (IsUtf8(*content)) {
        for (std::string& l : lines) l = Utf8ToCp1250(l);
    }
    return true;
}

std::string LineAt(const std::vector<std::string>& lines, size_t i) { return i < lines.size() ? lines[i] : std::string(); }

FileResult WriteListLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) {
        out += Utf8ToCp1250(l);
        out += "\r\n";
    }
    return WriteFileAtomically(path, out);
}

// Reads ";"-separated fields of a line. A field ends at the next ";" within
// its maximum length, else after that many characters (the character after
// them is then skipped as if it were the separator).
class FieldReader {
public:
    explicit FieldReader(const std::string& line) : line_(line) {}
    std::string Next(size_t maxLength) {
        if (pos_ >= line_.size()) return {};
        size_t limit = std::min(line_.size(), pos_ + maxLength);
        size_t sep = line_.find(';', pos_);
        std::string field;
        if (sep != std::string::npos && sep < limit) {
            field = line_.substr(pos_, sep - pos_);
            pos_ = sep + 1;
        } else {
            field = line_.substr(pos_, limit - pos_);
            pos_ += maxLength + 1;
        }
        return field;
    }
    std::string Rest() const { return pos_ < line_.size() ? line_.substr(pos_) : std::string(); }

private:
    const std::string& line_;
    size_t pos_ = 0;
};

// A decimal number with optional blanks around it and an optional sign.
std::optional<long> ParseNumber(const std::string& text) {
    size_t b = text.find_first_not_of(' ');
    size_t e = text.find_last_not_of(' ');
    if (b == std::string::npos) return std::nullopt;
    std::string t = text.substr(b, e - b + 1);
    size_t i = 0;
    bool negative = false;
    if (t[0] == '+' || t[0] == '-') {
        negative = t[0] == '-';
        i = 1;
    }
    if (i >= t.size() || t.size() - i > 9) return std::nullopt;
    long v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return std::nullopt;
        v = v * 10 + (t[i] - '0');
    }
    return negative ? -v : v;
}

std::string NotANumber(const std::string& path, const std::string& text) {
    return path + ": '" + Cp1250ToUtf8(text) + "' is not a valid number";
}

// The row count on line 1 of a ".sim" file, limited to kMaxListGridRows.
std::optional<int> SimRowCount(const std::vector<std::string>& lines) {
    std::optional<long> n = ParseNumber(LineAt(lines, 0));
    if (!n || *n < 1) return std::nullopt;
    return int(std::min<long>(*n, kMaxListGridRows));
}

bool ValidNumberChars(const std::string& number) {
    return std::all_of(number.begin(), number.end(), [](char c) { return c == '+' || (c >= '0' && c <= '9'); });
}

}  // namespace

// ---------------------------------------------------------------- SIM phonebook

FileResult SavePhonebook(const std::string& path, ListFormat format, const PhonebookGrid& grid) {
    std::vector<std::string> lines;
    if (format == ListFormat::Csv) {
        for (size_t r = 1; r < grid.rows.size(); ++r) lines.push_back(grid.rows[r].number + ";" + grid.rows[r].name);
    } else {
        lines.push_back(std::to_string(grid.RowCount()));
        for (size_t e = 1; e <= PhonebookGrid::kFileEntries; ++e) {
            bool have = e < grid.rows.size();
            lines.push_back(have ? grid.rows[e].number : std::string());
            lines.push_back(have ? grid.rows[e].name : std::string());
        }
    }
    return WriteListLines(path, lines);
}

FileResult LoadPhonebook(const std::string& path, ListFormat format, PhonebookGrid& grid) {
    std::vector<std::string> lines;
    std::string error;
    if (!ReadListLines(path, lines, error)) return {false, error};
    if (format == ListFormat::Csv) {
        grid.rows.resize(1);
        for (size_t i = 0; i < lines.size() && i < PhonebookGrid::kFileEntries; ++i) {
            if (lines[i].empty()) break;
            FieldReader fields(lines[i]);
            PhonebookRow row;
            row.number = Cp1250ToUtf8(fields.Next(100));
            row.name = Cp1250ToUtf8(fields.Rest());
            grid.rows.push_back(std::move(row));
        }
        return {};
    }
    std::optional<int> count = SimRowCount(lines);
    if (!count) return {false, NotANumber(path, LineAt(lines, 0))};
    grid.rows.resize(size_t(*count));
    for (size_t e = 1; e <= PhonebookGrid::kFileEntries && e < grid.rows.size(); ++e) {
        grid.rows[e].number = Cp1250ToUtf8(LineAt(lines, 2 * e - 1));
        grid.rows[e].name = Cp1250ToUtf8(LineAt(lines, 2 * e));
    }
    return {};
}

// ---------------------------------------------------------------- incoming number list

FileResult SaveNumberList(const std::string& path, ListFormat format, const NumberListGrid& grid,
                          const ConfigImage& image) {
    const size_t rows = std::min<size_t>(grid.rows.size(), NumberListGrid::kRecords + 1);
    std::vector<std::string> lines;
    if (format == ListFormat::Csv) {
        lines.push_back(NumberListCsvHeader);
        for (size_t r = 1; r < rows; ++r) {
            const NumberListRow& row = grid.rows[r];
            if (row.number.empty()) {
                lines.emplace_back();
                continue;
            }
            const uint32_t at = NumberListRowOffset(int(r));
            const uint8_t control = image[at + 14];
            const uint8_t zone = image[at + 15];
            std::string line = row.number + ";";
            for (int bit = 0; bit < 7; ++bit) line += (control >> bit) & 1 ? "1;" : "0;";
            line += (zone >> 2) & 1 ? "1;" : "0;";
            line += (zone >> 3) & 1 ? "1;" : "0;";
            line += std::to_string(zone & 3) + ";";
            line += row.name + ";";
            lines.push_back(std::move(line));
        }
    } else {
        // Number and name line per row: the layout the ".sim" loads of both
        // lists read back.
        lines.push_back(std::to_string(grid.RowCount()));
        for (size_t r = 1; r < rows; ++r) {
            lines.push_back(grid.rows[r].number);
            lines.push_back(grid.rows[r].name);
        }
    }
    return WriteListLines(path, lines);
}

NumberListLoad LoadNumberList(const std::string& path, ListFormat format, NumberListGrid& grid, ConfigImage& image) {
    NumberListLoad load;
    std::vector<std::string> lines;
    if (!ReadListLines(path, lines, load.error)) return load;

    if (format == ListFormat::Sim) {
        std::optional<int> count = SimRowCount(lines);
        if (!count) {
            load.error = NotANumber(path, LineAt(lines, 0));
            return load;
        }
        grid.rows.resize(size_t(*count));
        for (size_t r = 1; r <= NumberListGrid::kRecords && r < grid.rows.size(); ++r) {
            grid.rows[r].number = Cp1250ToUtf8(LineAt(lines, 2 * r - 1));
        }
        load.ok = true;
        return load;
    }

    grid.columnCount = 2;
    grid.rows.assign(1, NumberListRow{});
    for (size_t i = 0; i < NumberListGrid::kRecords; ++i) {
        const std::string line = LineAt(lines, i + 1);
        const uint32_t at = NumberListRowOffset(int(i + 1));
        NumberListRow row;
        if (line.size() <= 12) {
            image[at + 14] = 0;
            image[at + 15] = 0;
            grid.rows.push_back(row);
            continue;
        }
        FieldReader fields(line);
        std::string number = fields.Next(100);
        if (!ValidNumberChars(number)) load.importError = true;
        row.number = Cp1250ToUtf8(number);
        // Seven control flags, IN4, IN3: a field counts when it starts with "1".
        uint8_t control = 0;
        bool in4 = false, in3 = false;
        for (int f = 0; f < 9; ++f) {
            std::string field = fields.Next(f == 0 ? 101 : 11);
            bool set = !field.empty() && field[0] == '1';
            if (f < 7 && set) control |= uint8_t(1u << f);
            if (f == 7) in4 = set;
            if (f == 8) in3 = set;
        }
        std::string zoneText = fields.Next(11);
        std::optional<long> zone = ParseNumber(zoneText);
        if (!zone || *zone < 0 || *zone > 3) {
            // The rows read so far stay.
            grid.currentRow = 1;
            load.error = NotANumber(path, zoneText) + " (time zone 0..3)";
            return load;
        }
        image[at + 14] = control;
        image[at + 15] = uint8_t(*zone + (in4 ? 4 : 0) + (in3 ? 8 : 0));
        std::string name = fields.Next(101);
        if (!name.empty()) {
            row.name = Cp1250ToUtf8(name);
            grid.columnCount = 3;
        }
        grid.rows.push_back(std::move(row));
    }
    grid.currentRow = 1;
    load.ok = true;
    return load;
}

}  // namespace morvane
