#pragma once
// The experiment as the parameter intake writes it from the windows' initial texts, for tests
// and benchmarks that run the numerical code without the windows.

#include "shell/ExperimentState.h"

namespace kemvo {

// The state the parameter intake writes from the windows' initial texts, for a case by code:
// technique 1 sweep ... 5 square wave, electrode 1 planar ... 8 rotating disk.
inline ExperimentState experiment(int technique = 1, int electrode = 1, int digital = 0) {
    ExperimentState s;
    s.technique = static_cast<Int16>(technique);
    s.electrode = static_cast<Int16>(electrode);
    s.caseCode = static_cast<Int16>(electrode + 10 * technique);
    s.digital = static_cast<Int16>(digital);
    s.mechanism = 1;
    s.speciesCount = 2;
    s.chargeCount = 1;
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
    s.electrons = s.stoich = {0, 1, 1, 1, 0, 0};
    s.alpha = {0, 0.5, 0.5, 0.5, 0, 0};
    s.ks = {0, 1e4, 1e4, 1e4, 0, 0};
    s.kf = {0, 10, 10, 10, 0, 0};
    s.kb = {0, 0.01, 0.01, 0.01, 0, 0};
    s.keq = {0, 1000, 1000, 1000, 0, 0};
    s.e0 = {0, 0.1, -0.1, -0.2, 0, 0};
    s.diffusion = {0, 1e-5, 1e-5, 1e-5, 1e-5, 0};
    s.cInit = {0, 1e-3, 0, 0, 0, 0};
    return s;
}

} // namespace kemvo
