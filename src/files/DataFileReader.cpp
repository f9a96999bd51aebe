#include "files/DataFileReader.h"

#include "shell/NumberText.h"
#include "shell/RuntimeError.h"

#include <algorithm>
#include <cstdio>

namespace kemvo {
namespace {

constexpr std::size_t kQuotedLength = 24;

bool isBlank(int c) {
    return c == ' ' || c == '\t';
}
bool endsItem(int c) {
    return c == EOF || isBlank(c) || c == ',' || c == '\r' || c == '\n';
}
bool isUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

DataItemReader::DataItemReader(std::istream &in, std::size_t chunkSize)
    : in_(in), buffer_(std::max<std::size_t>(chunkSize, 3)) {
    skipByteOrderMark();
}

std::string DataItemReader::where(std::int64_t line, std::int64_t item) {
    return "line " + std::to_string(line) + ", item " + std::to_string(item) + ": ";
}

void DataItemReader::fail(std::int64_t item, const std::string &what) const {
    throw RuntimeError(where(line_, item) + what);
}

bool DataItemReader::fill() {
    in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    if (in_.bad())
        throw RuntimeError("the file could not be read after line " + std::to_string(line_));
    cursor_ = 0;
    end_ = static_cast<std::size_t>(in_.gcount());
    return end_ > 0;
}

int DataItemReader::peek() {
    if (cursor_ == end_ && !fill())
        return EOF;
    return static_cast<unsigned char>(buffer_[cursor_]);
}

void DataItemReader::skipByteOrderMark() {
    static constexpr char kMark[] = "\xEF\xBB\xBF";
    if (fill() && end_ >= 3 && std::equal(kMark, kMark + 3, buffer_.begin()))
        cursor_ = 3;
}

void DataItemReader::checkItemCount() {
    if (item_ == 0)
        return;
    if (lineItems_ == 0)
        lineItems_ = item_;
    else if (item_ != lineItems_)
        throw RuntimeError("line " + std::to_string(line_) + " holds " + std::to_string(item_) +
                           " numbers where the lines before it hold " + std::to_string(lineItems_) +
                           " (a decimal comma splits a number in two)");
}

void DataItemReader::startLine() {
    checkItemCount();
    ++line_;
    item_ = 0;
    afterComma_ = false;
}

std::string DataItemReader::readToken() {
    std::string token;
    for (int c = peek(); !endsItem(c) && token.size() <= kMaxItemLength; c = peek()) {
        token.push_back(static_cast<char>(c));
        advance();
    }
    return token;
}

std::optional<double> DataItemReader::next() {
    for (int c = peek();; c = peek()) {
        if (c == EOF) {
            checkItemCount();
            return std::nullopt;
        }
        if (isBlank(c)) {
            advance();
        } else if (c == '\n' || c == '\r') {
            advance();
            if (c == '\r' && peek() == '\r') {
                advance();
                if (peek() == '\n') // CR CR LF: one line end
                    advance();
                else
                    startLine(); // two CR: two line ends
            } else if (c == '\r' && peek() == '\n') {
                advance();
            }
            startLine();
        } else if (c == ',') {
            if (item_ == 0)
                fail(1, "nothing before the comma");
            if (afterComma_)
                fail(item_ + 1, "nothing between two commas");
            afterComma_ = true;
            advance();
        } else {
            break;
        }
    }
    std::string token = readToken();
    ++item_;
    afterComma_ = false;
    if (token.size() > kMaxItemLength || !isNumber(token))
        fail(item_, quoteItem(token) + " is not a number");
    try {
        return leadingValue(token);
    } catch (const RuntimeError &) {
        fail(item_, quoteItem(token) + " is too large");
    }
}

int readPairs(std::istream &in, PointArray &potential, PointTable<6> &curves, int slot,
              std::size_t chunkSize) {
    DataItemReader reader(in, chunkSize);
    int count = 0;
    while (std::optional<double> e = reader.next()) {
        std::string at = DataItemReader::where(reader.line(), reader.item());
        if (count == kMaxPoints)
            throw RuntimeError(at + "more than " + std::to_string(kMaxPoints) + " data points");
        potential(count + 1) = *e;
        std::optional<double> value = reader.next();
        if (!value)
            throw RuntimeError(at + "the potential " + generalNumber(*e) +
                               " has no value after it; the file ends there");
        curves(count + 1, slot) = *value;
        ++count;
    }
    return count;
}

std::string shownText(std::string_view text, std::size_t maxBytes) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        // A character is shown whole or not at all: a lead byte with its continuation bytes, or
        // a control byte escaped as \xHH.
        std::size_t end = i + 1;
        while (end < text.size() && isUtf8Continuation(text[end]))
            ++end;
        const auto byte = static_cast<unsigned char>(text[i]);
        std::string piece(text.substr(i, end - i));
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            piece = escaped;
        }
        if (out.size() + piece.size() > maxBytes)
            break;
        out += piece;
        i = end;
    }
    return i < text.size() ? out + "..." : out;
}

std::string quoteItem(const std::string &item) {
    std::string quoted = "\"";
    quoted += shownText(item, kQuotedLength);
    quoted += '"';
    return quoted;
}

} // namespace kemvo
