// EC4 text export: line 1 "EC4 File used by Nordic Electrochemistry Aps", a setup block, then the
// TAB-separated titles "Time (s)  E (V)  i (A)" and the data; anodic current positive.

#include "files/InstrumentFormats.h"
#include "files/TextTable.h"
#include "shell/RuntimeError.h"

#include <algorithm>
#include <utility>

namespace kemvo {
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
        if (columns.size() == 3)
            curve.scanRate = scanRateFromTime(curve.potential, values[2]);
        return MeasuredFile{"EC4", "", {std::move(curve)}, false};
    }
    throw RuntimeError("the EC4 file has no title line with \"E (V)\" and \"i (A)\"");
}

} // namespace kemvo
