#pragma once
// Reading the columns of an instrument's text export: fields, numbers with a decimal point or
// comma, units of the column titles, and the sweeps of a potential axis. A fault names the line
// (counted from 1) and the column, so that a user can find it in the file.

#include "files/MeasuredCurve.h"
#include "files/TextDecoding.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kemvo {

std::string_view trimmed(std::string_view text);

// The fields of a line, each trimmed. With the separator ',' a comma followed by blanks is one
// separator (", "). Trailing empty fields (a title line's trailing TAB) are dropped.
std::vector<std::string_view> splitFields(std::string_view line, char separator);

// The separator among TAB, ';' and ',' that occurs most often in the line (TAB on a tie).
char likelySeparator(std::string_view line);

// A column's number: where the separator is not a comma, a comma is the decimal comma.
// Raises RuntimeError "line 12, column "Ewe/V": "abc" is not a number" (also for a value too
// large for a double), so that a damaged row names its place.
double fieldNumber(std::string_view field, bool decimalComma, std::size_t lineNumber,
                   std::string_view column);

// The factor from a unit to A or V: A, mA, µA (micro sign or Greek mu), uA, nA, pA; V, mV.
std::optional<double> currentUnitFactor(std::string_view unit);
std::optional<double> potentialUnitFactor(std::string_view unit);

// The titles as a message lists them: "time/s", "Ewe/V", "I/mA".
std::string columnList(const std::vector<std::string_view> &titles);

// "this EC-Lab file holds Chronoamperometry, not a voltammogram"; for an empty technique,
// "this EC-Lab file names no technique where its software writes one, ...".
[[noreturn]] void refuseTechnique(const std::string &format, std::string_view technique);
// Names the columns found when no potential or current column is usable.
[[noreturn]] void refuseColumns(const std::vector<std::string_view> &titles);

// The first index of each sweep of a potential axis: a new sweep starts after a vertex, where
// the potential has turned back by more than a small part of the range, so that noise on a
// measured potential does not split a sweep.
std::vector<std::size_t> sweepStarts(const std::vector<double> &potential);

// Splits a curve at its vertices into sweeps labelled "<name> 1", "<name> 2", ...
std::vector<MeasuredCurve> splitIntoSweeps(const MeasuredCurve &curve, const std::string &name);

// The unit of a column title: "mA" of "<I>/mA", "A" of "WE(1).Current (A)".
std::string_view unitOf(std::string_view title);

// A column to read: its place on the line, its title for messages, the factor to A or V.
struct TableColumn {
    std::size_t index = 0;
    std::string title;
    double factor = 1;
};

// The first column whose title starts with name and has a unit of current (or, with current
// false, of potential) that the program knows; nothing when there is none.
std::optional<TableColumn> columnTitled(const std::vector<std::string_view> &titles,
                                        std::string_view name, bool current);

// The numbers of the columns on lines [first, end) (indices into lines), one vector per
// column; blank lines are skipped. Where the separator is not a comma, a comma in a number is
// its decimal comma. A missing or damaged field, or a row whose count of fields differs from
// that of the first row (a decimal comma in a file separated by commas splits a number in
// two), raises RuntimeError naming its line.
std::vector<std::vector<double>> readColumns(const TextLines &lines, std::size_t first,
                                             std::size_t end, char separator,
                                             const std::vector<TableColumn> &columns);

// The most curves a file offers: a file whose key changes on every few rows would otherwise
// offer millions of curves, each with its own bookkeeping.
inline constexpr std::size_t kMaxCurves = 10000;

// Consecutive rows with the same key form one curve, labelled by labelOf(key); each curve's scan
// rate comes from the time column where there is one. Past kMaxCurves curves the rows are not
// kept, and `more` receives how many curves were left out (0 when none).
std::vector<MeasuredCurve>
curvesByKey(const std::vector<double> &potential, const std::vector<double> &current,
            const std::vector<double> &time, const std::vector<double> &key,
            const std::function<std::string(double)> &labelOf, std::size_t &more);

// The refusal of a row with `fields` fields where the file's rows have `expected`.
[[noreturn]] void refuseFieldCount(std::size_t lineNumber, std::size_t fields, std::size_t expected,
                                   char separator);

// "3" for 3.0, as a cycle or scan number is written in a label.
std::string keyText(double key);

// Whether text contains word, ignoring ASCII case.
bool containsNoCase(std::string_view text, std::string_view word);

} // namespace kemvo
