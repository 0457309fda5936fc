// Feeds arbitrary bytes to the start/end cell dialogue's reader as console input and checks
// what must hold for any input: accepted cells are in range, every entry ends at a line end or
// the end of input, the reader never asks the console again after it reported the end, and each
// token is read exactly as strtol with full error checks reads it.

#include "app/consoleInput.h"

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <istream>
#include <optional>
#include <streambuf>
#include <string>

namespace {

// Hands out the fuzz input as it is, without copying, and counts requests past its end.
class ByteSource : public std::streambuf {
  public:
    ByteSource(const uint8_t* data, size_t size) {
        char* begin = const_cast<char*>(reinterpret_cast<const char*>(data));
        setg(begin, begin, begin + size);
    }
    size_t consumed() const { return static_cast<size_t>(gptr() - eback()); }
    int endRequests() const { return endRequests_; }

  protected:
    int_type underflow() override {
        ++endRequests_;
        return traits_type::eof();
    }

  private:
    int endRequests_ = 0;
};

void require(bool condition, const char* what) {
    if (condition) {
        return;
    }
    std::fprintf(stderr, "console parser invariant broken: %s\n", what);
    std::abort();
}

std::optional<int> strtolReading(const std::string& token) {
    if (token.find('\0') != std::string::npos) {
        return std::nullopt; // strtol would stop at the NUL; the reader sees junk
    }
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(token.c_str(), &end, 0);
    if (end == token.c_str() || *end != '\0' || errno == ERANGE || value < INT_MIN ||
        value > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

void checkTokens(const uint8_t* data, size_t size) {
    std::string token;
    for (size_t i = 0; i <= size; ++i) {
        if (i < size && !isConsoleSpace(data[i])) {
            token.push_back(static_cast<char>(data[i]));
            continue;
        }
        if (!token.empty()) {
            require(parseIntToken(token) == strtolReading(token), "token differs from strtol");
        }
        token.clear();
    }
}

void checkEntries(const uint8_t* data, size_t size) {
    ByteSource source(data, size);
    std::istream in(&source);
    for (;;) {
        const size_t before = source.consumed();
        const std::optional<RouteEnds> entry = readAcceptedCellEntry(in);
        const size_t after = source.consumed();
        require(after <= size, "read past the input");
        require(source.endRequests() <= 1, "asked the console again after its end");
        if (entry) {
            require(isCellEntryInRange(*entry), "accepted a cell out of range");
        }
        if (source.endRequests() == 1) {
            require(!readAcceptedCellEntry(in), "accepted an entry after the end of input");
            require(source.endRequests() == 1, "asked the console again after its end");
            return;
        }
        require(after > before, "an entry read nothing");
        require(data[after - 1] == '\n' || data[after - 1] == '\r',
                "an entry stopped inside a line");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    checkTokens(data, size);
    checkEntries(data, size);
    return 0;
}
