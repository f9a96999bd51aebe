#include "files/ParameterReport.h"

#include "setup/Catalogue.h"
#include "shell/NumberText.h"
#include "shell/RuntimeError.h"

#include <string>

namespace kemvo {
namespace {

void pair(std::ostream &out, const char *label, double value) {
    out << label << '\n' << signedField(checkedFinite(value)) << '\n';
}

void pair(std::ostream &out, const std::string &label, const std::string &value) {
    out << label << '\n' << value << '\n';
}

} // namespace

void writeExperimentAndFit(std::ostream &out, const ExperimentState &state,
                           const ReportSettings &settings, const std::optional<FitRecord> &fit) {
    const MechanismEntry *mechanism = findMechanism(state.mechanism);
    const bool techniqueKnown = state.technique >= 1 && state.technique <= kTechniqueCount;
    const bool electrodeKnown = state.electrode >= 1 && state.electrode <= kElectrodeCount;
    pair(out,
         "Technique name :", techniqueKnown ? std::string(techniqueCaption(state.technique)) : "");
    pair(out, "Mechanism name :", mechanism ? std::string(mechanism->caption) : "");
    pair(out,
         "Electrode name :", electrodeKnown ? std::string(electrodeCaption(state.electrode)) : "");
    pair(out, "Temperature (K) :", state.temperatureK);
    pair(out, "Radius (cm) :", state.radius);
    pair(out, "Length (cm) :", state.length);
    pair(out, "Area (cm2) :", state.area);
    pair(out, "Scan rate (V/s) :", state.scanRate);
    pair(out, "Grid :", settings.grid);
    pair(out, "Cdl (F/cm2) :", state.cdl);
    pair(out, "Ru (ohm) :", settings.resistance);
    for (int j = 1; j <= state.speciesCount; ++j) {
        const auto k = static_cast<std::size_t>(j);
        const std::string species(1, static_cast<char>('A' + j - 1));
        pair(out, "D(" + species + ") (cm2/s) :", signedField(checkedFinite(state.diffusion[k])));
        pair(out, "C(" + species + ") (M) :", signedField(checkedFinite(state.cInit[k])));
    }
    if (!fit)
        return;
    pair(out, "Fit :", fit->outcome);
    for (const FittedParameter &p : fit->parameters) {
        pair(out, "Fitted " + p.name + " :", signedField(checkedFinite(p.value)));
        pair(out, "Std. error " + p.name + " :",
             p.standardError ? signedField(checkedFinite(*p.standardError)) : "not determined");
        pair(out, "Flag " + p.name + " :", p.remark.empty() ? "none" : p.remark);
    }
    for (const std::string &c : fit->correlations)
        pair(out, "Strongly correlated :", c);
    pair(out, "Points fitted :", fit->points);
    pair(out, "Least square :", fit->leastSquare);
    pair(out, "rms residual (A) :", fit->rmsResidual);
}

void writeParameterReport(std::ostream &out, const ExperimentState &state) {
    if (state.columnCount > kMaxReportedSpecies)
        throw RuntimeError(kSubscriptOutOfRange);

    // The labels are the report's own, spelling included.
    pair(out, "Technique :", state.technique);
    pair(out, "Mechisim :", state.mechanism);
    pair(out, "Electorde", state.electrode);
    pair(out, "E start :", state.eStart);
    pair(out, "E end :", state.eEnd);
    pair(out, "E Step :", state.eStep);
    pair(out, "t pulse :", state.pulseTime);
    pair(out, "t drop :", state.dropTime);
    pair(out, "Area Of Electrode :", state.area);
    pair(out, "E pulse :", state.pulseAmplitude);
    pair(out, "Noise (%) :", state.noisePercent);
    pair(out, "No. OF DATA :", state.pointCount);
    pair(out, "NUMBER OF SPECIES :", state.columnCount);

    for (int j = 1; j <= state.columnCount; ++j) {
        const auto k = static_cast<std::size_t>(j);
        pair(out, "Species ", j);
        pair(out, "D :", state.diffusion[k]);
        pair(out, "C :", state.cInit[k]);
        pair(out, "ks :", state.ks[k]);
        pair(out, "Alpha :", state.alpha[k]);
        pair(out, "n :", state.electrons[k]);
        pair(out, "E' :", state.e0[k]);
    }

    // The programme as a potentiostat states it, after the species so that every line above
    // keeps its place.
    pair(out, "E vertex 2 :", state.eVertex2.value_or(state.eStart));
    pair(out, "E final :", state.eFinal.value_or(state.eStart));
    pair(out, "Cycles :", state.cycles);
    pair(out, "Scan rate :", state.scanRate);
    pair(out, "Quiet time :", state.quietTime);
    pair(out, "Vertex hold :", state.vertexHold);
}

} // namespace kemvo
