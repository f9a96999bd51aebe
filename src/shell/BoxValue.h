#pragma once
// The strict reading of a text box: the whole text must be a number that the quantity allows.
// The parameters window's intake, the resistance box, the semi-operations' scan rate and the
// plot options' axis limits all read their boxes this way, with the same words when they
// refuse.

#include "shell/RuntimeError.h"

#include <string>

namespace kemvo {

// What a box may hold.
enum class Allowed {
    AnyNumber,
    NonZero,
    Positive,
    NonNegative,
    UnitInterval,
    OneOrMore,
    AboveAbsoluteZero, // degrees Celsius
};

// "must be a number of 0 or more".
std::string allowedText(Allowed allowed);
bool isAllowed(double value, Allowed allowed);

// A typed text as a message quotes it: control bytes and bytes that are no UTF-8 character
// escaped (\xFF), a long text cut short.
std::string quotedText(const std::string &text);

// A box whose text is not a number it may hold: "R (Ω): "2k" is not a number; it must be a
// number of 0 or more".
class BoxValueError : public RuntimeError {
public:
    BoxValueError(const std::string &caption, const std::string &description)
        : RuntimeError(caption + ": " + description), caption_(caption), description_(description) {
    }
    const std::string &caption() const { return caption_; }
    const std::string &description() const { return description_; }

private:
    std::string caption_;
    std::string description_;
};

// The value of the whole text (the Unicode minus sign reads as a minus; a decimal comma is
// refused with the text written with a point); raises BoxValueError naming the box by its
// caption and saying what it may hold.
double strictBoxValue(const std::string &text, const std::string &caption, Allowed allowed);

} // namespace kemvo
