// NOVA ASCII export: no metadata; line 1 holds the column titles ("Potential applied (V)",
// "WE(1).Potential (V)", "WE(1).Current (A)", "Scan", "Time (s)", ...), separated by TAB, ";"
// or "," (the most frequent on that line), ";" usually with a decimal comma. "Scan" numbers the
// cycles. The set potential is the programme's staircase and is preferred to the measured one.

#include "files/InstrumentFormats.h"
#include "files/TextTable.h"

namespace kemvo {
namespace {

constexpr std::string_view kCurrent = "WE(1).Current (A)";
constexpr std::string_view kApplied = "Potential applied (V)";
constexpr std::string_view kMeasured = "WE(1).Potential (V)";

std::optional<TableColumn> named(const std::vector<std::string_view> &titles,
                                 std::string_view name) {
    for (std::size_t c = 0; c < titles.size(); ++c)
        if (titles[c] == name)
            return TableColumn{c, std::string(name), 1};
    return std::nullopt;
}

} // namespace

bool isNova(const TextLines &lines) {
    if (lines.empty())
        return false;
    std::string_view title = lines[0];
    return title.find(kCurrent) != std::string_view::npos ||
           title.find(kApplied) != std::string_view::npos;
}

MeasuredFile readNova(const TextLines &lines) {
    const char separator = likelySeparator(lines[0]);
    std::vector<std::string_view> titles = splitFields(lines[0], separator);
    auto potential = named(titles, kApplied);
    if (!potential)
        potential = named(titles, kMeasured);
    auto current = named(titles, kCurrent);
    if (!potential || !current)
        refuseColumns(titles);
    std::vector<TableColumn> columns = {*potential, *current};
    auto time = named(titles, "Time (s)");
    auto scan = named(titles, "Scan");
    for (const auto &extra : {time, scan})
        if (extra)
            columns.push_back(*extra);

    auto values = readColumns(lines, 1, lines.size(), separator, columns);
    std::vector<double> noTime;
    const std::vector<double> &times = time ? values[2] : noTime;
    std::vector<double> oneScan;
    if (!scan)
        oneScan.assign(values[0].size(), 1);
    const std::vector<double> &scans = scan ? values.back() : oneScan;
    MeasuredFile file{"NOVA", "", {}, false};
    file.curves = curvesByKey(
        values[0], values[1], times, scans, [](double key) { return "Scan " + keyText(key); },
        file.omittedCurves);
    return file;
}

} // namespace kemvo
