#include "files/ParameterReport.h"

#include "shell/NumberText.h"
#include "shell/RuntimeError.h"

#include <string>

namespace kemvo {
namespace {

void pair(std::ostream &out, const char *label, double value) {
    out << label << '\n' << signedField(checkedFinite(value)) << '\n';
}

} // namespace

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
}

} // namespace kemvo
