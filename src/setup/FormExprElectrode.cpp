// The parameters window's electrode: the area and volume that follow from the radius and
// length typed for each electrode kind.

#include "setup/FormExpr.h"

#include "setup/Catalogue.h"
#include "setup/DerivedValues.h"
#include "shell/Application.h"
#include "shell/Constants.h"

#include <optional>

namespace kemvo {

using namespace derived;

void FormExpr::optElectrode_Click(int index) {
    app_.state().electrode = static_cast<Int16>(index);
    applyElectrodeRows();
    radius_Change();
}

void FormExpr::radius_Change() {
    ExperimentState &state = app_.state();
    const double R = state.radius;
    const double Lambda = state.length;
    const auto kind = static_cast<Electrode>(state.electrode);
    std::optional<double> computedArea;
    attempt([&] {
        double r = numberIn(radius.text());
        double L = numberIn(leng.text());
        double area = 0;
        switch (kind) {
        case Electrode::Spherical:
            area = 4 * kPi * r * r;
            break;
        case Electrode::Hemispherical:
            area = 2 * kPi * r * r;
            break;
        case Electrode::Microdisc:
        case Electrode::RotatingDisk:
            area = kPi * r * r;
            break;
        case Electrode::Cylindrical:
            area = kPi * r * r + 2 * kPi * r * L;
            break;
        case Electrode::Hemicylindrical:
            area = 0.5 * kPi * r * r + kPi * r * L;
            break;
        default:
            return; // planar and thin film: the area is typed
        }
        ARE.setText(formatNumber(checkedFinite(area), "0.##e-0"));
        computedArea = area;
    });
    attempt([&] {
        double volume = 0;
        switch (kind) {
        case Electrode::Spherical:
            volume = 4 * kPi * R * R * R / 3;
            break;
        case Electrode::Hemispherical:
            volume = 2 * kPi * R * R * R / 3;
            break;
        case Electrode::Cylindrical:
            volume = kPi * R * R * Lambda;
            break;
        case Electrode::Hemicylindrical:
            volume = 0.5 * kPi * R * R * Lambda;
            break;
        default:
            volume = numberIn(ARE.text()) * Lambda;
            break;
        }
        state.electrodeVolume = checkedFinite(volume);
    });
    // The state takes the computed area itself; the box shows it rounded.
    attempt([&] { state.area = computedArea ? *computedArea : numberIn(ARE.text()); });
}

} // namespace kemvo
