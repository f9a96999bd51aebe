#include "files/TextTable.h"

#include "files/DataFileReader.h"
#include "files/TimeAxis.h"
#include "shell/NumberText.h"
#include "shell/RuntimeError.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <utility>

namespace kemvo {
namespace {

// A vertex is a turn back by more than this part of the potential range. Potentiostat noise is
// well below 2 % of a voltammogram's range, and no real sweep is that short.
constexpr double kVertexFraction = 0.02;

std::optional<double> unitFactor(std::string_view unit,
                                 std::initializer_list<std::pair<std::string_view, double>> table) {
    unit = trimmed(unit);
    for (const auto &[name, factor] : table)
        if (unit == name)
            return factor;
    return std::nullopt;
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string_view trimmed(std::string_view text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::vector<std::string_view> splitFields(std::string_view line, char separator) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        std::size_t end = line.find(separator, start);
        fields.push_back(trimmed(line.substr(start, end - start)));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    while (!fields.empty() && fields.back().empty())
        fields.pop_back();
    return fields;
}

char likelySeparator(std::string_view line) {
    char best = '\t';
    std::ptrdiff_t most = std::count(line.begin(), line.end(), '\t');
    for (char candidate : {';', ','}) {
        std::ptrdiff_t count = std::count(line.begin(), line.end(), candidate);
        if (count > most) {
            most = count;
            best = candidate;
        }
    }
    return best;
}

double fieldNumber(std::string_view field, bool decimalComma, std::size_t lineNumber,
                   std::string_view column) {
    std::string text(field);
    if (decimalComma)
        std::replace(text.begin(), text.end(), ',', '.');
    auto fail = [&](const std::string &what) {
        throw RuntimeError("line " + std::to_string(lineNumber) + ", column \"" +
                           shownText(column, 40) + "\": " + quoteItem(std::string(field)) + what);
    };
    if (text.empty())
        fail(" is empty, not a number");
    if (!isNumber(text))
        fail(" is not a number");
    try {
        return strictValue(text);
    } catch (const RuntimeError &) {
        fail(" is too large");
    }
    return 0; // not reached: fail throws
}

std::optional<double> currentUnitFactor(std::string_view unit) {
    return unitFactor(unit, {{"A", 1.0},
                             {"mA", 1e-3},
                             {"\xC2\xB5"
                              "A",
                              1e-6}, // micro sign
                             {"\xCE\xBC"
                              "A",
                              1e-6}, // Greek mu
                             {"uA", 1e-6},
                             {"nA", 1e-9},
                             {"pA", 1e-12}});
}

std::optional<double> potentialUnitFactor(std::string_view unit) {
    return unitFactor(unit, {{"V", 1.0}, {"mV", 1e-3}});
}

std::string columnList(const std::vector<std::string_view> &titles) {
    std::string list;
    for (std::string_view title : titles) {
        if (!list.empty())
            list += ", ";
        list += '"';
        list += shownText(title, 40);
        list += '"';
        if (list.size() > 200) {
            list += ", ...";
            break;
        }
    }
    return list.empty() ? "none" : list;
}

void refuseTechnique(const std::string &format, std::string_view technique) {
    if (trimmed(technique).empty())
        throw RuntimeError("this " + format +
                           " file names no technique where its software writes one, so it is "
                           "not known to hold a voltammogram");
    throw RuntimeError("this " + format + " file holds " + shownText(technique, 80) +
                       ", not a voltammogram");
}

void refuseColumns(const std::vector<std::string_view> &titles) {
    throw RuntimeError("no usable potential and current columns; the columns found are " +
                       columnList(titles));
}

std::vector<std::size_t> sweepStarts(const std::vector<double> &potential) {
    std::vector<std::size_t> starts;
    if (potential.empty())
        return starts;
    starts.push_back(0);
    auto [low, high] = std::minmax_element(potential.begin(), potential.end());
    const double turn = kVertexFraction * (*high - *low);
    if (!(turn > 0))
        return starts;
    int direction = 0;
    std::size_t extreme = 0; // the point furthest along the present sweep
    for (std::size_t i = 1; i < potential.size(); ++i) {
        double travel = potential[i] - potential[extreme];
        if (direction == 0) {
            if (std::fabs(potential[i] - potential[0]) > turn) {
                direction = potential[i] > potential[0] ? 1 : -1;
                extreme = i;
            }
        } else if (travel * direction > 0) {
            extreme = i;
        } else if (-travel * direction > turn) {
            starts.push_back(extreme + 1);
            direction = -direction;
            std::size_t vertex = extreme;
            extreme = i;
            for (std::size_t k = vertex + 1; k < i; ++k)
                if ((potential[k] - potential[extreme]) * direction > 0)
                    extreme = k;
        }
    }
    return starts;
}

std::vector<MeasuredCurve> splitIntoSweeps(const MeasuredCurve &curve, const std::string &name) {
    std::vector<std::size_t> starts = sweepStarts(curve.potential);
    starts.push_back(curve.potential.size());
    std::vector<MeasuredCurve> sweeps;
    for (std::size_t s = 0; s + 1 < starts.size(); ++s) {
        MeasuredCurve sweep;
        sweep.label = name + " " + std::to_string(s + 1);
        auto from = static_cast<std::ptrdiff_t>(starts[s]);
        auto to = static_cast<std::ptrdiff_t>(starts[s + 1]);
        sweep.potential.assign(curve.potential.begin() + from, curve.potential.begin() + to);
        sweep.current.assign(curve.current.begin() + from, curve.current.begin() + to);
        if (curve.time.size() == curve.potential.size())
            sweep.time.assign(curve.time.begin() + from, curve.time.begin() + to);
        sweep.scanRate = curve.scanRate;
        sweep.timeRate = curve.timeRate;
        sweeps.push_back(std::move(sweep));
    }
    return sweeps;
}

bool containsNoCase(std::string_view text, std::string_view word) {
    auto found = std::search(text.begin(), text.end(), word.begin(), word.end(),
                             [](char a, char b) { return lowerAscii(a) == lowerAscii(b); });
    return found != text.end();
}

} // namespace kemvo

namespace kemvo {

std::string_view unitOf(std::string_view title) {
    title = trimmed(title);
    if (title.ends_with(')')) {
        std::size_t open = title.rfind('(');
        if (open != std::string_view::npos)
            return trimmed(title.substr(open + 1, title.size() - open - 2));
    }
    std::size_t slash = title.rfind('/');
    return slash == std::string_view::npos ? std::string_view{} : trimmed(title.substr(slash + 1));
}

std::optional<TableColumn> columnTitled(const std::vector<std::string_view> &titles,
                                        std::string_view name, bool current) {
    for (std::size_t c = 0; c < titles.size(); ++c) {
        if (!titles[c].starts_with(name))
            continue;
        std::string_view unit = unitOf(titles[c]);
        auto factor = current ? currentUnitFactor(unit) : potentialUnitFactor(unit);
        if (factor)
            return TableColumn{c, std::string(titles[c]), *factor};
    }
    return std::nullopt;
}

void refuseFieldCount(std::size_t lineNumber, std::size_t fields, std::size_t expected,
                      char separator) {
    std::string hint =
        separator == ',' ? "; a decimal comma in a file separated by commas splits a number" : "";
    throw RuntimeError("line " + std::to_string(lineNumber) + " has " + std::to_string(fields) +
                       " fields where the file's rows have " + std::to_string(expected) + hint);
}

std::vector<std::vector<double>> readColumns(const TextLines &lines, std::size_t first,
                                             std::size_t end, char separator,
                                             const std::vector<TableColumn> &columns) {
    std::vector<std::vector<double>> values(columns.size());
    for (std::vector<double> &column : values)
        column.reserve(lines.rowsBetween(first, end));
    const bool decimalComma = separator != ',';
    std::size_t expected = 0; // the fields of the first row
    for (std::size_t i = lines.nextNonEmpty(first); i < end && i < lines.size();
         i = lines.nextNonEmpty(i + 1)) {
        lines.poll(i);
        if (trimmed(lines[i]).empty())
            continue;
        std::vector<std::string_view> fields = splitFields(lines[i], separator);
        if (expected == 0)
            expected = fields.size();
        else if (fields.size() != expected)
            refuseFieldCount(i + 1, fields.size(), expected, separator);
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const TableColumn &column = columns[c];
            std::string_view field = column.index < fields.size() ? fields[column.index] : "";
            values[c].push_back(fieldNumber(field, decimalComma, i + 1, column.title) *
                                column.factor);
        }
    }
    return values;
}

std::vector<MeasuredCurve>
curvesByKey(const std::vector<double> &potential, const std::vector<double> &current,
            const std::vector<double> &time, const std::vector<double> &key,
            const std::function<std::string(double)> &labelOf, std::size_t &more) {
    std::vector<MeasuredCurve> curves;
    std::vector<double> curveTime;
    more = 0;
    auto close = [&] {
        if (!curves.empty() && !time.empty()) {
            curves.back().scanRate = scanRateFromTime(curves.back().potential, curveTime);
            curves.back().time = std::move(curveTime);
        }
        curveTime.clear();
    };
    for (std::size_t i = 0; i < potential.size(); ++i) {
        if (i == 0 || key[i] != key[i - 1]) {
            if (curves.size() == kMaxCurves || more > 0) {
                if (more == 0)
                    close();
                ++more;
                continue;
            }
            close();
            curves.emplace_back();
            curves.back().label = labelOf(key[i]);
        }
        if (more > 0)
            continue;
        curves.back().potential.push_back(potential[i]);
        curves.back().current.push_back(current[i]);
        if (!time.empty())
            curveTime.push_back(time[i]);
    }
    if (more == 0)
        close();
    return curves;
}

std::string keyText(double key) {
    if (std::fabs(key) < 1e9 && key == std::nearbyint(key))
        return std::to_string(static_cast<long long>(key));
    return generalNumber(key);
}

} // namespace kemvo
