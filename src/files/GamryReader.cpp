// Gamry Framework data (.DTA): "EXPLAIN", then "TAG<TAB>CV"; header lines NAME<TAB>TYPE<TAB>
// value...; a NOTES line gives the number of free-text lines that follow; each table starts with
// "CURVEn<TAB>TABLE", then a line of column names and one of units, then rows that begin with a
// TAB. A cyclic voltammogram of n cycles holds n + 1 CURVE tables; other tables (a second
// working electrode's WE2CURVE, impedance's ZCURVE) are not the curve. Potential "Vf", current
// "Im"; anodic current positive.

#include "files/InstrumentFormats.h"
#include "files/TextTable.h"
#include "files/TimeAxis.h"
#include "shell/RuntimeError.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kemvo {
namespace {

bool isSweepTag(std::string_view tag) {
    return tag == "CV" || tag == "LSV";
}

// "CURVE" or "CURVE12".
bool isCurveTable(std::string_view name) {
    if (!name.starts_with("CURVE"))
        return false;
    name.remove_prefix(5);
    return std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::size_t notesLineCount(std::string_view count) {
    std::size_t n = 0;
    std::from_chars(count.data(), count.data() + count.size(), n);
    return n;
}

std::optional<TableColumn> column(const std::vector<std::string_view> &names,
                                  const std::vector<std::string_view> &units, std::string_view name,
                                  bool current) {
    for (std::size_t c = 0; c < names.size(); ++c) {
        if (names[c] != name)
            continue;
        // "V vs. Ref.": the unit is the first word; a missing unit is the SI one.
        std::string_view unit = c < units.size() ? units[c].substr(0, units[c].find(' ')) : "";
        if (unit.empty())
            unit = current ? "A" : "V";
        auto factor = current ? currentUnitFactor(unit) : potentialUnitFactor(unit);
        if (factor)
            return TableColumn{c, std::string(name), *factor};
    }
    return std::nullopt;
}

// "SCANRATE<TAB>QUANT<TAB>100<TAB>Scan Rate (mV/s)" [V/s]. The quantity is in mV/s whether or
// not its description says so.
std::optional<double> headerScanRate(const std::vector<std::string_view> &fields,
                                     std::size_t line) {
    if (fields.size() < 3 || fields[0] != "SCANRATE")
        return std::nullopt;
    double rate = fieldNumber(fields[2], true, line, "SCANRATE") / 1000;
    return std::isfinite(rate) && rate > 0 ? std::optional<double>(rate) : std::nullopt;
}

// Reads the table whose name line is at `at` and returns the index of the line after it.
std::size_t readTable(const TextLines &lines, std::size_t at, MeasuredFile &file) {
    std::string_view name = splitFields(lines[at], '\t')[0];
    std::size_t end = std::min(at + 3, lines.size());
    while (end < lines.size() && lines[end].starts_with('\t'))
        ++end;
    if (!isCurveTable(name))
        return end;
    if (at + 2 >= lines.size())
        throw RuntimeError("the Gamry table " + std::string(name) + " on line " +
                           std::to_string(at + 1) + " has no column names and units");
    std::vector<std::string_view> names = splitFields(lines[at + 1], '\t');
    std::vector<std::string_view> units = splitFields(lines[at + 2], '\t');
    auto potential = column(names, units, "Vf", false);
    auto current = column(names, units, "Im", true);
    if (!potential || !current)
        refuseColumns(names);
    std::vector<TableColumn> columns = {*potential, *current};
    auto time = column(names, {}, "T", false); // seconds
    if (time)
        columns.push_back(*time);
    auto values = readColumns(lines, at + 3, end, '\t', columns);
    MeasuredCurve curve{std::string(name), std::move(values[0]), std::move(values[1]),
                        std::nullopt};
    if (time) {
        curve.scanRate = scanRateFromTime(curve.potential, values[2]);
        curve.time = std::move(values[2]);
    }
    file.curves.push_back(std::move(curve));
    return end;
}

} // namespace

bool isGamry(const TextLines &lines) {
    return lines.size() > 1 && trimmed(lines[0]) == "EXPLAIN" && lines[1].starts_with("TAG");
}

MeasuredFile readGamry(const TextLines &lines) {
    std::vector<std::string_view> tag = splitFields(lines[1], '\t');
    MeasuredFile file{"Gamry", tag.size() > 1 ? std::string(tag[1]) : "", {}, false};
    if (!isSweepTag(file.technique))
        refuseTechnique(file.format, file.technique);

    std::optional<double> statedRate;
    for (std::size_t i = lines.nextNonEmpty(2); i < lines.size();) {
        lines.poll(i);
        if (lines[i].empty()) {
            i = lines.nextNonEmpty(i);
            continue;
        }
        std::vector<std::string_view> fields = splitFields(lines[i], '\t');
        if (fields.size() >= 2 && fields[1] == "TABLE") {
            i = readTable(lines, i, file);
            continue;
        }
        if (auto rate = headerScanRate(fields, i + 1))
            statedRate = rate;
        bool notes = fields.size() >= 3 && fields[0] == "NOTES";
        i += 1 + (notes ? std::min(notesLineCount(fields[2]), lines.size()) : 0);
    }
    if (file.curves.empty())
        throw RuntimeError("the Gamry file holds no CURVE table");
    stateScanRate(file.curves, statedRate);
    return file;
}

} // namespace kemvo
