#pragma once
// One line of a printed report: items joined directly, or moved to the next print zone
// (zones are fixed columns, like a line printer's tab stops).

#include <string>

namespace kemvo {

class ReportLine {
public:
    static constexpr std::size_t kZoneWidth = 14;

    ReportLine &text(const std::string &item);
    // A number as printed: general format, one blank for the sign of a non-negative
    // number and one blank after it.
    ReportLine &number(double value);
    // Moves to the start of the next print zone (at least one blank follows the text so far).
    ReportLine &nextZone();

    const std::string &str() const { return line_; }

private:
    std::string line_;
};

} // namespace kemvo
