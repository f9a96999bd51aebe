#include "simulation/ClosedFormCatalogue.h"

#include "setup/Catalogue.h"

#include <array>
#include <string_view>

namespace kemvo {
namespace {

enum class Cover {
    Closed,  // a closed form serves the case
    Digital, // no closed form; the digital simulation offers the electrode
    Nowhere, // no closed form, and the digital simulation does not offer the electrode
};

constexpr Cover Y = Cover::Closed;
constexpr Cover D = Cover::Digital;
constexpr Cover X = Cover::Nowhere;

// Rows: technique 1..5; columns: electrode 1..8 (planar, spherical, hemispherical, microdisc,
// cylindrical, hemicylindrical, thin film, rotating disk).
// A cylinder has no closed-form sweep: no steady state and no similarity solution.
// The pulse techniques have exact closed forms where the transport of a step is exact: the
// plane, and the sphere and hemisphere (radial diffusion). A microdisc or cylinder has none for
// a sequence of steps, and a pulse on a thin film or a rotating disk has none at all.
constexpr std::array<std::array<Cover, kElectrodeCount>, kTechniqueCount> kElectrodeCover{{
    /* linear sweep and cyclic */ {Y, Y, Y, Y, D, D, Y, Y},
    /* DC                      */ {Y, Y, Y, Y, Y, Y, Y, Y},
    /* normal pulse            */ {Y, Y, Y, D, D, D, X, X},
    /* differential pulse      */ {Y, Y, Y, D, D, D, X, X},
    /* square wave             */ {Y, Y, Y, D, D, D, X, X},
}};

constexpr const char *kOtherInitialValues = "! Please try again by other initial values.";

// The option's caption without its number: "3)  Normal pulse voltammetry" -> "Normal pulse
// voltammetry".
std::string withoutNumber(std::string_view caption) {
    std::size_t close = caption.find(')');
    std::size_t text =
        caption.find_first_not_of(' ', close == std::string_view::npos ? 0 : close + 1);
    return std::string(caption.substr(text == std::string_view::npos ? 0 : text));
}

// Mechanisms whose charge step r links species 2r-1 and 2r without chemistry the closed forms
// leave out: 1 and 4, and 17 through its apparent standard potential. The catalytic 9 has a
// closed form for the sweep and DC waves only.
std::optional<ClosedFormRefusal> mechanismRefusal(int technique, int mechanism) {
    switch (mechanism) {
    case 1:
    case 4:
    case 17:
        return std::nullopt;
    case 9:
        if (technique == 1 || technique == 2)
            return std::nullopt;
        return ClosedFormRefusal{withoutNumber(techniqueCaption(technique)) +
                                     " has no closed form for the catalytic (EC') reaction",
                                 "! Tick the digital simulation or choose another mechanism."};
    default:
        return ClosedFormRefusal{"No analytical solution for mechanism " +
                                     std::to_string(mechanism),
                                 kOtherInitialValues};
    }
}

bool inCatalogue(int technique, int electrode) {
    return technique >= 1 && technique <= kTechniqueCount && electrode >= 1 &&
           electrode <= kElectrodeCount;
}

} // namespace

std::optional<ClosedFormRefusal> closedFormRefusal(const ExperimentState &state) {
    const int technique = state.technique;
    const int electrode = state.electrode;
    if (inCatalogue(technique, electrode)) {
        Cover cover = kElectrodeCover[technique - 1][electrode - 1];
        if (cover != Cover::Closed)
            return ClosedFormRefusal{
                withoutNumber(techniqueCaption(technique)) + " has no closed form on the " +
                    withoutNumber(electrodeCaption(electrode)),
                cover == Cover::Digital ? "! Tick the digital simulation or choose another "
                                          "electrode."
                                        : "! Choose another technique or electrode."};
    }
    return mechanismRefusal(technique, state.mechanism);
}

} // namespace kemvo
