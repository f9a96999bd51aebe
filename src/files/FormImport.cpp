#include "files/FormImport.h"

#include "files/CurveImport.h"
#include "files/ImportProgramme.h"
#include "files/TextTable.h"
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
    std::snprintf(text, sizeof text, "%.4g", value);
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
    std::vector<std::string> entries;
    for (std::size_t k = 0; k < file.curves.size(); ++k)
        entries.push_back(curveEntry(k + 1, file.curves[k]));
    file_ = std::move(file);
    if (file_->concatenable)
        entries.push_back(curveEntry(entries.size() + 1, concatenated()));
    ListCurve.setItems(std::move(entries));
    ListCurve.setListIndex(0);
    std::string technique = file_->technique.empty() ? "" : ", " + file_->technique;
    std::string caption = file_->format + " file" + technique + ": " +
                          std::to_string(file_->curves.size()) + " curves";
    if (file_->omittedCurves > 0)
        caption += "; " + std::to_string(file_->omittedCurves) +
                   " more are left out, since at most " + std::to_string(kMaxCurves) +
                   " are listed";
    LabelFile.setCaption(caption);
    CheckReverseSign.setValue(file_->reductionPositive ? 1 : 0);
    CheckProgramme.setValue(1);
    show();
}

MeasuredCurve FormImport::concatenated() const {
    MeasuredCurve all{kAll, {}, {}, file_->curves.front().scanRate};
    for (const MeasuredCurve &curve : file_->curves) {
        all.potential.insert(all.potential.end(), curve.potential.begin(), curve.potential.end());
        all.current.insert(all.current.end(), curve.current.begin(), curve.current.end());
        if (all.scanRate && (!curve.scanRate || std::fabs(*curve.scanRate - *all.scanRate) >
                                                    kSameRate * *all.scanRate))
            all.scanRate.reset();
    }
    return all;
}

void FormImport::OK_Click() {
    if (!file_)
        return;
    int chosen = ListCurve.listIndex();
    if (chosen < 0)
        throw RuntimeError("ReadData Error: no curve is chosen");
    auto index = static_cast<std::size_t>(chosen);
    MeasuredCurve curve = index < file_->curves.size() ? file_->curves[index] : concatenated();
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
