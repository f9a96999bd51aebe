#pragma once
// Reading a comma-separated data file: numeric items separated by commas, blanks or line ends,
// taken two at a time as (potential [V], value) pairs.

#include "shell/CurveStore.h"

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kemvo {

// The numbers of a data file one by one, read from the stream in chunks so that a file of any
// size is read in bounded memory. A blank run, a comma or a line end (LF, CRLF or CR) separates
// two items, and blanks next to a comma or a line end belong to that one separator; a comma at
// the end of a line is part of the line end; CR CR LF is one line end. Every line that holds
// numbers holds as many as the first such line: a line that holds more or fewer (a decimal
// comma splits a number in two) raises RuntimeError naming it, instead of shifting the pairs.
// A leading UTF-8 byte-order mark is skipped.
class DataItemReader {
public:
    // Longer items are not numbers; the reader stops at this length instead of buffering a line.
    static constexpr std::size_t kMaxItemLength = 100;
    // Bytes taken from the stream at a time; at least 3, so that the first holds a whole
    // byte-order mark. Tests use small chunks to put items across chunk boundaries.
    static constexpr std::size_t kChunkSize = 64 * 1024;

    explicit DataItemReader(std::istream &in, std::size_t chunkSize = kChunkSize);

    // The next number, or nothing at the end of the data. An item that is not a number raises
    // RuntimeError naming its line and position and quoting what was found there.
    std::optional<double> next();

    // Where the last item returned stands: line from 1, item within that line from 1. The
    // counters are 64-bit, so that no file, however many lines it has, can overflow them.
    std::int64_t line() const { return line_; }
    std::int64_t item() const { return item_; }
    // "line 3, item 2: " for the item at that place.
    static std::string where(std::int64_t line, std::int64_t item);

private:
    int peek();
    void advance() { ++cursor_; }
    bool fill();
    void skipByteOrderMark();
    void startLine();
    void checkItemCount();
    std::string readToken();
    [[noreturn]] void fail(std::int64_t item, const std::string &what) const;

    std::istream &in_;
    std::vector<char> buffer_;
    std::size_t cursor_ = 0;
    std::size_t end_ = 0;
    std::int64_t line_ = 1;
    std::int64_t item_ = 0;
    bool afterComma_ = false;
    std::int64_t lineItems_ = 0; // the items of the first line that holds any
};

// Reads (potential, value) pairs into potential(1..) and curves(., slot) and returns how many
// were read. Raises RuntimeError saying where the data went wrong: an item that is not a
// number, a potential without its value at the end, or a pair beyond kMaxPoints. The pairs read
// before the failure stay in the store.
int readPairs(std::istream &in, PointArray &potential, PointTable<6> &curves, int slot,
              std::size_t chunkSize = DataItemReader::kChunkSize);

// Text of a file as a message shows it: control bytes escaped as \xHH, cut short with "..."
// once the shown text would pass maxBytes bytes (its escapes counted), never inside a character.
std::string shownText(std::string_view text, std::size_t maxBytes);

// The text of an item as a message quotes it: control bytes escaped, long items cut short.
std::string quoteItem(const std::string &item);

} // namespace kemvo
