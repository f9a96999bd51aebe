#include "shell/ReportLine.h"

#include "shell/NumberText.h"

namespace kemvo {

ReportLine &ReportLine::text(const std::string &item) {
    line_ += item;
    return *this;
}

ReportLine &ReportLine::number(double value) {
    line_ += signedField(value) + " ";
    return *this;
}

ReportLine &ReportLine::nextZone() {
    std::size_t column = line_.size();
    std::size_t next = (column / kZoneWidth + 1) * kZoneWidth;
    line_.append(next - column, ' ');
    return *this;
}

} // namespace kemvo
