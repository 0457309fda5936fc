// Parsing a cover's table: the header checked column by column so that the one line names what
// is unknown or missing, then each class line field by field.

#include "io/coverTable.h"

#include "io/groundSource.h"
#include "io/printableText.h"
#include "terrain/vehicle.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* COLUMNS[] = {"class", "name", "speed_kmh", "rolling"};
constexpr std::size_t COLUMN_COUNT = std::size(COLUMNS);
constexpr int DECIMAL = 10;

constexpr char BYTE_ORDER_MARK[] = "\xEF\xBB\xBF"; // a spreadsheet's UTF-8 may start with it

// Whether `text` is text at all: valid UTF-8 without a NUL byte, as no table holds one.
bool isText(const std::string& text) {
    constexpr unsigned char CONTINUATION = 0x80;
    constexpr unsigned char CONTINUATION_MASK = 0xC0;
    for (std::size_t k = 0; k < text.size();) {
        const auto lead = static_cast<unsigned char>(text[k]);
        if (lead == 0) {
            return false;
        }
        // Continuation bytes after a lead byte of 2, 3 or 4; overlong forms, surrogates and
        // code points above U+10FFFF are not UTF-8.
        const int more = lead < 0x80                   ? 0
                         : lead >= 0xC2 && lead < 0xE0 ? 1
                         : lead >= 0xE0 && lead < 0xF0 ? 2
                         : lead >= 0xF0 && lead < 0xF5 ? 3
                                                       : -1;
        if (more < 0 || text.size() - k <= static_cast<std::size_t>(more)) {
            return false;
        }
        for (int m = 1; m <= more; ++m) {
            if ((static_cast<unsigned char>(text[k + m]) & CONTINUATION_MASK) != CONTINUATION) {
                return false;
            }
        }
        const auto second = static_cast<unsigned char>(more > 0 ? text[k + 1] : 0);
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
            (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)) {
            return false;
        }
        k += 1 + more;
    }
    return true;
}

// One record of the table as CSV writes it: fields split at commas, a field in double quotes
// holding commas, line breaks and doubled quotes as a quote.
struct Record {
    std::size_t line = 0; // where it starts, from 1
    std::vector<std::string> fields;
    std::string error; // what breaks its quoting, if anything
};

// Reads the record that starts at `from` (on line `line`), moving both past it; a line break is
// "\n" or "\r\n" outside quotes.
Record nextRecord(const std::string& text, std::size_t& from, std::size_t& line) {
    Record record;
    record.line = line;
    std::string field;
    bool quotedField = false; // the field being read began with a quote
    bool closed = false;      // and its closing quote has been read
    std::size_t k = from;
    for (; k < text.size(); ++k) {
        const char c = text[k];
        if (quotedField && !closed) {
            if (c == '"' && k + 1 < text.size() && text[k + 1] == '"') {
                field += '"';
                ++k;
            } else if (c == '"') {
                closed = true;
            } else {
                line += c == '\n' ? 1 : 0;
                field += c;
            }
            continue;
        }
        if (c == ',') {
            record.fields.push_back(std::move(field));
            field.clear();
            quotedField = closed = false;
            continue;
        }
        if (c == '\n' || (c == '\r' && k + 1 < text.size() && text[k + 1] == '\n')) {
            k += c == '\r' ? 1 : 0;
            break;
        }
        if (closed) {
            record.error = "text follows the closing quote of field " +
                           std::to_string(record.fields.size() + 1);
        } else if (c == '"' && field.empty()) {
            quotedField = true;
        } else {
            field += c;
        }
    }
    if (quotedField && !closed && record.error.empty()) {
        record.error = "the quote that opens field " + std::to_string(record.fields.size() + 1) +
                       " is never closed";
    }
    record.fields.push_back(std::move(field));
    from = k + 1;
    ++line;
    return record;
}

// A record of one empty field that was not quoted: a blank line.
bool isBlank(const std::string& text, const Record& record, std::size_t from) {
    return record.fields.size() == 1 && record.fields[0].empty() && text[from] != '"';
}

std::string quoted(const std::string& text) {
    return "'" + printableExcerpt(text) + "'";
}

// What is wrong with the header, empty when it is exactly the columns.
std::string headerError(const std::vector<std::string>& fields) {
    for (const std::string& field : fields) {
        if (std::find(std::begin(COLUMNS), std::end(COLUMNS), field) == std::end(COLUMNS)) {
            return "unknown column " + quoted(field) + " (the header must be " +
                   COVER_TABLE_HEADER + ")";
        }
    }
    for (const char* column : COLUMNS) {
        if (std::find(fields.begin(), fields.end(), column) == fields.end()) {
            return std::string("missing column '") + column + "' (the header must be " +
                   COVER_TABLE_HEADER + ")";
        }
    }
    return std::equal(fields.begin(), fields.end(), std::begin(COLUMNS), std::end(COLUMNS))
               ? std::string{}
               : std::string("the header must be exactly ") + COVER_TABLE_HEADER;
}

bool parseWhole(const std::string& text, int64_t& value) {
    if (text.empty() || text.find_first_not_of("+-0123456789") != std::string::npos) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text.c_str(), &end, DECIMAL);
    if (errno != 0 || *end != '\0') {
        return false;
    }
    value = parsed;
    return true;
}

// A finite number of 0 or more, at most MAX_VEHICLE_FIGURE so that it stays a float. Returns
// what is wrong with `text` as the words after it ("is not " + `notWhat`, say), or nothing.
std::string figureError(const std::string& text, float& value, const std::string& notWhat) {
    char* end = nullptr;
    errno = 0;
    const double parsed = text.empty() ? NAN : std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(parsed >= 0.0) || (errno == ERANGE && parsed < 1.0)) {
        return "is not " + notWhat;
    }
    if (std::isinf(parsed)) { // "inf", or a number past any double
        return "must be finite";
    }
    if (parsed > MAX_VEHICLE_FIGURE) {
        char limit[32];
        std::snprintf(limit, sizeof limit, "%g", MAX_VEHICLE_FIGURE);
        return std::string("is above the limit of ") + limit;
    }
    value = static_cast<float>(parsed);
    return {};
}

// Reads one class line into `c`; returns what is wrong with it.
std::string classError(const std::vector<std::string>& fields, CoverClass& c) {
    if (fields.size() != COLUMN_COUNT) {
        return std::to_string(fields.size()) + " fields, not " + std::to_string(COLUMN_COUNT);
    }
    if (!parseWhole(fields[0], c.value)) {
        return "class " + quoted(fields[0]) + " is not an integer";
    }
    c.name = fields[1];
    std::string error = figureError(fields[2], c.speedKmh, "a speed of 0 or more km/h");
    if (!error.empty()) {
        return "speed_kmh " + quoted(fields[2]) + " " + error;
    }
    c.rolling = NAN;
    error = fields[3].empty() ? std::string{}
                              : figureError(fields[3], c.rolling, "a coefficient of 0 or more");
    if (!error.empty()) {
        return "rolling " + quoted(fields[3]) + " " + error;
    }
    return {};
}

} // namespace

std::string parseCoverTable(const std::string& text, const std::string& path,
                            std::vector<CoverClass>& classes) {
    classes.clear();
    const auto lineError = [&](std::size_t number, const std::string& what) {
        classes.clear();
        return sourceFileError(COVER_TABLE_OPTION, path,
                               "line " + std::to_string(number) + ": " + what);
    };
    if (!isText(text)) {
        return sourceFileError(COVER_TABLE_OPTION, path, "is not a text table");
    }
    std::map<int64_t, std::size_t> lineOfClass;
    bool header = false;
    std::size_t line = 1;
    const std::size_t marked =
        text.rfind(BYTE_ORDER_MARK, 0) == 0 ? std::size(BYTE_ORDER_MARK) - 1 : 0;
    for (std::size_t from = marked; from < text.size();) {
        const std::size_t first = from;
        const Record record = nextRecord(text, from, line);
        const std::size_t number = record.line;
        if (!record.error.empty()) {
            return lineError(number, record.error);
        }
        if (isBlank(text, record, first)) {
            continue;
        }
        if (!header) {
            const std::string error = headerError(record.fields);
            if (!error.empty()) {
                return lineError(number, error);
            }
            header = true;
            continue;
        }
        CoverClass c;
        const std::string error = classError(record.fields, c);
        if (!error.empty()) {
            return lineError(number, error);
        }
        const auto [seen, fresh] = lineOfClass.emplace(c.value, number);
        if (!fresh) {
            return lineError(number, "class " + std::to_string(c.value) + " repeats line " +
                                         std::to_string(seen->second));
        }
        if (classes.size() == MOST_COVER_CLASSES) {
            return lineError(number,
                             "more than " + std::to_string(MOST_COVER_CLASSES) + " classes");
        }
        classes.push_back(std::move(c));
    }
    if (!header) {
        return sourceFileError(COVER_TABLE_OPTION, path,
                               std::string("has no header (") + COVER_TABLE_HEADER + ")");
    }
    if (classes.empty()) {
        return sourceFileError(COVER_TABLE_OPTION, path, "has no class");
    }
    return {};
}

std::string readCoverTable(const std::string& path, std::vector<CoverClass>& classes) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        return sourceFileError(COVER_TABLE_OPTION, path,
                               std::string("cannot be read: ") + std::strerror(errno));
    }
    // A pipe or a device could hold the run forever, or never end.
    if (!S_ISREG(status.st_mode)) {
        return sourceFileError(COVER_TABLE_OPTION, path, "is not a regular file");
    }
    // Opened without waiting and looked at again: the name may have been given to another.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return sourceFileError(COVER_TABLE_OPTION, path,
                               std::string("cannot be read: ") + std::strerror(errno));
    }
    std::string text;
    std::string error;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        error = "is not a regular file";
    } else if (static_cast<std::size_t>(status.st_size) > MOST_COVER_TABLE_BYTES) {
        error = "is too big for a table of classes";
    } else {
        text.resize(static_cast<std::size_t>(status.st_size));
        std::size_t got = 0;
        for (ssize_t n = 1; got < text.size() && n > 0; got += n > 0 ? n : 0) {
            n = read(fd, text.data() + got, text.size() - got);
        }
        error = got == text.size() ? std::string{} : "cannot be read";
    }
    close(fd);
    return error.empty() ? parseCoverTable(text, path, classes)
                         : sourceFileError(COVER_TABLE_OPTION, path, error);
}
