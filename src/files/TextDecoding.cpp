#include "files/TextDecoding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>

namespace kemvo {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kByteOrderMark = 0xFEFF;

void appendUtf8(std::string &out, char32_t c) {
    if (c == kByteOrderMark)
        return;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::string fromUtf16(std::string_view bytes, bool bigEndian) {
    auto unit = [&](std::size_t i) -> char32_t {
        auto first = static_cast<unsigned char>(bytes[i]);
        auto second = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (first << 8 | second) : (second << 8 | first);
    };
    std::string out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
            char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        appendUtf8(out, c >= 0xD800 && c < 0xE000 ? kReplacement : c);
    }
    return out;
}

// Length of the valid UTF-8 sequence at bytes[i], or 0 when it is not one.
std::size_t utf8SequenceLength(std::string_view bytes, std::size_t i) {
    auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t length = lead < 0x80                   ? 1
                         : lead >= 0xC2 && lead < 0xE0 ? 2
                         : lead >= 0xE0 && lead < 0xF0 ? 3
                         : lead >= 0xF0 && lead < 0xF5 ? 4
                                                       : 0;
    if (length <= 1 || i + length > bytes.size())
        return length == 1 ? 1 : 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
            return 0;
    auto second = static_cast<unsigned char>(bytes[i + 1]);
    // Overlong forms, surrogates and code points past U+10FFFF.
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

bool isUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t length = utf8SequenceLength(bytes, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string withoutByteOrderMarks(std::string_view utf8) {
    static constexpr std::string_view kMark = "\xEF\xBB\xBF";
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t mark = utf8.find(kMark, i);
        if (mark == std::string_view::npos)
            mark = utf8.size();
        out.append(utf8.substr(i, mark - i));
        i = mark + kMark.size();
    }
    return out;
}

// Windows-1252 bytes 0x80..0x9F; the five undefined ones become U+FFFD.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

std::string fromWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char byte : bytes) {
        auto c = static_cast<unsigned char>(byte);
        appendUtf8(out, c >= 0x80 && c < 0xA0 ? kWindows1252High[c - 0x80] : char32_t{c});
    }
    return out;
}

} // namespace

std::string decodeText(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE"))
        return fromUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF"))
        return fromUtf16(bytes.substr(2), true);
    if (isUtf8(bytes))
        return withoutByteOrderMarks(bytes);
    return fromWindows1252(bytes);
}

std::string_view decodedText(std::string_view bytes, std::string &storage) {
    static constexpr std::string_view kMark = "\xEF\xBB\xBF";
    if (!bytes.starts_with("\xFF\xFE") && !bytes.starts_with("\xFE\xFF") &&
        bytes.find(kMark) == std::string_view::npos && isUtf8(bytes))
        return bytes;
    storage = decodeText(bytes);
    return storage;
}

namespace {

// The length of the line end at text[at] (a CR or LF there), CR CR LF counting as one.
std::size_t lineEndLength(std::string_view text, std::size_t at) {
    if (text[at] == '\n')
        return 1;
    if (text.substr(at, 2) == "\r\n")
        return 2;
    if (text.substr(at, 3) == "\r\r\n")
        return 3;
    return 1;
}

// Lines between two polls of the progress.
constexpr std::size_t kLinesPerPoll = 16384;

} // namespace

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + lineEndLength(text, end);
    }
    return lines;
}

TextLines::TextLines(std::string_view text, std::function<void(double)> poll)
    : poll_(std::move(poll)) {
    index(text);
}

TextLines::TextLines(std::initializer_list<std::string_view> lines) {
    for (std::string_view line : lines) {
        text_ += line;
        text_ += '\n';
    }
    index(text_);
}

void TextLines::index(std::string_view text) {
    if (text.size() > UINT32_MAX)
        throw std::length_error("text too long for the line index");
    view_ = text;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end != start)
            entries_.push_back(
                {static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(count_)});
        ++count_;
        if (poll_ && count_ % kLinesPerPoll == 0)
            poll_(0.5 * static_cast<double>(start) / static_cast<double>(text.size()));
        if (end == std::string_view::npos)
            break;
        start = end + lineEndLength(text, end);
    }
    entries_.shrink_to_fit();
}

std::size_t TextLines::entryAtOrAfter(std::size_t index) const {
    auto before = [index](const Entry &entry) { return entry.index < index; };
    if (hint_ < entries_.size() && !before(entries_[hint_]) &&
        (hint_ == 0 || before(entries_[hint_ - 1])))
        return hint_;
    if (hint_ + 1 < entries_.size() && !before(entries_[hint_ + 1]) && before(entries_[hint_]))
        return hint_ + 1;
    auto found = std::partition_point(entries_.begin(), entries_.end(), before);
    return static_cast<std::size_t>(found - entries_.begin());
}

std::string_view TextLines::operator[](std::size_t index) const {
    std::size_t at = entryAtOrAfter(index);
    if (at == entries_.size() || entries_[at].index != index)
        return {};
    hint_ = at;
    std::string_view rest = view_.substr(entries_[at].offset);
    return rest.substr(0, rest.find_first_of("\r\n"));
}

std::size_t TextLines::nextNonEmpty(std::size_t index) const {
    std::size_t at = entryAtOrAfter(index);
    if (at == entries_.size())
        return count_;
    hint_ = at;
    return entries_[at].index;
}

void TextLines::poll(std::size_t index) const {
    if (!poll_ || ++polls_ % kLinesPerPoll != 0 || count_ == 0)
        return;
    poll_(0.5 + 0.5 * static_cast<double>(index) / static_cast<double>(count_));
}

} // namespace kemvo
