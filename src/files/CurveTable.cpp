#include "files/CurveTable.h"

#include "display/AxisCaption.h"
#include "files/TextTable.h"
#include "shell/RuntimeError.h"

#include <algorithm>
#include <cstdio>

namespace kemvo {
namespace {

constexpr std::string_view kUnitMark = " /";

std::string curveName(const ExperimentState &state, int k) {
    std::string name = state.curveLabel[static_cast<std::size_t>(k)];
    if (name.empty())
        name = "curve " + std::to_string(k);
    std::replace(name.begin(), name.end(), ',', ';');
    return name;
}

// "1.5000000000000001e-05": every digit a double carries.
std::string fullPrecision(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", checkedFinite(value));
    return text;
}

bool isPotentialTitle(std::string_view title) {
    return title.starts_with("E /") || title.starts_with("E × ") || title.starts_with("-E /");
}

std::string_view nameOf(std::string_view title) {
    auto mark = title.find(kUnitMark);
    return trimmed(mark == std::string_view::npos ? title : title.substr(0, mark));
}

double factorOf(std::string_view title, bool potential) {
    auto mark = title.find(kUnitMark);
    if (mark == std::string_view::npos)
        return 1;
    std::string_view unit = trimmed(title.substr(mark + kUnitMark.size()));
    auto factor = potential ? potentialUnitFactor(unit) : currentUnitFactor(unit);
    return factor.value_or(1);
}

} // namespace

std::vector<std::string> curveTableTitles(const ExperimentState &state,
                                          const std::string &quantity) {
    std::vector<std::string> titles{xAxisCaption(state.potentialFactor)};
    for (int k = 1; k <= state.curveCount; ++k) {
        const std::string caption =
            yAxisCaption(quantity, state.curveHistory[static_cast<std::size_t>(k)]);
        const auto mark = caption.find(kUnitMark);
        titles.push_back(curveName(state, k) +
                         (mark == std::string::npos ? "" : caption.substr(mark)));
    }
    return titles;
}

void writeCurveTable(std::ostream &out, const ExperimentState &state, const CurveStore &store,
                     const std::string &quantity) {
    std::vector<std::string> titles = curveTableTitles(state, quantity);
    for (std::size_t c = 0; c < titles.size(); ++c)
        out << (c == 0 ? "" : ",") << titles[c];
    out << '\n';
    for (int i = std::max(state.firstPoint, 1); i <= state.lastPoint; ++i) {
        out << fullPrecision(store.potential(i));
        for (int k = 1; k <= state.curveCount; ++k)
            out << ',' << fullPrecision(store.curves(i, k));
        out << '\n';
    }
}

bool isCurveTable(const TextLines &lines) {
    if (lines.empty())
        return false;
    std::vector<std::string_view> titles = splitFields(lines[0], ',');
    return titles.size() >= 2 && isPotentialTitle(titles[0]);
}

MeasuredFile readCurveTable(const TextLines &lines) {
    std::vector<std::string_view> titles = splitFields(lines[0], ',');
    std::vector<TableColumn> columns;
    for (std::size_t c = 0; c < titles.size(); ++c)
        columns.push_back(
            {c, std::string(titles[c]), factorOf(titles[c], isPotentialTitle(titles[c]))});
    std::vector<std::vector<double>> values = readColumns(lines, 1, lines.size(), ',', columns);

    MeasuredFile file{"Kemvo curve table", "", {}, false};
    file.concatenable = false;
    std::size_t axis = 0;
    for (std::size_t c = 1; c < titles.size(); ++c) {
        if (isPotentialTitle(titles[c])) {
            axis = c;
            continue;
        }
        file.curves.push_back(
            MeasuredCurve{std::string(nameOf(titles[c])), values[axis], values[c], std::nullopt});
    }
    if (file.curves.empty())
        refuseColumns(titles);
    return file;
}

} // namespace kemvo
