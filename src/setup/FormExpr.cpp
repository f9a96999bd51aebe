#include "setup/FormExpr.h"

#include "setup/Catalogue.h"
#include "setup/ParameterIntake.h"
#include "shell/Application.h"
#include "shell/Constants.h"
#include "shell/NumberText.h"
#include "shell/RuntimeError.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <optional>
#include <string>

namespace kemvo {
namespace {

constexpr const char *kOhm = "\u03A9";

// A derived value is computed only from texts that are numbers, and a step whose reading or
// arithmetic fails is skipped: the boxes it would write keep their texts.
void attempt(const std::function<void()> &step) {
    try {
        step();
    } catch (const RuntimeError &) {
    }
}

double numberIn(const std::string &text) {
    return strictValue(text);
}

// A computed number as a text box shows it: up to 15 significant digits.
std::string boxNumber(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.15G", checkedFinite(value));
    return buffer;
}

// "0.###e-#", and an absent species as plainly "0", as the window starts.
std::string concentrationText(double value) {
    return checkedFinite(value) == 0.0 ? "0" : formatNumber(value, "0.###e-#");
}

// Amount that moves from reactant x to product y so that their ratio becomes theta (their
// sum stays): (theta x - y) / (1 + theta); all of x for an infinite theta.
double equilibriumShift(double theta, double x, double y) {
    if (std::isinf(theta) && theta > 0)
        return x;
    return checkedDivide(checkedFinite(theta * x - y), 1.0 + theta);
}

} // namespace

FormExpr::FormExpr(Application &app)
    : Form("FormExpr", "Experimental"), Frame4(add<Frame>("Frame4", -1, "Species")),
      Frame2(add<Frame>("Frame2", -1, "Heterogeneous Reaction")),
      Frame6(add<Frame>("Frame6", -1, "Homogeneous Reaction")),
      Frame7(add<Frame>("Frame7", -1, "Electrode")),
      Frame1(add<Frame>("Frame1", -1, "Electrolyte")),
      Frame3(add<Frame>("Frame3", -1, "Instrumental Parameters")),
      Frame5(add<Frame>("Frame5", -1, "Scan")), FramePre(add<Frame>("FramePre", -1, "")),
      LabelD(label(Frame4, "LabelD", "D (cm \u00B2/s)")),
      LabelC(label(Frame4, "LabelC", "C anal (M)")),
      LabelCinit(label(Frame4, "LabelCinit", "C init (M)")),
      LabelCond(label(Frame4, "LabelCond", std::string("Cond (/M/") + kOhm + ")")),
      LabelCfitted(label(Frame4, "LabelCfitted", "C fitted (M)")),
      LabelCmin(label(Frame4, "LabelCmin", "C min (M)")),
      LabelCmax(label(Frame4, "LabelCmax", "C max (M)")), LabelN(label(Frame2, "LabelN", "n")),
      LabelKs(label(Frame2, "LabelKs", "ks (cm/s)")),
      LabelAlpha(label(Frame2, "LabelAlpha", "\u03B1")),
      LabelE0(label(Frame2, "LabelE0", "E\u00B0 (V)")), LabelP(label(Frame6, "LabelP", "p")),
      LabelKf(label(Frame6, "LabelKf", "kf")), LabelKb(label(Frame6, "LabelKb", "kb")),
      LabelKeqHead(label(Frame6, "LabelKeqHead", "Keq")),
      LabelRadius(label(Frame7, "LabelRadius", "Radius (cm)")),
      radius(box(Frame7, "radius", "0.2821")),
      LabelLength(label(Frame7, "LabelLength", "Length (cm)")), leng(box(Frame7, "leng", "0.01")),
      LabelArea(label(Frame7, "LabelArea", "Area (cm \u00B2)")), ARE(box(Frame7, "ARE", "1")),
      LabelDis(label(Frame7, "LabelDis", "Dis (cm)")), TextDis(box(Frame7, "TextDis", "1")),
      LabelRrate(label(Frame7, "LabelRrate", "Rotation (rpm):")),
      TextRrate(box(Frame7, "TextRrate", "100")),
      LabelElectrolyteC(label(Frame1, "LabelElectrolyteC", "C (M)")),
      TextElectrolyteC(box(Frame1, "TextElectrolyteC", "0.01")),
      LabelElectrolyteCond(
          label(Frame1, "LabelElectrolyteCond", std::string("Cond (/M/") + kOhm + ")")),
      TextElectrolyteCond(box(Frame1, "TextElectrolyteCond", "100")),
      LabelVis(label(Frame1, "LabelVis", "Vis (cm \u00B2/s)")),
      TextVis(box(Frame1, "TextVis", "0.01")),
      LabelEstart(label(Frame3, "LabelEstart", "E start (V)")),
      Estart(box(Frame3, "Estart", "0.3")), LabelEend(label(Frame3, "LabelEend", "E end  (V)")),
      Eend(box(Frame3, "Eend", "-0.3")), LabelEstep(label(Frame3, "LabelEstep", "E step (V)")),
      Estep(box(Frame3, "Estep", "0.005")), LabelV(label(Frame3, "LabelV", "v (V/s)")),
      V(box(Frame3, "V", "0.01")), Labeltd(label(Frame3, "Labeltd", "t drop  (s)")),
      td(box(Frame3, "td", "0.5")), Labeltp(label(Frame3, "Labeltp", "t pulse (s)")),
      tp(box(Frame3, "tp", "0.05")), LabelEpulse(label(Frame3, "LabelEpulse", "E pulse (V)")),
      Epulse(box(Frame3, "Epulse", "-0.05")), LabelF(label(Frame3, "LabelF", "f (Hz)")),
      TextF(box(Frame3, "TextF", "10")), LabelNoise(label(Frame3, "LabelNoise", "Noise (%)")),
      Noise(box(Frame3, "Noise", "0")), LabelCdl(label(Frame3, "LabelCdl", "C dl (F/cm\u00B2)")),
      Cdl(box(Frame3, "Cdl", "0")),
      LabelRu(label(Frame3, "LabelRu", std::string("R (") + kOhm + ")")),
      Ru(box(Frame3, "Ru", "0")), Labeltemp(label(Frame3, "Labeltemp", "T ( \u00B0C)")),
      txttemp(box(Frame3, "txttemp", "25")),
      ListScan(in(Frame3, add<ComboBox>("ListScan", -1, std::vector<std::string>{"0.5", "1", "2"},
                                        "", ControlKind::ListBox))),
      option9(in(Frame5, add<OptionButton>("option9", -1, "Single"))),
      option10(in(Frame5, add<OptionButton>("option10", -1, "Cycle"))),
      Option11(in(Frame5, add<OptionButton>("Option11", -1, "2 Cycles"))),
      CheckPreEqu(add<CheckBox>("CheckPreEqu", -1, "pre-equilibration", 1)),
      CheckPreCon(add<CheckBox>("CheckPreCon", -1, "Preconcentration", 0)),
      LabelEPre(label(FramePre, "LabelEPre", "E pre (V)")),
      txtEPre(box(FramePre, "txtEPre", "-0.3")),
      LabelPconst(label(FramePre, "LabelPconst", "P const")),
      txtPconst(box(FramePre, "txtPconst", "10")),
      LabelRStir(label(FramePre, "LabelRStir", "R stir  (rpm)")),
      txtRStir(box(FramePre, "txtRStir", "100")),
      LabelTPre(label(FramePre, "LabelTPre", "t pre (s)")),
      txtTPre(box(FramePre, "txtTPre", "600")),
      LabelTpreconst(label(FramePre, "LabelTpreconst", "t pre const (/s)")),
      txtTpreconst(box(FramePre, "txtTpreconst", "1e-3")), OK(add<Button>("OK", -1, "OK")),
      app_(app) {
    createSpecies();
    createChargeSteps();
    createChemicalSteps();
    createFitEntries();
    createElectrodes();
    createScan();
    cInitValue[1] = 1e-3;
    for (int r = 1; r <= 3; ++r)
        keqValue[r] = 1e3;
    FramePre.setVisible(false);
    connectHandlers();
    describeBoxes();
}

template <typename T> T &FormExpr::in(Frame &frame, T &control) {
    control.setContainer(&frame);
    return control;
}

Label &FormExpr::label(Frame &frame, const std::string &name, const std::string &caption) {
    return in(frame, add<Label>(name, -1, caption));
}

TextBox &FormExpr::box(Frame &frame, const std::string &name, const std::string &text) {
    return in(frame, add<TextBox>(name, -1, text));
}

void FormExpr::createSpecies() {
    static const char *const names[] = {"A", "B", "C", "D"};
    static const char *const conductivities[] = {"100", "200", "300", "400"};
    for (int j = 1; j <= 4; ++j) {
        std::string initial = j == 1 ? "1e-3" : "0";
        in(Frame4, addTo(specie, "specie", j, names[j - 1]));
        in(Frame4, addTo(D, "D", j, "1e-5"));
        in(Frame4, addTo(C, "C", j, initial));
        in(Frame4, addTo(Cinit, "Cinit", j, initial));
        in(Frame4, addTo(Cond, "Cond", j - 1, conductivities[j - 1]));
        for (Control *row :
             std::initializer_list<Control *>{&specie(j), &D(j), &C(j), &Cinit(j), &Cond(j - 1)})
            row->setVisible(j <= 2); // the first mechanism's species
    }
}

void FormExpr::createChargeSteps() {
    static const char *const potentials[] = {"0.1", "-0.1", "-0.2"};
    const std::vector<std::string> electronNumbers = {"1", "2", "3"};
    for (int r = 1; r <= 3; ++r) {
        in(Frame2, addTo(heter, "heter", r, r == 1 ? "A+ne=B" : ""));
        in(Frame2, addTo(NEL, "NEL", r, electronNumbers, "1"));
        in(Frame2, addTo(ks, "ks", r, "1e4"));
        in(Frame2, addTo(alph, "alph", r, "0.5"));
        in(Frame2, addTo(Eze, "Eze", r, potentials[r - 1]));
        for (Control *row :
             std::initializer_list<Control *>{&heter(r), &NEL(r), &ks(r), &alph(r), &Eze(r)})
            row->setVisible(r == 1);
    }
}

void FormExpr::createChemicalSteps() {
    const std::vector<std::string> stoichiometries = {"1", "2", "3", "4"};
    for (int r = 1; r <= 3; ++r) {
        in(Frame6, addTo(homo, "homo", r, ""));
        in(Frame6, addTo(pl, "pl", r, stoichiometries, "1"));
        in(Frame6, addTo(kf, "kf", r, "10"));
        in(Frame6, addTo(kb, "kb", r, "0.01"));
        in(Frame6, addTo(LabelKeq, "LabelKeq", r, "1e3")); // kf/kb of the initial texts
        for (Control *row :
             std::initializer_list<Control *>{&homo(r), &pl(r), &kf(r), &kb(r), &LabelKeq(r)})
            row->setVisible(false);
    }
}

void FormExpr::createFitEntries() {
    for (int i = 1; i <= kFitEntryCount; ++i) {
        std::string low = "1e-4";
        std::string high = "1e-2";
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
        bool rowShown = i <= fitConcentration(2) || i == fitKs(1) || i == fitAlpha(1) ||
                        i == fitE0(1) || i >= fitCdl();
        showFitEntry(i, rowShown);
    }
}

void FormExpr::createElectrodes() {
    for (int k = 1; k <= kElectrodeCount; ++k) {
        electrodes_.add(
            in(Frame7, addTo(optElectrode, "optElectrode", k, std::string(electrodeCaption(k)))));
    }
    optElectrode(1).select();
    // Digital simulation starts ticked: the thin film and the rotating disk are not offered.
    optElectrode(static_cast<int>(Electrode::ThinFilm)).setEnabled(false);
    optElectrode(static_cast<int>(Electrode::RotatingDisk)).setEnabled(false);
    for (Control *hidden :
         std::initializer_list<Control *>{&LabelRadius, &radius, &LabelLength, &leng, &LabelVis,
                                          &TextVis, &LabelRrate, &TextRrate})
        hidden->setVisible(false);
}

void FormExpr::createScan() {
    scans_.add(option9);
    scans_.add(option10);
    scans_.add(Option11);
    option9.select();
}

void FormExpr::connectHandlers() {
    for (int j = 1; j <= 4; ++j)
        C(j).onChange = [this, j] { C_Change(j); };
    for (int r = 1; r <= 3; ++r) {
        Eze(r).onChange = [this, r] { Eze_Change(r); };
        NEL(r).onChange = [this, r] { NEL_Change(r); };
        kf(r).onChange = [this, r] { kf_Change(r); };
        kb(r).onChange = [this, r] { kb_Change(r); };
        pl(r).onChange = [this, r] { pl_Change(r); };
        LabelKeq(r).onChange = [this, r] { LabelKeq_Change(r); };
    }
    for (int i = 1; i <= kFitEntryCount; ++i)
        CheckFitted(i).onClick = [this, i] { CheckFitted_Click(i); };
    for (int k = 1; k <= kElectrodeCount; ++k)
        optElectrode(k).onClick = [this, k] { optElectrode_Click(k); };
    radius.onChange = [this] { radius_Change(); };
    leng.onChange = [this] { leng_Change(); };
    Estart.onChange = [this] { Estart_Change(); };
    Estep.onChange = [this] { Estep_Change(); };
    V.onChange = [this] { V_Change(); };
    TextF.onChange = [this] { TextF_Change(); };
    for (TextBox *pre : {&txtEPre, &txtPconst, &txtRStir, &txtTPre, &txtTpreconst})
        pre->onChange = [this] { C_Change(1); };
    CheckPreEqu.onClick = [this] { CheckPreEqu_Click(); };
    CheckPreCon.onClick = [this] { CheckPreCon_Click(); };
    OK.onClick = [this] { OK_Click(); };
}

void FormExpr::Form_Load() {
    const ExperimentState &state = app_.state();
    for (int r = 1; r <= 3; ++r) {
        int electrons = static_cast<int>(state.electrons[r]);
        if (electrons >= 1 && electrons <= 3)
            NEL(r).setListIndex(electrons - 1);
        int stoich = static_cast<int>(state.stoich[r]);
        if (stoich >= 1 && stoich <= 4)
            pl(r).setListIndex(stoich - 1);
    }
}

void FormExpr::Form_Activate() {
    ReadChoices(app_);
    preconcentrationClick(false);
    applyTechniqueRows();
    applySpeciesRows();
    C_Change(1);
    applyChargeRows();
    applyChemicalRows();
    setStepCaptions();
    describeBoxes();
}

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

void FormExpr::keqChange(int index) {
    const double before = keqValue[index];
    const std::string shown = LabelKeq(index).caption();
    attempt([&] {
        double forward = numberIn(kf(index).text());
        double backward = numberIn(kb(index).text());
        if (backward > 0) {
            keqValue[index] = checkedDivide(forward, backward);
            LabelKeq(index).setCaption(formatNumber(keqValue[index], "#.###e-#"));
        } else if (backward == 0 && forward > 0) {
            keqValue[index] = std::numeric_limits<double>::infinity();
            LabelKeq(index).setCaption("\u221E");
        } else if (backward == 0 && forward == 0) {
            keqValue[index] = 0;
            LabelKeq(index).setCaption("-");
        }
    });
    // A new constant that rounds to the same label raises no Change event of the label.
    if (keqValue[index] != before && LabelKeq(index).caption() == shown)
        recomputeAllConcentrations();
}

bool FormExpr::frozenStep(int index) const {
    return numberIn(kf(index).text()) == 0 && numberIn(kb(index).text()) == 0;
}

void FormExpr::setInitialConcentration(int species, double value) {
    Cinit(species).setCaption(concentrationText(value));
    cInitValue[species] = value;
}

void FormExpr::recomputeAllConcentrations() {
    for (int j = 1; j <= 4; ++j)
        C_Change(j);
}

void FormExpr::C_Change(int index) {
    ExperimentState &state = app_.state();
    attempt([&] { state.fOverRT = checkedDivide(kFaraday, kGasConstant * state.temperatureK); });
    attempt([&] { setInitialConcentration(index, numberIn(C(index).text())); });
    if (CheckPreEqu.checked())
        attempt([&] { preEquilibrate(); });
    if (CheckPreCon.checked())
        attempt([&] { preconcentrate(); });
}

void FormExpr::preEquilibrate() {
    const ExperimentState &state = app_.state();
    if (!(state.fOverRT > 0))
        throw RuntimeError(kDivisionByZero); // no temperature taken yet
    auto c = [this](int j) { return numberIn(C(j).text()); };
    auto theta = [&](int r) {
        double n = numberIn(NEL(r).text());
        double shift = numberIn(Eze(r).text()) - numberIn(Estart.text());
        return checkedExp(n * state.fOverRT * shift);
    };
    auto K1 = [this] { return keqValue[1]; };
    const bool chemistryFrozen = frozenStep(1); // a step that never runs sets no equilibrium

    // Every value of the group is worked out before any caption is written.
    std::vector<std::pair<int, double>> shown;
    switch (state.mechanism) {
    case 1:
    case 9:
    case 10:
    case 16: {
        double v = equilibriumShift(theta(1), c(1), c(2));
        shown = {{1, c(1) - v}, {2, c(2) + v}};
        break;
    }
    case 2:
    case 3:
    case 14:
    case 15: { // charge steps in series
        double x = c(1);
        for (int r = 1; r <= state.chargeCount; ++r) {
            double v = equilibriumShift(theta(r), x, c(r + 1));
            shown.emplace_back(r, x - v);
            x = c(r + 1) + v;
        }
        shown.emplace_back(state.chargeCount + 1, x);
        break;
    }
    case 4:
    case 11:
    case 12:
    case 13: // separate couples A/B, C/D
        for (int r = 1; r <= state.chargeCount; ++r) {
            double v = equilibriumShift(theta(r), c(2 * r - 1), c(2 * r));
            shown.emplace_back(2 * r - 1, c(2 * r - 1) - v);
            shown.emplace_back(2 * r, c(2 * r) + v);
        }
        break;
    case 5:
    case 6: { // C = A before the charge transfer
        double u = chemistryFrozen ? 0.0 : equilibriumShift(K1(), c(3), c(1));
        double v = equilibriumShift(theta(1), c(1) + u, c(2));
        shown = {{3, c(3) - u}, {1, c(1) + u - v}, {2, c(2) + v}};
        break;
    }
    case 7:
    case 8: { // B = C after the charge transfer
        double v = equilibriumShift(theta(1), c(1), c(2));
        double w = chemistryFrozen ? 0.0 : equilibriumShift(K1(), c(2) + v, c(3));
        shown = {{1, c(1) - v}, {2, c(2) + v - w}, {3, c(3) + w}};
        break;
    }
    case 17: { // C = A + pD: K1 = [A][D]^p / [C]
        double q = checkedFinite(std::pow(c(4), numberIn(pl(1).text())));
        double u = 0.0;
        if (std::isinf(K1()))
            u = c(3); // the complex dissociates wholly
        else if (!chemistryFrozen)
            u = checkedDivide(checkedFinite(K1() * c(3) - c(1) * q), K1() + q);
        shown = {{1, c(1) + u}, {3, c(3) - u}};
        break;
    }
    default:
        return;
    }
    std::vector<std::string> texts;
    for (const auto &[species, value] : shown)
        texts.push_back(concentrationText(value));
    for (std::size_t k = 0; k < shown.size(); ++k) {
        Cinit(shown[k].first).setCaption(texts[k]);
        cInitValue[shown[k].first] = shown[k].second;
    }
}

void FormExpr::preconcentrate() {
    // Species B accumulated in the electrode during stirred deposition at Epre:
    // c_B = c_A P D^(2/3) A w^(1/2) nu^(-1/6) t / (V (1 + theta_pre)).
    const ExperimentState &state = app_.state();
    double thetaPre = checkedExp(
        checkedDivide(state.electrons[1] * kFaraday * (numberIn(txtEPre.text()) - state.e0[1]),
                      kGasConstant * state.temperatureK));
    double omega = kTwoPi * numberIn(txtRStir.text()) / 60; // [rad/s]
    double gain = numberIn(txtPconst.text()) * std::pow(state.diffusion[1], 2.0 / 3.0) *
                  state.area * std::sqrt(omega) * std::pow(state.viscosity, -1.0 / 6.0) *
                  numberIn(txtTPre.text());
    gain = checkedDivide(checkedFinite(gain), state.electrodeVolume * (1 + thetaPre));
    setInitialConcentration(2, numberIn(C(1).text()) * gain);
}

void FormExpr::preconcentrationClick(bool reportFailure) {
    FramePre.setVisible(CheckPreCon.checked());
    bool taken = false;
    if (reportFailure) {
        taken = takeParameters(app_);
    } else {
        // Activation is no command: a field that cannot be read is reported by the command
        // that next needs it, and the state keeps its values.
        ExperimentState before = app_.state();
        try {
            ReadParameters(app_);
            taken = true;
        } catch (const FieldError &) {
            app_.state() = before;
        }
    }
    if (taken)
        recomputeAllConcentrations();
}

void FormExpr::CheckFitted_Click(int index) {
    if (CheckFitted(index).checked())
        proposeFitRange(index);
    showFitRange(index);
}

void FormExpr::showFitRange(int index) {
    bool shown = CheckFitted(index).checked() && CheckFitted(index).visible();
    TextCmin(index).setVisible(shown);
    TextCmax(index).setVisible(shown);
}

void FormExpr::showFitEntry(int index, bool rowShown) {
    CheckFitted(index).setVisible(rowShown);
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

// A fit starts from the typed value and stays inside its range, so a range that misses the
// value would clamp the start. Concentrations and rate constants get two decades either side,
// a standard potential 0.2 V either side; a transfer coefficient, the capacitance and the
// resistance keep their ranges.
void FormExpr::proposeFitRange(int index) {
    bool potential = index >= fitE0(1) && index <= fitE0(3);
    bool alpha = index >= fitAlpha(1) && index <= fitAlpha(3);
    if (alpha || index > fitKb(3))
        return;
    attempt([&] {
        double value = numberIn(fittedBox(index).text());
        double low = numberIn(TextCmin(index).text());
        double high = numberIn(TextCmax(index).text());
        if (value >= low && value <= high)
            return;
        if (potential) {
            TextCmin(index).setText(boxNumber(value - 0.2));
            TextCmax(index).setText(boxNumber(value + 0.2));
        } else if (value > 0) {
            TextCmin(index).setText(boxNumber(value / 100));
            TextCmax(index).setText(boxNumber(value * 100));
        }
    });
}

void FormExpr::Estep_Change() {
    attempt([&] {
        double dropTime =
            checkedDivide(std::fabs(numberIn(Estep.text())), std::fabs(numberIn(V.text())));
        td.setText(boxNumber(dropTime));
    });
}

void FormExpr::TextF_Change() {
    attempt([&] { tp.setText(boxNumber(checkedDivide(0.5, numberIn(TextF.text())))); });
}

void FormExpr::OK_Click() {
    if (takeParameters(app_))
        hide();
}

void FormExpr::applyTechniqueRows() {
    const auto technique = static_cast<Technique>(app_.state().technique);
    bool pulsed = technique == Technique::NormalPulse || technique == Technique::DifferentialPulse;
    bool squareWave = technique == Technique::SquareWave;
    Epulse.setVisible(pulsed || squareWave);
    TextF.setVisible(squareWave);
    // The digital DC run steps its time in t pulse: the box is offered whenever it counts.
    tp.setEnabled(pulsed || (technique == Technique::DC && app_.state().digital != 0));
    V.setVisible(!squareWave);
}

void FormExpr::applySpeciesRows() {
    int count = app_.state().speciesCount;
    for (int j = 1; j <= 4; ++j) {
        bool shown = j == 1 || j <= count;
        for (Control *row :
             std::initializer_list<Control *>{&specie(j), &D(j), &C(j), &Cinit(j), &Cond(j - 1)})
            row->setVisible(shown);
        showFitEntry(fitConcentration(j), shown);
    }
}

void FormExpr::applyChargeRows() {
    int count = app_.state().chargeCount;
    for (int r = 1; r <= 3; ++r) {
        bool shown = r <= count;
        for (Control *row :
             std::initializer_list<Control *>{&heter(r), &ks(r), &alph(r), &NEL(r), &Eze(r)})
            row->setVisible(shown);
        for (int entry : {fitKs(r), fitAlpha(r), fitE0(r)})
            showFitEntry(entry, shown);
    }
}

void FormExpr::applyChemicalRows() {
    int count = app_.state().chemCount;
    for (int r = 1; r <= 3; ++r) {
        bool shown = r <= count;
        for (Control *row :
             std::initializer_list<Control *>{&homo(r), &pl(r), &kf(r), &kb(r), &LabelKeq(r)})
            row->setVisible(shown);
        for (int entry : {fitKf(r), fitKb(r)})
            showFitEntry(entry, shown);
        if (shown)
            keqChange(r);
    }
}

void FormExpr::setStepCaptions() {
    const MechanismEntry *entry = findMechanism(app_.state().mechanism);
    if (entry == nullptr)
        return;
    for (int r = 1; r <= entry->chargeCount(); ++r)
        heter(r).setCaption(std::string(entry->chargeSteps[static_cast<std::size_t>(r - 1)]));
    for (int r = 1; r <= entry->chemCount(); ++r)
        homo(r).setCaption(std::string(entry->chemSteps[static_cast<std::size_t>(r - 1)]));
}

void FormExpr::applyElectrodeRows() {
    const auto kind = static_cast<Electrode>(app_.state().electrode);
    bool length = kind == Electrode::Cylindrical || kind == Electrode::Hemicylindrical ||
                  kind == Electrode::ThinFilm;
    bool computed = kind != Electrode::Planar && kind != Electrode::ThinFilm;
    bool rotating = kind == Electrode::RotatingDisk;
    LabelLength.setVisible(length);
    leng.setVisible(length);
    if (length)
        LabelLength.setCaption(kind == Electrode::ThinFilm ? "Thick (cm)" : "Length (cm)");
    LabelRadius.setVisible(computed);
    radius.setVisible(computed);
    ARE.setLocked(computed);
    for (Control *row :
         std::initializer_list<Control *>{&LabelVis, &TextVis, &LabelRrate, &TextRrate})
        row->setVisible(rotating);
}

} // namespace kemvo
