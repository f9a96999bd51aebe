#include "shell/BoxValue.h"

#include "shell/Constants.h"
#include "shell/NumberText.h"

#include <algorithm>
#include <cstdio>

namespace kemvo {
namespace {

// Length of the well-formed UTF-8 sequence at text[at], or 0 when the byte starts none.
std::size_t utf8SequenceAt(const std::string &text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80)
            return 0;
    return length;
}

// A decimal comma where a point was meant: "1,5e-3" reads as a number once the comma is a point.
std::string withDecimalPoint(const std::string &text) {
    std::string pointed = text;
    std::replace(pointed.begin(), pointed.end(), ',', '.');
    return pointed;
}

} // namespace

std::string allowedText(Allowed allowed) {
    switch (allowed) {
    case Allowed::AnyNumber:
        return "must be a number";
    case Allowed::NonZero:
        return "must be a number other than 0";
    case Allowed::Positive:
        return "must be a number greater than 0";
    case Allowed::NonNegative:
        return "must be a number of 0 or more";
    case Allowed::UnitInterval:
        return "must be a number from 0 to 1";
    case Allowed::OneOrMore:
        return "must be a number of 1 or more";
    case Allowed::AboveAbsoluteZero:
        return "must be a number greater than -273.14";
    }
    return "must be a number";
}

bool isAllowed(double value, Allowed allowed) {
    switch (allowed) {
    case Allowed::AnyNumber:
        return true;
    case Allowed::NonZero:
        return value != 0;
    case Allowed::Positive:
        return value > 0;
    case Allowed::NonNegative:
        return value >= 0;
    case Allowed::UnitInterval:
        return value >= 0 && value <= 1;
    case Allowed::OneOrMore:
        return value >= 1;
    case Allowed::AboveAbsoluteZero:
        return value + kCelsiusOffset > 0;
    }
    return false;
}

// A typed text as a message quotes it: control bytes and bytes that are no UTF-8 character
// escaped (\xFF), a long text cut short.
std::string quotedText(const std::string &text) {
    constexpr std::size_t kShown = 40;
    std::string out = "\"";
    std::size_t at = 0;
    while (at < text.size() && at < kShown) {
        const auto byte = static_cast<unsigned char>(text[at]);
        const std::size_t sequence = byte >= 0x80 ? utf8SequenceAt(text, at) : 1;
        if (byte < 0x20 || byte == 0x7F || sequence == 0) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
            ++at;
        } else {
            out += text.substr(at, sequence);
            at += sequence;
        }
    }
    return out + (at < text.size() ? "...\"" : "\"");
}

// The value of a box in use: the whole text must be a number the physics allows. The refusal
// names the box as the window shows it and says what it may hold.
double strictBoxValue(const std::string &text, const std::string &caption, Allowed allowed) {
    if (!isNumber(text)) {
        if (text.find(',') != std::string::npos && isNumber(withDecimalPoint(text)))
            throw BoxValueError(caption, quotedText(text) +
                                             " has a decimal comma; write it with a decimal "
                                             "point: " +
                                             withDecimalPoint(text));
        throw BoxValueError(caption,
                            quotedText(text) + " is not a number; it " + allowedText(allowed));
    }
    double value = 0;
    try {
        value = leadingValue(text);
    } catch (const RuntimeError &) {
        throw BoxValueError(caption,
                            quotedText(text) + " is too large; it " + allowedText(allowed));
    }
    if (!isAllowed(value, allowed))
        throw BoxValueError(caption, allowedText(allowed) + ", not " + quotedText(text));
    return value;
}

} // namespace kemvo
