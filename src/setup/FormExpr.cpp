#include "setup/FormExpr.h"

#include "setup/Catalogue.h"
#include "setup/DerivedValues.h"
#include "shell/Application.h"

#include <string>
#include <vector>

namespace kemvo {

using namespace derived;

namespace {

constexpr const char *kOhm = "\u03A9";

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
      TextRrate(box(Frame7, "TextRrate", "100")), LabelAreaNote(label(Frame7, "LabelAreaNote", "")),
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
      LabelEvertex2(label(Frame3, "LabelEvertex2", "E vertex 2 (V)")),
      Evertex2(box(Frame3, "Evertex2", "0.3")),
      LabelEfinal(label(Frame3, "LabelEfinal", "E final (V)")),
      Efinal(box(Frame3, "Efinal", "0.3")),
      LabelQuiet(label(Frame3, "LabelQuiet", "Quiet time (s)")),
      TextQuiet(box(Frame3, "TextQuiet", "0")),
      LabelVertexHold(label(Frame3, "LabelVertexHold", "Vertex hold (s)")),
      TextVertexHold(box(Frame3, "TextVertexHold", "0")),
      option9(in(Frame5, add<OptionButton>("option9", -1, "Single"))),
      option10(in(Frame5, add<OptionButton>("option10", -1, "Cycle"))),
      Option11(in(Frame5, add<OptionButton>("Option11", -1, "2 Cycles"))),
      Option12(in(Frame5, add<OptionButton>("Option12", -1, "Cycles:"))),
      TextCycles(box(Frame5, "TextCycles", "3")),
      FrameFit(add<Frame>("FrameFit", -1, "Fit window")),
      LabelFitFrom(label(FrameFit, "LabelFitFrom", "Fit from E (V)")),
      TextFitFrom(box(FrameFit, "TextFitFrom", "")),
      LabelFitTo(label(FrameFit, "LabelFitTo", "to E (V)")),
      TextFitTo(box(FrameFit, "TextFitTo", "")),
      LabelFitCycleFrom(label(FrameFit, "LabelFitCycleFrom", "cycles from")),
      TextFitCycleFrom(box(FrameFit, "TextFitCycleFrom", "")),
      LabelFitCycleTo(label(FrameFit, "LabelFitCycleTo", "to")),
      TextFitCycleTo(box(FrameFit, "TextFitCycleTo", "")),
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
      LabelStarts(label(Frame3, "LabelStarts", "further starts")),
      TextStarts(box(Frame3, "TextStarts", "8")), app_(app) {
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

void FormExpr::createElectrodes() {
    for (int k = 1; k <= kElectrodeCount; ++k) {
        electrodes_.add(
            in(Frame7, addTo(optElectrode, "optElectrode", k, std::string(electrodeCaption(k)))));
    }
    optElectrode(1).select();
    LabelAreaNote.setVisible(false);
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
    scans_.add(Option12);
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
    Evertex2.onChange = [this] { vertex2Typed_ = vertex2Typed_ || !following_; };
    Efinal.onChange = [this] { finalTyped_ = finalTyped_ || !following_; };
    TextQuiet.onChange = [this] { TextQuiet_Change(); };
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

void FormExpr::Estart_Change() {
    following_ = true;
    if (!vertex2Typed_)
        Evertex2.setText(Estart.text());
    if (!finalTyped_)
        Efinal.setText(Estart.text());
    following_ = false;
    recomputeAllConcentrations();
}

void FormExpr::setProgrammeVertices(const std::string &vertex2, const std::string &final) {
    Evertex2.setText(vertex2);
    Efinal.setText(final);
    vertex2Typed_ = finalTyped_ = true;
}

bool FormExpr::quietTimeSet() const {
    return app_.state().technique == 1 && numberIn(TextQuiet.text()) > 0;
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

} // namespace kemvo
