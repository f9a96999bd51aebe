#pragma once
// The text of an instrument's export as UTF-8 lines, whatever encoding its software wrote:
// UTF-16 with a byte-order mark, UTF-8 (with or without its mark), or Windows-1252 where the
// bytes are not valid UTF-8. Line ends may be CRLF, LF, CR, or CR CR LF (a file passed through
// two converters), each one line end.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kemvo {

// The bytes as UTF-8 without any byte-order mark, also one that stands inside the text.
std::string decodeText(std::string_view bytes);

// The bytes as UTF-8 text: the bytes themselves when they are UTF-8 without a byte-order mark
// (no copy of a large file is made), else decodeText(bytes) kept in storage.
std::string_view decodedText(std::string_view bytes, std::string &storage);

// The lines of a text, without their line ends; a last line without its end is a line.
std::vector<std::string_view> splitLines(std::string_view text);

// The lines of a text, indexed from 0 as line (index + 1) of the file. An empty line costs
// nothing: only the non-empty lines are indexed, 8 bytes each, so that a file of blank lines
// takes no more memory than its text. Reading the lines in order costs O(1) a line.
class TextLines {
public:
    TextLines() = default;
    // poll, when given, is called with the fraction of the text indexed or read (0 ... 1) every
    // few thousand lines; it may end the reading by throwing.
    explicit TextLines(std::string_view text, std::function<void(double)> poll = {});
    TextLines(std::initializer_list<std::string_view> lines); // for tests
    // The lines refer to their text: a copy would refer to the same text, or to none.
    TextLines(const TextLines &) = delete;
    TextLines &operator=(const TextLines &) = delete;

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    std::string_view operator[](std::size_t index) const;
    // The count of non-empty lines among [first, end).
    std::size_t rowsBetween(std::size_t first, std::size_t end) const {
        return entryAtOrAfter(end) - entryAtOrAfter(first);
    }
    // The first index at or after `index` whose line is not empty; size() when there is none.
    std::size_t nextNonEmpty(std::size_t index) const;
    // Calls the poll (when there is one) every few thousand calls, with the share of the text
    // up to line `index` read.
    void poll(std::size_t index) const;

private:
    struct Entry {
        std::uint32_t offset; // where the line starts in text_
        std::uint32_t index;  // the line's index
    };
    void index(std::string_view text);
    std::size_t entryAtOrAfter(std::size_t index) const;

    std::string text_; // only for lines made from a list (tests); else empty
    std::string_view view_;
    std::vector<Entry> entries_;
    std::size_t count_ = 0;
    std::function<void(double)> poll_;
    mutable std::size_t hint_ = 0; // the entry of the last line looked up
    mutable std::size_t polls_ = 0;
};

} // namespace kemvo
