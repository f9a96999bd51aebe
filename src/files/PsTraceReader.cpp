// PSTrace CSV export: UTF-16 with a byte-order mark; "Date and time:," on line 1 for
// voltammetry ("File date:," is an impedance export); a notes block; a line of curve titles
// ("Cyclic Voltammetry: CV i vs E Scan 1", ...); a units line ("V,µA,V,µA"); then the curves
// side by side as (potential, current) column pairs, a shorter curve ending in empty fields.

#include "files/InstrumentFormats.h"
#include "files/TextTable.h"
#include "shell/RuntimeError.h"

#include <algorithm>

namespace kemvo {
namespace {

bool isUnitsLine(const std::vector<std::string_view> &fields) {
    bool potential = false;
    for (std::string_view field : fields) {
        if (field.empty())
            continue;
        if (potentialUnitFactor(field))
            potential = true;
        else if (!currentUnitFactor(field))
            return false;
    }
    return potential;
}

struct Pair {
    TableColumn potential;
    TableColumn current;
    MeasuredCurve curve;
    bool ended = false;
};

std::vector<Pair> columnPairs(const std::vector<std::string_view> &units,
                              const std::vector<std::string_view> &titles) {
    std::vector<Pair> pairs;
    for (std::size_t c = 0; c + 1 < units.size(); ++c) {
        auto toVolt = potentialUnitFactor(units[c]);
        auto toAmpere = currentUnitFactor(units[c + 1]);
        if (!toVolt || !toAmpere)
            continue;
        // A scan's title, or where the file gives none (newer exports put the time of each
        // measurement there), its number.
        const bool titled =
            c < titles.size() && !titles[c].empty() && !titles[c].starts_with("Date and time");
        std::string title =
            titled ? std::string(titles[c]) : "Scan " + std::to_string(pairs.size() + 1);
        pairs.push_back({{c, title, *toVolt}, {c + 1, title, *toAmpere}, {title, {}, {}, {}}});
        ++c;
    }
    return pairs;
}

// Appends one line's points; a curve ends at its first empty pair.
void takeRow(std::vector<Pair> &pairs, const std::vector<std::string_view> &fields,
             std::size_t lineNumber, bool decimalComma) {
    for (Pair &pair : pairs) {
        auto field = [&fields](const TableColumn &column) {
            return column.index < fields.size() ? fields[column.index] : std::string_view{};
        };
        std::string_view e = field(pair.potential);
        std::string_view i = field(pair.current);
        if (e.empty() && i.empty()) {
            pair.ended = true;
            continue;
        }
        if (pair.ended)
            throw RuntimeError("line " + std::to_string(lineNumber) + ": the curve \"" +
                               pair.potential.title.substr(0, 40) + "\" goes on after a gap");
        pair.curve.potential.push_back(
            fieldNumber(e, decimalComma, lineNumber, pair.potential.title) * pair.potential.factor);
        pair.curve.current.push_back(fieldNumber(i, decimalComma, lineNumber, pair.current.title) *
                                     pair.current.factor);
    }
}

} // namespace

bool isPsTrace(const TextLines &lines) {
    return !lines.empty() &&
           (lines[0].starts_with("Date and time") || lines[0].starts_with("File date:"));
}

MeasuredFile readPsTrace(const TextLines &lines) {
    MeasuredFile file{"PSTrace", "", {}, false};
    if (lines[0].starts_with("File date:"))
        refuseTechnique(file.format, "impedance spectroscopy");
    std::size_t unitsAt = 1;
    char separator = ',';
    std::vector<std::string_view> units;
    for (; unitsAt < lines.size(); ++unitsAt) {
        if (lines[unitsAt].empty()) {
            unitsAt = lines.nextNonEmpty(unitsAt) - 1;
            continue;
        }
        separator = likelySeparator(lines[unitsAt]);
        units = splitFields(lines[unitsAt], separator);
        if (isUnitsLine(units))
            break;
    }
    if (unitsAt == lines.size())
        throw RuntimeError("the PSTrace file has no units line such as \"V,\xC2\xB5"
                           "A\"");
    // The curve titles stand above the units, or above a line of the measurements' times.
    std::size_t titlesAt = unitsAt - 1;
    if (titlesAt > 1 && lines[titlesAt].starts_with("Date and time measurement"))
        --titlesAt;
    std::vector<std::string_view> titles = splitFields(lines[titlesAt], separator);
    std::vector<Pair> pairs = columnPairs(units, titles);
    if (pairs.empty())
        refuseColumns(units);
    if (!titles.empty()) {
        std::string_view first = titles[0];
        file.technique = std::string(first.substr(0, first.find(':')));
    }

    for (std::size_t i = unitsAt + 1; i < lines.size() && !trimmed(lines[i]).empty(); ++i) {
        lines.poll(i);
        std::vector<std::string_view> fields = splitFields(lines[i], separator);
        if (fields.size() > units.size())
            refuseFieldCount(i + 1, fields.size(), units.size(), separator);
        takeRow(pairs, fields, i + 1, separator != ',');
    }
    for (Pair &pair : pairs)
        if (!pair.curve.potential.empty())
            file.curves.push_back(std::move(pair.curve));
    return file;
}

} // namespace kemvo
