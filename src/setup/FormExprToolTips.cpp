// The tool tips of the parameters window: what each box means and the unit it is typed in.

#include "setup/Catalogue.h"
#include "setup/FormExpr.h"
#include "shell/Application.h"

#include <cctype>
#include <string>
#include <string_view>

namespace kemvo {
namespace {

const char *const kSpecies[] = {"", "A", "B", "C", "D"};

std::string superscript(int digit) {
    static const char *const digits[] = {"⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "⁹"};
    return digits[digit % 10];
}

// Order of one side of a chemical step by mass action: the sum of its stoichiometric numbers
// ("2B" counts 2, "pD" counts p, the number chosen for the step).
int orderOf(std::string_view side, int p) {
    int order = 0;
    std::size_t start = 0;
    while (start <= side.size()) {
        std::size_t end = side.find('+', start);
        std::string_view term =
            side.substr(start, end == std::string_view::npos ? side.npos : end - start);
        if (!term.empty())
            order += std::isdigit(static_cast<unsigned char>(term[0])) ? term[0] - '0'
                     : term[0] == 'p'                                  ? p
                                                                       : 1;
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return order;
}

// Unit of a rate constant of that order in mol/L and s: s⁻¹, M⁻¹s⁻¹, M⁻²s⁻¹, ...
std::string rateUnit(int order) {
    if (order <= 1)
        return "s⁻¹";
    return "M⁻" + superscript(order - 1) + "s⁻¹";
}

} // namespace

void FormExpr::describeBoxes() {
    for (int j = 1; j <= 4; ++j) {
        std::string x = kSpecies[j];
        D(j).setToolTip("diffusion coefficient of " + x + " [cm²/s]");
        C(j).setToolTip("bulk concentration of " + x + " [mol/L]");
        Cinit(j).setToolTip("initial concentration of " + x + " after pre-equilibration [mol/L]");
        Cond(j - 1).setToolTip("molar conductivity of " + x + " [/M/Ω]");
    }
    const MechanismEntry *mechanism = findMechanism(app_.state().mechanism);
    for (int r = 1; r <= 3; ++r) {
        std::string step = " of step " + std::to_string(r);
        NEL(r).setToolTip("number of electrons n" + step);
        ks(r).setToolTip("standard heterogeneous rate constant ks" + step + " [cm/s]");
        alph(r).setToolTip("transfer coefficient α" + step + " (0 to 1)");
        Eze(r).setToolTip("standard potential E°" + step + " [V]");
        pl(r).setToolTip("stoichiometric number p of the chemical step " + std::to_string(r));
        std::string_view reaction = mechanism != nullptr && r <= mechanism->chemCount()
                                        ? mechanism->chemSteps[static_cast<std::size_t>(r - 1)]
                                        : std::string_view();
        std::size_t equals = reaction.find('=');
        int p = pl(r).listIndex() + 1;
        int forward = equals == reaction.npos ? 1 : orderOf(reaction.substr(0, equals), p);
        int backward = equals == reaction.npos ? 1 : orderOf(reaction.substr(equals + 1), p);
        std::string of = " of the chemical step " +
                         std::string(reaction.empty() ? std::to_string(r) : std::string(reaction));
        kf(r).setToolTip("forward rate constant kf" + of + " [" + rateUnit(forward) + "]");
        kb(r).setToolTip("backward rate constant kb" + of + " [" + rateUnit(backward) + "]");
        LabelKeq(r).setToolTip("equilibrium constant kf/kb");
    }
    for (int i = 1; i <= kFitEntryCount; ++i) {
        CheckFitted(i).setToolTip("fit this value");
        TextCmin(i).setToolTip("lowest value the fit may take, in the unit of the value");
        TextCmax(i).setToolTip("highest value the fit may take, in the unit of the value");
    }
    radius.setToolTip("radius of the electrode [cm]");
    leng.setToolTip("length of the electrode, or thickness of the film [cm]");
    ARE.setToolTip("electrode area [cm²]");
    TextDis.setToolTip("distance between the electrodes, for resistance and conductance [cm]");
    TextRrate.setToolTip("rotation rate of the disk [rpm]");
    TextElectrolyteC.setToolTip("concentration of the supporting electrolyte [mol/L]");
    TextElectrolyteCond.setToolTip("molar conductivity of the supporting electrolyte [/M/Ω]");
    TextVis.setToolTip("kinematic viscosity of the solution [cm²/s]");
    Estart.setToolTip("start potential [V]");
    Eend.setToolTip("end potential, where the scan turns: the first vertex [V]");
    Evertex2.setToolTip("second vertex of a cycle; follows E start until typed [V]");
    Efinal.setToolTip("where the last cycle ends after its last vertex; follows E start until "
                      "typed [V]");
    TextQuiet.setToolTip("time held at E start before the scan [s]; above 0 it replaces "
                         "pre-equilibration (an infinitely long hold) for the run");
    TextVertexHold.setToolTip("time held at each turning point of the sweep before it runs on "
                              "[s]; 0: the sweep turns without a pause. The closed form holds "
                              "it in whole steps of E step / v");
    CheckPreEqu.setToolTip("start from equilibrium with E start (an infinitely long hold); a "
                           "quiet time above 0 replaces it");
    TextCycles.setToolTip("number of cycles, a multiple of 0.5 (two vertices to a cycle)");
    TextFitFrom.setToolTip("the fit weighs only points from this potential on [V]; empty: all");
    TextFitTo.setToolTip("the fit weighs only points up to this potential [V]; empty: all");
    TextFitCycleFrom.setToolTip("the first cycle of the measured curve the fit weighs; empty: all");
    TextFitCycleTo.setToolTip("the last cycle of the measured curve the fit weighs; empty: all");
    Estep.setToolTip("potential step between two points [V]");
    V.setToolTip("scan rate [V/s]");
    td.setToolTip("drop time: E step / scan rate [s]");
    tp.setToolTip("pulse width [s]");
    Epulse.setToolTip("pulse height [V]");
    TextF.setToolTip("square-wave frequency [Hz]");
    Noise.setToolTip("noise added to the current [%]");
    TextStarts.setToolTip("Auto Fit: starts spread over the fit ranges besides the typed values "
                          "(0: the typed values alone)");
    Cdl.setToolTip("double-layer capacitance [F]");
    Ru.setToolTip(std::string("uncompensated resistance [Ω]") +
                  (Ru.enabled() ? "" : "; a sweep uses it in the digital simulation only"));
    for (Electrode closedFormOnly : {Electrode::ThinFilm, Electrode::RotatingDisk}) {
        OptionButton &option = optElectrode(static_cast<int>(closedFormOnly));
        option.setToolTip(
            option.enabled() ? "" : "only in the closed forms: clear \"digital simulation\"");
    }
    txttemp.setToolTip("temperature [°C]");
    txtEPre.setToolTip("preconcentration potential [V]");
    txtPconst.setToolTip("preconcentration constant");
    txtRStir.setToolTip("stirring rate during preconcentration [rpm]");
    txtTPre.setToolTip("preconcentration time [s]");
    txtTpreconst.setToolTip("preconcentration rate constant [1/s]");
}

void FormExpr::followChoices() {
    if (visible())
        Form_Activate();
}

} // namespace kemvo
