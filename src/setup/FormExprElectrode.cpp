// The parameters window's electrode: the area and volume that follow from the radius and
// length typed for each electrode kind.

#include "setup/FormExpr.h"

#include "setup/Catalogue.h"
#include "setup/DerivedValues.h"
#include "shell/Application.h"
#include "shell/Constants.h"

#include <optional>
#include <string>

namespace kemvo {

using namespace derived;

namespace {

// The area of a plane and of a thin film is typed; every other follows from its radius.
bool areaComputed(int electrode) {
    const auto kind = static_cast<Electrode>(electrode);
    return kind != Electrode::Planar && kind != Electrode::ThinFilm;
}

// "Microdisc" of "4)  Microdisc".
std::string electrodeName(int electrode) {
    std::string caption(electrodeCaption(electrode));
    const auto gap = caption.find("  ");
    return gap == std::string::npos ? caption : caption.substr(gap + 2);
}

} // namespace

void FormExpr::optElectrode_Click(int index) {
    const int before = app_.state().electrode;
    const std::string areaBefore = ARE.text();
    app_.state().electrode = static_cast<Int16>(index);
    applyElectrodeRows();
    radius_Change();
    noteAreaChange(before, areaBefore);
}

// A computed area that differs from the one shown before is named with the one it replaces; a
// typed area that a computed one left in the box is named as the other electrode's, so that
// nobody simulates a plane of 7.85e-7 cm² unawares.
void FormExpr::noteAreaChange(int before, const std::string &areaBefore) {
    const int now = app_.state().electrode;
    std::string note;
    if (now != before && areaComputed(now) && ARE.text() != areaBefore)
        note = "Area from the radius (was " + areaBefore + " cm\u00B2)";
    else if (now != before && !areaComputed(now) && areaComputed(before))
        note = "Area of the " + electrodeName(before) + " kept: retype it";
    LabelAreaNote.setCaption(note);
    LabelAreaNote.setVisible(!note.empty());
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
