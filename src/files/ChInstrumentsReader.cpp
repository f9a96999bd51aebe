// CH Instruments text export: a date on line 1, the technique on line 2, an "Instrument Model:"
// line among the first lines, "Label (unit) = value" parameters, then the title line
// "Potential/V, Current/A", a blank line and the data, separated by ", " or TAB, in SI units.
// Segments are not marked: the curve is split where the potential turns back. The software
// writes reduction current positive unless the file says it follows the IUPAC convention.

#include "files/InstrumentFormats.h"
#include "files/TextTable.h"
#include "shell/RuntimeError.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kemvo {
namespace {

constexpr std::size_t kRecognisedWithin = 40;
constexpr std::size_t kTechniqueLine = 1;

std::size_t titleLine(const TextLines &lines) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (trimmed(lines[i]).starts_with("Potential/"))
            return i;
    throw RuntimeError("the CH Instruments file has no title line \"Potential/V, Current/A\"");
}

// "Scan Rate (V/s) = 0.1" in the header [V/s].
std::optional<double> statedScanRate(const TextLines &lines, std::size_t end) {
    for (std::size_t i = 0; i < end; ++i) {
        std::string_view line = trimmed(lines[i]);
        std::size_t equals = line.find('=');
        if (!line.starts_with("Scan Rate") || equals == std::string_view::npos)
            continue;
        std::string_view value = trimmed(line.substr(equals + 1));
        double factor = line.substr(0, equals).find("mV/s") != std::string_view::npos ? 1e-3 : 1;
        double rate = fieldNumber(value, false, i + 1, "Scan Rate") * factor;
        if (std::isfinite(rate) && rate > 0)
            return rate;
    }
    return std::nullopt;
}

// "Init E (V) = -0.5", "Quiet Time (sec) = 2": a number stated in the header.
std::optional<double> statedValue(const TextLines &lines, std::size_t end, std::string_view label) {
    for (std::size_t i = 0; i < end; ++i) {
        std::string_view line = trimmed(lines[i]);
        std::size_t equals = line.find('=');
        if (!line.starts_with(label) || equals == std::string_view::npos)
            continue;
        double value = fieldNumber(trimmed(line.substr(equals + 1)), false, i + 1, label);
        if (std::isfinite(value))
            return value;
    }
    return std::nullopt;
}

} // namespace

bool isChInstruments(const TextLines &lines) {
    std::size_t end = std::min(lines.size(), kRecognisedWithin);
    for (std::size_t i = 0; i < end; ++i)
        if (trimmed(lines[i]).starts_with("Instrument Model"))
            return true;
    return false;
}

MeasuredFile readChInstruments(const TextLines &lines) {
    std::string technique =
        lines.size() > kTechniqueLine ? std::string(trimmed(lines[kTechniqueLine])) : "";
    MeasuredFile file{"CH Instruments", technique, {}, true};
    if (!containsNoCase(technique, "voltamm"))
        refuseTechnique(file.format, technique);

    const std::size_t title = titleLine(lines);
    const char separator = lines[title].find('\t') != std::string_view::npos ? '\t' : ',';
    std::vector<std::string_view> titles = splitFields(lines[title], separator);
    auto potential = columnTitled(titles, "Potential/", false);
    auto current = columnTitled(titles, "Current/", true);
    if (!potential || !current)
        refuseColumns(titles);
    for (std::size_t i = 0; i < title; ++i)
        if (containsNoCase(lines[i], "IUPAC"))
            file.reductionPositive = false;

    auto values = readColumns(lines, title + 1, lines.size(), separator, {*potential, *current});
    MeasuredCurve whole{"all", std::move(values[0]), std::move(values[1]),
                        statedScanRate(lines, title)};
    file.curves = splitIntoSweeps(whole, "segment");
    file.initialPotential = statedValue(lines, title, "Init E");
    file.quietTime = statedValue(lines, title, "Quiet Time");
    return file;
}

} // namespace kemvo
