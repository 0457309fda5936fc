#pragma once
// The table of a cover of classes: a CSV file whose header is exactly
// "class,name,speed_kmh,rolling", then one line a class: its raster value (an integer), its
// name, the speed it allows in km/h (0 or more; 0 is no-go) and its rolling coefficient (0 or
// more, or empty for the vehicle's). Read as CSV is written: a field in double quotes may hold
// commas, line breaks and doubled quotes; lines may end in CRLF, the text may start with a UTF-8
// byte-order mark, and blank lines are skipped.

#include "terrain/groundCover.h"

#include <string>
#include <vector>

constexpr const char* COVER_TABLE_OPTION = "--cover-table";
constexpr const char* COVER_TABLE_HEADER = "class,name,speed_kmh,rolling";
// A cell keeps its class in 16 bits, 0 for none.
constexpr std::size_t MOST_COVER_CLASSES = 65535;
// Bytes a table may take: far more than MOST_COVER_CLASSES lines need.
constexpr std::size_t MOST_COVER_TABLE_BYTES = 16u << 20;

// Reads the table `text` of the file `path` into `classes`, in its order. Returns an empty text,
// or one line naming --cover-table, the file and the line: a header other than the above (an
// unknown or a missing column), a line of other than four fields or with a broken quote, a class
// that is no integer or that repeats, a speed or rolling coefficient that is no number of 0 or
// more or no finite one, no class at all, or a file that is not text.
std::string parseCoverTable(const std::string& text, const std::string& path,
                            std::vector<CoverClass>& classes);

// The same for the file at `path`, which must be a regular file of at most
// MOST_COVER_TABLE_BYTES.
std::string readCoverTable(const std::string& path, std::vector<CoverClass>& classes);
