// The parameters window's fit entries: a tick box and a range for each value a fit may
// vary, with the ranges they start with and the ranges proposed around a typed value.

#include "setup/FormExpr.h"

#include "setup/DerivedValues.h"

#include <algorithm>
#include <string>

namespace kemvo {

using namespace derived;

void FormExpr::createFitEntries() {
    for (int i = 1; i <= kFitEntryCount; ++i) {
        const char *low = "1e-4";
        const char *high = "1e-2";
        if (i >= fitKs(1) && i <= fitKs(3)) {
            high = "100";
        } else if (i >= fitAlpha(1) && i <= fitAlpha(3)) {
            low = "0.4";
            high = "0.6";
        } else if (i >= fitE0(1) && i <= fitE0(3)) {
            low = "-0.2";
            high = i == fitE0(3) ? "0.3" : "0.2";
        } else if (i >= fitKf(1) && i <= fitKf(3)) {
            low = "1";
            high = "100";
        } else if (i >= fitKb(1) && i <= fitKb(3)) {
            low = "0.001";
            high = "1";
        } else if (i == fitCdl()) { // [F], some 20 uF per cm^2 of a metal electrode
            low = "0";
            high = "1e-3";
        } else if (i == fitRu()) { // [ohm]
            low = "0";
            high = "1000";
        } else if (i > fitConcentration(1)) {
            low = "0";
        }
        Frame &frame = i <= fitConcentration(4) ? Frame4
                       : i <= fitE0(3)          ? Frame2
                       : i <= fitKb(3)          ? Frame6
                                                : Frame3;
        in(frame, addTo(CheckFitted, "CheckFitted", i, "", i == 1 ? 1 : 0));
        in(frame, addTo(TextCmin, "TextCmin", i, low));
        in(frame, addTo(TextCmax, "TextCmax", i, high));
        windowMin_[static_cast<std::size_t>(i)] = low;
        windowMax_[static_cast<std::size_t>(i)] = high;
        bool rowShown = i <= fitConcentration(2) || i == fitKs(1) || i == fitAlpha(1) ||
                        i == fitE0(1) || i >= fitCdl();
        showFitEntry(i, rowShown);
    }
}

void FormExpr::CheckFitted_Click(int index) {
    if (CheckFitted(index).checked())
        proposeFitRange(index);
    showFitRange(index);
}

TextBox &FormExpr::fittedBox(int index) {
    if (index <= fitConcentration(4))
        return C(index);
    if (index <= fitKs(3))
        return ks(index - fitKs(1) + 1);
    if (index <= fitAlpha(3))
        return alph(index - fitAlpha(1) + 1);
    if (index <= fitE0(3))
        return Eze(index - fitE0(1) + 1);
    if (index <= fitKf(3))
        return kf(index - fitKf(1) + 1);
    if (index <= fitKb(3))
        return kb(index - fitKb(1) + 1);
    return index == fitCdl() ? Cdl : Ru;
}

void FormExpr::setFitRange(int index, const std::string &low, const std::string &high) {
    TextCmin(index).setText(low);
    TextCmax(index).setText(high);
    windowMin_[static_cast<std::size_t>(index)] = low;
    windowMax_[static_cast<std::size_t>(index)] = high;
}

// A fit starts from the typed value and refuses a value outside its range. Concentrations
// and rate constants get two decades either side, a standard potential 0.2 V either side, a
// transfer coefficient 0.2 either side within 0..1, the capacitance and the resistance 0 to
// ten times the value.
void FormExpr::proposeFitRange(int index) {
    bool potential = index >= fitE0(1) && index <= fitE0(3);
    bool alpha = index >= fitAlpha(1) && index <= fitAlpha(3);
    bool cell = index > fitKb(3);
    attempt([&] {
        double value = numberIn(fittedBox(index).text());
        double low = numberIn(TextCmin(index).text());
        double high = numberIn(TextCmax(index).text());
        if (value >= low && value <= high)
            return;
        if (potential)
            setFitRange(index, boxNumber(value - 0.2), boxNumber(value + 0.2));
        else if (alpha)
            setFitRange(index, boxNumber(std::max(0.0, value - 0.2)),
                        boxNumber(std::min(1.0, value + 0.2)));
        else if (cell && value > 0)
            setFitRange(index, "0", boxNumber(value * 10));
        else if (value > 0)
            setFitRange(index, boxNumber(value / 100), boxNumber(value * 100));
    });
}

void FormExpr::proposeUntypedFitRange(int index) {
    const auto i = static_cast<std::size_t>(index);
    if (TextCmin(index).text() == windowMin_[i] && TextCmax(index).text() == windowMax_[i])
        proposeFitRange(index);
}

} // namespace kemvo
