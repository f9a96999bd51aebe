#include "shell/NumberText.h"

#include "shell/RuntimeError.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace kemvo {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the longest prefix of text that is a decimal number; 0 when there is none.
std::size_t numberPrefixLength(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            i = j;
        }
    }
    return i;
}

double parseNumber(std::string_view number) {
    if (!number.empty() && number.front() == '+')
        number.remove_prefix(1);
    double value = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // from_chars reports underflow the same way; a tiny number reads as 0.
        std::size_t e = number.find_first_of("eE");
        if (e != std::string_view::npos && number.find('-', e) != std::string_view::npos)
            return 0.0;
        throw RuntimeError(kOverflow);
    }
    (void)end;
    return value;
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The minus sign U+2212 that word processors and some keyboards produce, written as '-'.
std::string withAsciiMinus(std::string_view text) {
    static constexpr std::string_view kUnicodeMinus = "\u2212";
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const bool minus = text.substr(at, kUnicodeMinus.size()) == kUnicodeMinus;
        plain += minus ? '-' : text[at];
        at += minus ? kUnicodeMinus.size() : 1;
    }
    return plain;
}

} // namespace

double leadingValue(std::string_view original) {
    const std::string plain = withAsciiMinus(original);
    std::string_view text = plain;
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    std::size_t length = numberPrefixLength(text);
    return length == 0 ? 0.0 : parseNumber(text.substr(0, length));
}

bool isNumber(std::string_view original) {
    const std::string plain = withAsciiMinus(original);
    std::string_view text = trimBlanks(plain);
    return !text.empty() && numberPrefixLength(text) == text.size();
}

double strictValue(std::string_view text) {
    if (!isNumber(text))
        throw RuntimeError("Type mismatch: \"" + std::string(text) + "\" is not a number");
    return parseNumber(trimBlanks(withAsciiMinus(text)));
}

Int16 roundToInt16(double value) {
    if (!std::isfinite(value))
        throw RuntimeError(kOverflow);
    double rounded = std::nearbyint(value); // the default mode rounds halves to even
    if (rounded < std::numeric_limits<Int16>::min() || rounded > std::numeric_limits<Int16>::max())
        throw RuntimeError(kOverflow);
    return static_cast<Int16>(rounded);
}

std::string formatNumber(double value, std::string_view pattern) {
    // pattern: mantissa digit, point, '#'s for optional decimals, 'e' or 'E', '-', '0' or '#'.
    std::size_t point = pattern.find('.');
    std::size_t letter = pattern.find_first_of("eE");
    int decimals = static_cast<int>(letter - point - 1);
    char expLetter = pattern[letter];
    bool expAlwaysDigit = pattern.back() == '0';

    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", decimals, value);
    std::string text(buffer);
    std::size_t e = text.find('e');
    std::string mantissa = text.substr(0, e);
    int exponent = std::stoi(text.substr(e + 1));
    if (mantissa.find('.') != std::string::npos) {
        while (mantissa.back() == '0')
            mantissa.pop_back();
        if (mantissa.back() == '.')
            mantissa.pop_back();
    }
    std::string expText = exponent == 0 && !expAlwaysDigit ? "0" : std::to_string(exponent);
    return mantissa + expLetter + expText;
}

std::string generalNumber(double value) {
    if (value == 0.0)
        return "0";
    char buffer[64];
    double magnitude = std::fabs(value);
    bool plain = magnitude >= 1e-4 && magnitude < 1e15;
    auto format = plain ? std::chars_format::fixed : std::chars_format::scientific;
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, format);
    (void)error;
    std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
    std::size_t e = text.find('e');
    if (e == std::string_view::npos)
        return std::string(text);
    // 1.5e-5 -> 1.5E-05, 2e+20 -> 2E+20: the program's customary spelling, two exponent digits
    // at least.
    std::string_view digits = text.substr(e + 2);
    std::string spelled(text.substr(0, e));
    spelled += 'E';
    spelled += text[e + 1];
    if (digits.size() == 1)
        spelled += '0';
    spelled += digits;
    return spelled;
}

std::string signedField(double value) {
    std::string text = generalNumber(value);
    return text.front() == '-' ? text : " " + text;
}

} // namespace kemvo
