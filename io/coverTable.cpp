// Parsing a cover's table: the header checked column by column so that the one line names what
// is unknown or missing, then each class line field by field.

#include "io/coverTable.h"

#include "io/groundSource.h"
#include "io/printableText.h"
#include "terrain/vehicle.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <sys/stat.h>

namespace {

constexpr const char* COLUMNS[] = {"class", "name", "speed_kmh", "rolling"};
constexpr std::size_t COLUMN_COUNT = std::size(COLUMNS);
constexpr int DECIMAL = 10;

std::vector<std::string> fieldsOf(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (std::size_t comma; (comma = line.find(',', from)) != std::string::npos; from = comma + 1) {
        fields.push_back(line.substr(from, comma - from));
    }
    fields.push_back(line.substr(from));
    return fields;
}

std::string quoted(const std::string& text) {
    return "'" + printable(text) + "'";
}

// What is wrong with the header, empty when it is exactly the columns.
std::string headerError(const std::string& line) {
    const std::vector<std::string> fields = fieldsOf(line);
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
    return line == COVER_TABLE_HEADER
               ? std::string{}
               : std::string("the header must be exactly ") + COVER_TABLE_HEADER;
}

bool parseWhole(const std::string& text, int& value) {
    if (text.empty() || text.find_first_not_of("+-0123456789") != std::string::npos) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text.c_str(), &end, DECIMAL);
    if (errno != 0 || *end != '\0' || parsed < std::numeric_limits<int>::min() ||
        parsed > std::numeric_limits<int>::max()) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

// A finite number of 0 or more, at most MAX_VEHICLE_FIGURE so that it stays a float.
bool parseFigure(const std::string& text, float& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(text.c_str(), &end);
    if (errno == ERANGE || *end != '\0' || !(parsed >= 0.0) || parsed > MAX_VEHICLE_FIGURE) {
        return false;
    }
    value = static_cast<float>(parsed);
    return true;
}

// Reads one class line into `c`; returns what is wrong with it.
std::string classError(const std::string& line, CoverClass& c) {
    const std::vector<std::string> fields = fieldsOf(line);
    if (fields.size() != COLUMN_COUNT) {
        return std::to_string(fields.size()) + " fields, not " + std::to_string(COLUMN_COUNT);
    }
    if (!parseWhole(fields[0], c.value)) {
        return "class " + quoted(fields[0]) + " is not an integer";
    }
    c.name = fields[1];
    if (!parseFigure(fields[2], c.speedKmh)) {
        return "speed_kmh " + quoted(fields[2]) + " is not a speed of 0 or more km/h";
    }
    c.rolling = NAN;
    if (!fields[3].empty() && !parseFigure(fields[3], c.rolling)) {
        return "rolling " + quoted(fields[3]) + " is not a coefficient of 0 or more";
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
    std::map<int, std::size_t> lineOfClass;
    bool header = false;
    std::size_t number = 0;
    for (std::size_t from = 0; from < text.size();) {
        std::size_t end = text.find('\n', from);
        end = end == std::string::npos ? text.size() : end;
        std::string line = text.substr(from, end - from);
        from = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
            continue;
        }
        if (!header) {
            const std::string error = headerError(line);
            if (!error.empty()) {
                return lineError(number, error);
            }
            header = true;
            continue;
        }
        CoverClass c;
        const std::string error = classError(line, c);
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
    if (static_cast<std::size_t>(status.st_size) > MOST_COVER_TABLE_BYTES) {
        return sourceFileError(COVER_TABLE_OPTION, path, "is too big for a table of classes");
    }
    std::ifstream file(path, std::ios::binary);
    std::string text(static_cast<std::size_t>(status.st_size), '\0');
    if (!file || !file.read(text.data(), static_cast<std::streamsize>(text.size()))) {
        return sourceFileError(COVER_TABLE_OPTION, path, "cannot be read");
    }
    return parseCoverTable(text, path, classes);
}
