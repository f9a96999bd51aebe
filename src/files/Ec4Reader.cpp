// EC4 text export: line 1 "EC4 File used by Nordic Electrochemistry Aps", a setup block, then the
// TAB-separated titles "Time (s)  E (V)  i (A)" and the data; anodic current positive. The
// cycle's sweeps are not marked: the curve is split where the potential turns back. A settling
// point may come before the scan.

#include "files/ImportProgramme.h"
#include "files/InstrumentFormats.h"
#include "files/TextTable.h"
#include "files/TimeAxis.h"
#include "shell/RuntimeError.h"

#include <algorithm>
#include <utility>

namespace kemvo {
namespace {

// The sweeps of the scan, "sweep 1", "sweep 2", ...: the points before the steady scan (a
// settling point) go with the first, so that the import leaves them out with a word and they
// do not make a sweep of their own.
std::vector<MeasuredCurve> sweepsAfterSettling(const MeasuredCurve &curve) {
    const std::size_t settling = pointsBeforeTheScan(curve.potential);
    MeasuredCurve steady = curve;
    auto cut = [settling](std::vector<double> &values) {
        if (!values.empty())
            values.erase(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(settling));
    };
    cut(steady.potential);
    cut(steady.current);
    cut(steady.time);
    std::vector<MeasuredCurve> sweeps = splitIntoSweeps(steady, "sweep");
    if (sweeps.empty()) // no rows: the import says so
        return {curve};
    MeasuredCurve &first = sweeps.front();
    auto head = [settling](const std::vector<double> &from, std::vector<double> &to) {
        if (!from.empty())
            to.insert(to.begin(), from.begin(),
                      from.begin() + static_cast<std::ptrdiff_t>(settling));
    };
    head(curve.potential, first.potential);
    head(curve.current, first.current);
    if (!first.time.empty())
        head(curve.time, first.time);
    if (sweeps.size() == 1)
        first.label = curve.label;
    return sweeps;
}

} // namespace

bool isEc4(const TextLines &lines) {
    return !lines.empty() && lines[0].starts_with("EC4 File");
}

MeasuredFile readEc4(const TextLines &lines) {
    for (std::size_t at = lines.nextNonEmpty(1); at < lines.size();
         at = lines.nextNonEmpty(at + 1)) {
        const char separator = likelySeparator(lines[at]);
        std::vector<std::string_view> titles = splitFields(lines[at], separator);
        auto potential = columnTitled(titles, "E (", false);
        auto current = columnTitled(titles, "i (", true);
        if (!potential || !current)
            continue;
        std::vector<TableColumn> columns = {*potential, *current};
        auto time = std::find(titles.begin(), titles.end(), "Time (s)");
        if (time != titles.end())
            columns.push_back({static_cast<std::size_t>(time - titles.begin()), "Time (s)", 1});
        auto values = readColumns(lines, at + 1, lines.size(), separator, columns);
        MeasuredCurve curve{"scan", std::move(values[0]), std::move(values[1]), std::nullopt};
        if (columns.size() == 3) {
            curve.scanRate = scanRateFromTime(curve.potential, values[2]);
            curve.time = std::move(values[2]);
        }
        return MeasuredFile{"EC4", "", sweepsAfterSettling(curve), false};
    }
    throw RuntimeError("the EC4 file has no title line with \"E (V)\" and \"i (A)\"");
}

} // namespace kemvo
