// EC-Lab text export (.mpt): "EC-Lab ASCII FILE", then "Nb header lines : N" where N counts
// every header line and line N holds the column titles; the technique on line 4; TAB-separated
// data whose current is in mA; cycles numbered by "cycle number", sequences started where
// "Ns changes" is 1. The settings in the header stand one to a line, the name padded to a
// column and the value (one per sequence) after it: "dE/dt               20,000",
// "dE/dt unit          mV/s", "Ei (V)              0,300" followed by "vs.  Ref" (or "Eoc",
// relative to the open circuit potential, which the file does not state).

#include "files/InstrumentFormats.h"
#include "files/TextTable.h"
#include "files/TimeAxis.h"
#include "shell/RuntimeError.h"

#include <charconv>
#include <cmath>
#include <utility>

namespace kemvo {
namespace {

constexpr std::size_t kTechniqueLine = 3;
// Keys of cycles within sequences: sequence * kSequenceKey + cycle number.
constexpr double kSequenceKey = 1e6;

std::size_t headerLineCount(const TextLines &lines) {
    std::string_view line = lines.size() > 1 ? lines[1] : std::string_view{};
    std::size_t colon = line.find(':');
    std::string_view number =
        colon == std::string_view::npos ? "" : trimmed(line.substr(colon + 1));
    std::size_t count = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), count);
    if (!line.starts_with("Nb header lines") || error != std::errc() ||
        end != number.data() + number.size())
        throw RuntimeError("line 2 of the EC-Lab file does not give the number of header lines");
    if (count <= kTechniqueLine || count > lines.size())
        throw RuntimeError("the EC-Lab file names " + std::to_string(count) +
                           " header lines but has " + std::to_string(lines.size()) + " lines");
    return count;
}

std::optional<TableColumn> currentColumn(const std::vector<std::string_view> &titles) {
    for (std::size_t c = 0; c < titles.size(); ++c) {
        std::string_view title = titles[c];
        bool current = title.starts_with("<I>/") || title.starts_with("I/");
        if (auto factor = currentUnitFactor(unitOf(title)); current && factor)
            return TableColumn{c, std::string(title), *factor};
    }
    return std::nullopt;
}

std::optional<TableColumn> namedColumn(const std::vector<std::string_view> &titles,
                                       std::string_view name, double factor = 1) {
    for (std::size_t c = 0; c < titles.size(); ++c)
        if (titles[c] == name)
            return TableColumn{c, std::string(name), factor};
    return std::nullopt;
}

// A key per row that changes where a new cycle or a new sequence starts.
std::vector<double> cycleKeys(std::size_t rows, const std::vector<double> &cycle,
                              const std::vector<double> &changes, bool &severalSequences) {
    std::vector<double> keys(rows);
    double sequence = 0;
    for (std::size_t i = 0; i < rows; ++i) {
        if (i > 0 && !changes.empty() && changes[i] == 1)
            ++sequence;
        keys[i] = sequence * kSequenceKey + (cycle.empty() ? 0 : cycle[i]);
    }
    severalSequences = sequence > 0;
    return keys;
}

// The first value of a setting line "name   value ...", if the line names that setting.
std::optional<std::string_view> settingValue(std::string_view line, std::string_view name) {
    line = trimmed(line);
    if (!line.starts_with(name) || line.size() == name.size() ||
        (line[name.size()] != ' ' && line[name.size()] != '\t'))
        return std::nullopt;
    std::string_view rest = trimmed(line.substr(name.size()));
    return rest.substr(0, rest.find_first_of(" \t"));
}

// A setting's number; nothing where it is no number (a header is read leniently).
std::optional<double> settingNumber(std::string_view value, std::size_t line) {
    try {
        double number = fieldNumber(value, true, line, "header");
        return std::isfinite(number) ? std::optional<double>(number) : std::nullopt;
    } catch (const RuntimeError &) {
        return std::nullopt;
    }
}

// The scan rate and E initial the header states [V/s, V]; E initial only where it is given
// against the reference electrode.
struct EcLabSettings {
    std::optional<double> scanRate;
    std::optional<double> initialPotential;
};

EcLabSettings settingsOf(const TextLines &lines, std::size_t headerLines) {
    EcLabSettings settings;
    std::optional<double> rate;
    double rateFactor = 0;
    for (std::size_t i = 0; i + 1 < headerLines; ++i) {
        if (auto value = settingValue(lines[i], "dE/dt"); value && !rate)
            rate = settingNumber(*value, i + 1);
        if (auto unit = settingValue(lines[i], "dE/dt unit"); unit && rateFactor == 0)
            rateFactor = *unit == "mV/s"     ? 1e-3
                         : *unit == "V/s"    ? 1
                         : *unit == "mV/min" ? 1e-3 / 60
                         : *unit == "V/min"  ? 1.0 / 60
                                             : -1;
        auto initial = settingValue(lines[i], "Ei (V)");
        if (!initial || settings.initialPotential)
            continue;
        auto against = settingValue(lines[i + 1], "vs.");
        if (!against || *against == "Ref")
            settings.initialPotential = settingNumber(*initial, i + 1);
    }
    if (rate && *rate > 0 && rateFactor > 0)
        settings.scanRate = *rate * rateFactor;
    return settings;
}

} // namespace

bool isEcLab(const TextLines &lines) {
    return !lines.empty() && trimmed(lines[0]) == "EC-Lab ASCII FILE";
}

MeasuredFile readEcLab(const TextLines &lines) {
    const std::size_t headerLines = headerLineCount(lines);
    MeasuredFile file{"EC-Lab", std::string(trimmed(lines[kTechniqueLine])), {}, false};
    if (!containsNoCase(file.technique, "voltamm"))
        refuseTechnique(file.format, file.technique);

    std::vector<std::string_view> titles = splitFields(lines[headerLines - 1], '\t');
    // The working electrode's potential, also as averaged over a step ("<Ewe>/V").
    std::optional<TableColumn> potential;
    for (auto [name, factor] : {std::pair{"Ewe/V", 1.0}, std::pair{"<Ewe>/V", 1.0},
                                std::pair{"Ewe/mV", 1e-3}, std::pair{"<Ewe>/mV", 1e-3}})
        if (!potential)
            potential = namedColumn(titles, name, factor);
    std::optional<TableColumn> current = currentColumn(titles);
    if (!potential || !current)
        refuseColumns(titles);
    std::vector<TableColumn> columns = {*potential, *current};
    auto add = [&columns](const std::optional<TableColumn> &column) {
        if (column)
            columns.push_back(*column);
        return column ? columns.size() - 1 : 0;
    };
    std::size_t timeAt = add(namedColumn(titles, "time/s"));
    std::size_t cycleAt = add(namedColumn(titles, "cycle number"));
    std::size_t changesAt = add(namedColumn(titles, "Ns changes"));

    auto values = readColumns(lines, headerLines, lines.size(), '\t', columns);
    auto column = [&values](std::size_t at) { return at > 0 ? values[at] : std::vector<double>{}; };
    bool severalSequences = false;
    std::vector<double> keys =
        cycleKeys(values[0].size(), column(cycleAt), column(changesAt), severalSequences);
    file.curves = curvesByKey(
        values[0], values[1], column(timeAt), keys,
        [&](double key) {
            std::string label =
                cycleAt > 0 ? "cycle " + keyText(std::fmod(key, kSequenceKey)) : "all";
            if (!severalSequences)
                return label;
            return "sequence " + keyText(std::floor(key / kSequenceKey) + 1) + ", " + label;
        },
        file.omittedCurves);
    const EcLabSettings settings = settingsOf(lines, headerLines);
    stateScanRate(file.curves, settings.scanRate);
    file.initialPotential = settings.initialPotential;
    return file;
}

} // namespace kemvo
