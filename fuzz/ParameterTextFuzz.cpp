// libFuzzer target for the texts of the parameters window. The first bytes choose the
// technique, mechanism, electrode and simulation mode; the rest, split at line ends, is typed
// into the numeric boxes. The intake must either take every box in use as a finite value the
// physics allows, or refuse with exactly one message and leave the state as it was; a run
// refused before it computes must leave the state untouched as well.

#include "app/Workbench.h"
#include "setup/FormExpr.h"
#include "setup/FormMech.h"
#include "setup/FormTech.h"
#include "setup/ParameterIntake.h"
#include "shell/HeadlessPlatform.h"
#include "simulation/SimulationDriver.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace kemvo;

void require(bool property) {
    if (!property)
        std::abort();
}

std::vector<std::string> linesOf(const std::uint8_t *data, std::size_t size) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n')
            lines.emplace_back();
        else
            lines.back() += static_cast<char>(data[i]);
    }
    return lines;
}

void typeInto(FormExpr &w, const std::vector<std::string> &texts) {
    std::vector<TextBox *> boxes = {&w.Estart, &w.Eend,  &w.Estep,   &w.V,     &w.td,
                                    &w.tp,     &w.TextF, &w.txttemp, &w.ARE,   &w.radius,
                                    &w.leng,   &w.Noise, &w.Cdl,     &w.Epulse};
    for (int j = 1; j <= 4; ++j) {
        boxes.push_back(&w.D(j));
        boxes.push_back(&w.C(j));
    }
    for (int r = 1; r <= 3; ++r)
        for (TextBox *box : {&w.ks(r), &w.alph(r), &w.Eze(r), &w.kf(r), &w.kb(r)})
            boxes.push_back(box);
    for (std::size_t i = 0; i < texts.size() && i < boxes.size(); ++i)
        boxes[i]->setText(texts[i]);
}

// What an accepted intake guarantees to the simulation.
void requireTakenValues(const ExperimentState &s) {
    for (double value : {s.eStart, s.eEnd, s.eStep, s.scanRate, s.dropTime, s.temperatureK, s.area,
                         s.cdl, s.noisePercent})
        require(std::isfinite(value));
    require(s.eStep > 0 && s.dropTime > 0 && s.temperatureK > 0 && s.cdl >= 0);
    for (int j = 1; j <= s.speciesCount; ++j)
        require(std::isfinite(s.diffusion[j]) && s.diffusion[j] > 0 && std::isfinite(s.cInit[j]));
    for (int r = 1; r <= s.chargeCount; ++r)
        require(s.alpha[r] >= 0 && s.alpha[r] <= 1 && s.ks[r] >= 0 && s.electrons[r] >= 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 4)
        return 0;
    HeadlessPlatform headless;
    Workbench app(headless.platform());
    app.form<FormTech>().CheckDigital.setValue(data[0] & 1);
    app.form<FormTech>().optTech(1 + data[0] / 2 % 5).select();
    app.form<FormMech>().mech(1 + data[1] % 17).select();
    FormExpr &w = app.form<FormExpr>();
    OptionButton &electrode = w.optElectrode(1 + data[2] % 8);
    if (electrode.enabled())
        electrode.select();
    typeInto(w, linesOf(data + 3, size - 3));

    headless.messages.shown.clear();
    const ExperimentState before = app.state();
    if (!takeParameters(app)) {
        require(headless.messages.shown.size() == 1);
        require(std::memcmp(&before.eStep, &app.state().eStep, sizeof before.eStep) == 0);
        return 0;
    }
    require(headless.messages.shown.empty());
    requireTakenValues(app.state());
    const ExperimentState taken = app.state();
    try {
        checkRunnable(app.state());
    } catch (const RuntimeError &) {
        require(app.state().pointCount == taken.pointCount);
    }
    return 0;
}
