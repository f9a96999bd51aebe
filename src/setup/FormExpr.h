#pragma once
// The parameters window "Experimental": every experimental parameter as typed text, the rows
// that the technique, mechanism and electrode need, the fit ranges, and the values derived
// while the user types (area and volume, Keq, drop time, pulse width, initial concentrations).
// Its controls are the live store of the user's values; the intake reads them.

#include "shell/ExperimentState.h"
#include "shell/controls/Form.h"

#include <array>
#include <string>

namespace kemvo {

class Application;

inline constexpr int kFitEntryCount = 21;

// The fit entries 1..21 share one index space: concentrations of species 1..4, then ks, alpha
// and E0 of charge steps 1..3, then kf and kb of chemical steps 1..3, then the double-layer
// capacitance and the uncompensated resistance.
inline constexpr int fitConcentration(int species) {
    return species;
}
inline constexpr int fitKs(int step) {
    return step + 4;
}
inline constexpr int fitAlpha(int step) {
    return step + 7;
}
inline constexpr int fitE0(int step) {
    return step + 10;
}
inline constexpr int fitKf(int step) {
    return step + 13;
}
inline constexpr int fitKb(int step) {
    return step + 16;
}
inline constexpr int fitCdl() {
    return 20;
}
inline constexpr int fitRu() {
    return 21;
}

class FormExpr : public Form {
public:
    explicit FormExpr(Application &app);

    // Event handlers, named after their control and event.
    void optElectrode_Click(int index);
    // Area [cm^2] into ARE ("0.##e-0") and electrodeVolume [cm^3] for the electrode kind from
    // the typed radius and length (the volume from those last read into the state), then
    // area = the number in ARE.
    void radius_Change();
    void leng_Change() { radius_Change(); }
    // keqValue(r) = kf(r)/kb(r), shown in LabelKeq(r) ("#.###e-#"); "∞" when kb = 0 < kf
    // and "-" for a frozen step (kf = kb = 0), which pre-equilibration leaves out.
    void kf_Change(int index) { keqChange(index); }
    void kb_Change(int index) { keqChange(index); }
    // Initial concentrations: fOverRT from the state's temperature, Cinit(index) from C(index)
    // ("0.###e-#"), then pre-equilibration at the start potential and preconcentration of B
    // when their boxes are ticked.
    void C_Change(int index);
    void LabelKeq_Change(int) { recomputeAllConcentrations(); }
    // Recomputes the initial concentrations; E vertex 2 and E final follow until typed.
    void Estart_Change();
    // A quiet time > 0 replaces pre-equilibration: the concentrations are recomputed.
    void TextQuiet_Change() { recomputeAllConcentrations(); }
    // Whether the quiet time holds a number > 0 and the technique is a sweep.
    bool quietTimeSet() const;
    // E vertex 2 and E final as the user, or an import, set them: they no longer follow.
    void setProgrammeVertices(const std::string &vertex2, const std::string &final);
    // Every Cinit from its C box, pre-equilibrated or preconcentrated as ticked.
    void recomputeAllConcentrations();
    void pl_Change(int) {
        recomputeAllConcentrations();
        describeBoxes();
    }
    void CheckPreEqu_Click() { recomputeAllConcentrations(); }
    void Eze_Change(int) { C_Change(1); }
    void NEL_Change(int) { C_Change(1); }
    void CheckPreCon_Click() { preconcentrationClick(true); }
    // Shows the range boxes of a ticked fit entry; a tick on a value outside its range first
    // proposes a range around the value.
    void CheckFitted_Click(int index);
    // td = |Estep| / |V|; tp = 0.5 / f.
    void Estep_Change();
    void V_Change() { Estep_Change(); }
    void TextF_Change();
    void OK_Click();

    // While the window is shown, a new choice of technique or mechanism shows its rows at once.
    void followChoices();
    // Tool tips with the meaning and unit of every box; kf and kb in s^-1 or M^-1 s^-1 by the
    // order of their step, Ru saying when it is not offered.
    void describeBoxes();

    // Frames.
    Frame &Frame4; // "Species"
    Frame &Frame2; // "Heterogeneous Reaction"
    Frame &Frame6; // "Homogeneous Reaction"
    Frame &Frame7; // "Electrode"
    Frame &Frame1; // "Electrolyte"
    Frame &Frame3; // "Instrumental Parameters"
    Frame &Frame5; // "Scan"
    Frame &FramePre;

    // Species A..D (1..4): column headings and rows.
    Label &LabelD;
    Label &LabelC;
    Label &LabelCinit;
    Label &LabelCond;
    Label &LabelCfitted;
    Label &LabelCmin;
    Label &LabelCmax;
    ControlArray<Label> specie;
    ControlArray<TextBox> D;    // [cm^2/s]
    ControlArray<TextBox> C;    // [mol/L] analytical concentration as typed
    ControlArray<Label> Cinit;  // [mol/L] derived initial concentration, shown rounded
    ControlArray<TextBox> Cond; // 0..3: molar conductivity of species 1..4

    // Charge-transfer steps 1..3.
    Label &LabelN;
    Label &LabelKs;
    Label &LabelAlpha;
    Label &LabelE0;
    ControlArray<Label> heter;
    ControlArray<ComboBox> NEL; // electron number "1".."3"
    ControlArray<TextBox> ks;   // [cm/s]
    ControlArray<TextBox> alph; // transfer coefficient
    ControlArray<TextBox> Eze;  // [V] standard potential

    // Chemical steps 1..3.
    Label &LabelP;
    Label &LabelKf;
    Label &LabelKb;
    Label &LabelKeqHead;
    ControlArray<Label> homo;
    ControlArray<ComboBox> pl; // stoichiometric number "1".."4"
    ControlArray<TextBox> kf;
    ControlArray<TextBox> kb;
    ControlArray<Label> LabelKeq; // Keq shown rounded, "∞" when kb = 0 < kf

    // The derived values at full precision, for the intake: the labels show them rounded.
    StepTable cInitValue{}; // [mol/L] species 1..4
    StepTable keqValue{};   // kf/kb of chemical steps 1..3; infinite when kb = 0 < kf

    // Fit entries 1..21: tick box and range.
    ControlArray<CheckBox> CheckFitted;
    ControlArray<TextBox> TextCmin;
    ControlArray<TextBox> TextCmax;

    // Electrode.
    ControlArray<OptionButton> optElectrode; // 1..8, index = electrode code
    Label &LabelRadius;
    TextBox &radius; // [cm]
    Label &LabelLength;
    TextBox &leng; // [cm] length, or thickness of a film
    Label &LabelArea;
    TextBox &ARE; // [cm^2], locked while computed from the radius
    Label &LabelDis;
    TextBox &TextDis; // [cm]
    Label &LabelRrate;
    TextBox &TextRrate; // [rpm]
    // Says when choosing another electrode changed the area, or kept the area of the one
    // before where this one's is typed.
    Label &LabelAreaNote;

    // Electrolyte.
    Label &LabelElectrolyteC;
    TextBox &TextElectrolyteC; // [mol/L]
    Label &LabelElectrolyteCond;
    TextBox &TextElectrolyteCond;
    Label &LabelVis;
    TextBox &TextVis; // [cm^2/s]

    // Instrumental parameters.
    Label &LabelEstart;
    TextBox &Estart; // [V]
    Label &LabelEend;
    TextBox &Eend; // [V]
    Label &LabelEstep;
    TextBox &Estep; // [V]
    Label &LabelV;
    TextBox &V; // [V/s]
    Label &Labeltd;
    TextBox &td; // [s]
    Label &Labeltp;
    TextBox &tp; // [s]
    Label &LabelEpulse;
    TextBox &Epulse; // [V]
    Label &LabelF;
    TextBox &TextF; // [Hz]
    Label &LabelNoise;
    TextBox &Noise; // [%]
    Label &LabelCdl;
    TextBox &Cdl; // [F/cm^2]
    Label &LabelRu;
    TextBox &Ru; // [ohm]
    Label &Labeltemp;
    TextBox &txttemp; // [degrees Celsius]
    ComboBox &ListScan;
    // The cyclic programme of a potentiostat: E start -> E end -> E vertex 2 -> E end ... ->
    // E final. Both follow E start until the user types them.
    Label &LabelEvertex2;
    TextBox &Evertex2; // [V]
    Label &LabelEfinal;
    TextBox &Efinal; // [V]
    Label &LabelQuiet;
    TextBox &TextQuiet; // [s] hold at E start before the scan
    Label &LabelVertexHold;
    TextBox &TextVertexHold; // [s] hold at each turning point of the sweep

    // Scan.
    OptionButton &option9;  // "Single"
    OptionButton &option10; // "Cycle"
    OptionButton &Option11; // "2 Cycles"
    OptionButton &Option12; // "Cycles:" as many as TextCycles says
    TextBox &TextCycles;    // a multiple of 0.5

    // The fit window: the points of the measured curve that the fit weighs (empty: no limit).
    Frame &FrameFit;
    Label &LabelFitFrom;
    TextBox &TextFitFrom; // [V]
    Label &LabelFitTo;
    TextBox &TextFitTo; // [V]
    Label &LabelFitCycleFrom;
    TextBox &TextFitCycleFrom; // cycle k
    Label &LabelFitCycleTo;
    TextBox &TextFitCycleTo; // to cycle m

    CheckBox &CheckPreEqu;
    CheckBox &CheckPreCon;

    // Preconcentration.
    Label &LabelEPre;
    TextBox &txtEPre; // [V]
    Label &LabelPconst;
    TextBox &txtPconst;
    Label &LabelRStir;
    TextBox &txtRStir; // [rpm]
    Label &LabelTPre;
    TextBox &txtTPre; // [s]
    Label &LabelTpreconst;
    TextBox &txtTpreconst; // [1/s]

    Button &OK;

    // Auto Fit: how many starts it tries besides the typed values, spread over the fit ranges;
    // 0 fits from the typed values alone.
    Label &LabelStarts;
    TextBox &TextStarts;

    // Before a fit: a fit entry whose range boxes still hold what the window put there (its
    // start range or one it proposed) gets a range proposed afresh around the typed value, as
    // ticking its box does; a range the user typed stays.
    void proposeUntypedFitRange(int index);
    // The box of the value that fit entry `index` adjusts: C(k), ks(r), alph(r), Eze(r), kf(r),
    // kb(r), Cdl or Ru.
    TextBox &fittedBox(int index);

protected:
    // Selects in NEL(r) and pl(r) the entries of the state's electron and stoichiometric numbers.
    void Form_Load() override;
    // Reads the mechanism, takes the whole window into the state, then shows the rows of the
    // technique, mechanism and electrode with their derived values and step captions.
    void Form_Activate() override;

private:
    template <typename T> T &in(Frame &frame, T &control) {
        control.setContainer(&frame);
        return control;
    }
    Label &label(Frame &frame, const std::string &name, const std::string &caption);
    TextBox &box(Frame &frame, const std::string &name, const std::string &text);
    void createSpecies();
    void createChargeSteps();
    void createChemicalSteps();
    void createFitEntries();
    void createElectrodes();
    void createScan();
    void connectHandlers();

    void keqChange(int index);
    void setInitialConcentration(int species, double value);
    bool frozenStep(int index) const;
    // Cinit as C leaves it, pre-equilibrated or preconcentrated as ticked.
    void treatInitialConcentrations();
    void preconcentrationClick(bool reportFailure);
    void preEquilibrate();
    void preconcentrate();
    void showFitEntry(int index, bool rowShown);
    void showFitRange(int index);
    void proposeFitRange(int index);
    void setFitRange(int index, const std::string &low, const std::string &high);
    void applyTechniqueRows();
    void applySpeciesRows();
    void applyChargeRows();
    void applyChemicalRows();
    void setStepCaptions();
    void applyElectrodeRows();
    void noteAreaChange(int before, const std::string &areaBefore);

    // The range texts the window itself last wrote into TextCmin and TextCmax, per entry.
    std::array<std::string, kFitEntryCount + 1> windowMin_;
    std::array<std::string, kFitEntryCount + 1> windowMax_;
    OptionGroup electrodes_;
    OptionGroup scans_;
    bool vertex2Typed_ = false;
    bool finalTyped_ = false;
    bool following_ = false; // E start is writing E vertex 2 and E final
    Application &app_;
};

} // namespace kemvo
