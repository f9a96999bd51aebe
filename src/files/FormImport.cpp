#include "files/FormImport.h"

#include "files/CurveImport.h"
#include "files/ImportProgramme.h"
#include "files/TextTable.h"
#include "numerics/Sweeps.h"
#include "shell/Application.h"
#include "shell/CommandGuard.h"
#include "shell/RuntimeError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kemvo {
namespace {

constexpr const char *kAll = "all, concatenated";
// Scan rates taken from time axes differ a little from curve to curve; within this relative
// spread the concatenated curve keeps the first one.
constexpr double kSameRate = 0.02;

std::string shortNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value + 0.0); // -0 (a file's "-0.0000") reads 0
    return text;
}

} // namespace

FormImport::FormImport(Application &app)
    : Form("FormImport", "Import"), LabelFile(add<Label>("LabelFile", -1, "")),
      ListCurve(
          add<ComboBox>("ListCurve", -1, std::vector<std::string>{}, "", ControlKind::ListBox)),
      CheckProgramme(add<CheckBox>("CheckProgramme", -1, "Set the programme from the curve", 1)),
      CheckReverseSign(add<CheckBox>("CheckReverseSign", -1, "Reverse the current sign", 0)),
      OK(add<Button>("OK", -1, "OK")), Cancel(add<Button>("Cancel", -1, "Cancel")), app_(app) {
    setModal(true);
    OK.onClick = [this] { OK_Click(); };
    Cancel.onClick = [this] { Cancel_Click(); };
    // However the window closes, a file not taken at OK is dropped.
    visibilityChanged.connect([this] {
        if (!visible())
            file_.reset();
    });
}

std::string curveEntry(std::size_t number, const MeasuredCurve &curve) {
    auto [low, high] = std::minmax_element(curve.potential.begin(), curve.potential.end());
    std::string entry = std::to_string(number) + "  " + curve.label + "  " +
                        std::to_string(curve.potential.size()) + " points  " + shortNumber(*low) +
                        " to " + shortNumber(*high) + " V";
    if (curve.scanRate)
        entry += "  " + shortNumber(*curve.scanRate) + " V/s";
    return entry;
}

void FormImport::offer(MeasuredFile file) {
    file_ = std::move(file);
    listCurves();
    std::string technique = file_->technique.empty() ? "" : ", " + file_->technique;
    std::string caption = file_->format + " file" + technique + ": " +
                          std::to_string(file_->curves.size()) + " curves";
    if (file_->droppedCurves > 0)
        caption += "; " + std::to_string(file_->droppedCurves) +
                   (file_->droppedCurves == 1 ? " curve holds" : " curves hold") +
                   " fewer than two potentials and is left out";
    if (file_->omittedCurves > 0)
        caption += "; " + std::to_string(file_->omittedCurves) +
                   " more are left out, since at most " + std::to_string(kMaxCurves) +
                   " are listed";
    if (differentScanRates())
        caption += "; the curves were run at different scan rates (each is fitted on its own; "
                   "together they belong to a global fit)";
    LabelFile.setCaption(caption);
    // Real exports do not keep to their software's stated sign convention: nothing is reversed
    // unless the user asks.
    CheckReverseSign.setValue(0);
    CheckProgramme.setValue(1);
    show();
}

void FormImport::listCurves() {
    offered_ = file_->curves;
    if (!file_->concatenable) { // the columns of a curve table: no cycles, no "all"
        std::vector<std::string> entries;
        for (std::size_t k = 0; k < offered_.size(); ++k)
            entries.push_back(curveEntry(k + 1, offered_[k]));
        ListCurve.setItems(std::move(entries));
        ListCurve.setListIndex(0);
        return;
    }
    const MeasuredCurve all = concatenated();
    const std::vector<AxisSweep> cycles = cyclesOf(all.potential, 0.5 * programmeOf(all).eStep);
    // Where the file's curves are sweeps or segments, its cycles are offered as well.
    if (cycles.size() >= 2 && cycles.size() < offered_.size() &&
        offered_.size() + cycles.size() <= kMaxCurves)
        for (std::size_t c = 0; c < cycles.size(); ++c) {
            MeasuredCurve cycle{
                "cycle " + std::to_string(c + 1), {}, {}, all.scanRate, all.timeRate};
            for (int i = cycles[c].first; i <= cycles[c].last; ++i) {
                cycle.potential.push_back(all.potential[static_cast<std::size_t>(i - 1)]);
                cycle.current.push_back(all.current[static_cast<std::size_t>(i - 1)]);
                if (!all.time.empty())
                    cycle.time.push_back(all.time[static_cast<std::size_t>(i - 1)]);
            }
            offered_.push_back(std::move(cycle));
        }
    offered_.push_back(all);
    std::vector<std::string> entries;
    for (std::size_t k = 0; k < offered_.size(); ++k)
        entries.push_back(curveEntry(k + 1, offered_[k]));
    ListCurve.setItems(std::move(entries));
    ListCurve.setListIndex(0);
}

bool FormImport::differentScanRates() const {
    std::optional<double> first;
    for (const MeasuredCurve &curve : file_->curves) {
        if (!curve.scanRate)
            continue;
        if (!first)
            first = curve.scanRate;
        else if (std::fabs(*curve.scanRate - *first) > kSameRate * *first)
            return true;
    }
    return false;
}

MeasuredCurve FormImport::concatenated() const {
    MeasuredCurve all{kAll, {}, {}, file_->curves.front().scanRate, file_->curves.front().timeRate};
    bool timed = true; // the time column of every curve, one after the other
    for (const MeasuredCurve &curve : file_->curves) {
        if (all.timeRate && (!curve.timeRate || std::fabs(*curve.timeRate - *all.timeRate) >
                                                    kSameRate * *all.timeRate))
            all.timeRate.reset();
        all.potential.insert(all.potential.end(), curve.potential.begin(), curve.potential.end());
        all.current.insert(all.current.end(), curve.current.begin(), curve.current.end());
        // A time column that starts again with each curve gives no time to the whole.
        timed = timed && curve.time.size() == curve.potential.size() &&
                (all.time.empty() || curve.time.empty() || curve.time.front() >= all.time.back());
        if (timed)
            all.time.insert(all.time.end(), curve.time.begin(), curve.time.end());
        if (all.scanRate && (!curve.scanRate || std::fabs(*curve.scanRate - *all.scanRate) >
                                                    kSameRate * *all.scanRate))
            all.scanRate.reset();
    }
    if (!timed)
        all.time.clear();
    return all;
}

void FormImport::OK_Click() {
    if (!file_)
        return;
    int chosen = ListCurve.listIndex();
    if (chosen < 0)
        throw RuntimeError("ReadData Error: no curve is chosen");
    auto index = static_cast<std::size_t>(chosen);
    if (index >= offered_.size())
        throw RuntimeError("ReadData Error: no curve is chosen");
    MeasuredCurve curve = offered_[index];
    // A curve that cannot be thinned to the store's size is refused with the window still open,
    // so that the user can choose a cycle instead.
    std::size_t every = 1;
    if (!runTrapped(app_, "ReadData Error: ", "",
                    [&] { thinned(curve, static_cast<std::size_t>(kMaxPoints), every); }))
        return;
    ImportChoice choice{CheckProgramme.checked(), CheckReverseSign.checked()};
    MeasuredFile file = std::move(*file_);
    hide();
    bool taken = runTrapped(app_, "ReadData Error: ", "",
                            [&] { takeImportedCurve(app_, file, curve, choice); });
    if (taken)
        finishImport(app_);
}

} // namespace kemvo
