#pragma once
// The state the parameter intake writes from the windows' initial texts, for simulations run
// without the windows: technique 1, mechanism 1, planar electrode, analytical currents.

#include "shell/ExperimentState.h"

namespace kemvo {

inline ExperimentState defaultExperiment() {
    ExperimentState s;
    s.technique = 1;
    s.mechanism = 1;
    s.electrode = 1;
    s.digital = 0;
    s.speciesCount = 2;
    s.chargeCount = 1;
    s.chemCount = 0;
    s.caseCode = 11;
    s.eStart = 0.3;
    s.eEnd = -0.3;
    s.eStep = 0.005;
    s.scanRate = 0.01;
    s.dropTime = 0.5;
    s.pulseTime = 0.05;
    s.pulseAmplitude = -0.05;
    s.temperatureK = 298.14;
    s.area = 1;
    s.radius = 0.2821;
    s.length = 0.01;
    s.viscosity = 0.01;
    s.rotationRate = 100 * 3.141592654 / 30;
    s.cycles = 0.5;
    s.supportConc = 0.01;
    s.supportCond = 100;
    for (int r = 1; r <= 3; ++r) {
        s.electrons[r] = 1;
        s.alpha[r] = 0.5;
        s.ks[r] = 1e4;
        s.kf[r] = 10;
        s.kb[r] = 0.01;
        s.keq[r] = 1000;
        s.stoich[r] = 1;
    }
    s.e0 = {0, 0.1, -0.1, -0.2, 0, 0};
    s.diffusion = {0, 1e-5, 1e-5, 1e-5, 1e-5, 0};
    s.cInit = {0, 1e-3, 0, 0, 0, 0};
    s.speciesCond = {0, 100, 200, 300, 400, 0};
    return s;
}

} // namespace kemvo
