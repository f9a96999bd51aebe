#include "simulation/MicrodiscModel.h"

#include "shell/Constants.h"
#include "shell/RuntimeError.h"
#include "simulation/CheckedMath.h"
#include "simulation/LargerSmaller.h"
#include "simulation/PotentialProgramme.h"

#include <cmath>

namespace kemvo::disc {
namespace {

// Groups of species that a chemical step couples: each group is solved as one system.
void groupSpecies(DiscModel &m) {
    std::array<int, 4> root{0, 1, 2, 3};
    auto find = [&root](int s) {
        while (root[s] != s)
            s = root[s];
        return s;
    };
    for (int k = 0; k < m.mechanism->chemicalSteps; ++k) {
        const digital::ChemicalStep &step = m.mechanism->chemistry[k];
        root[find(step.from)] = find(step.to);
    }
    m.members.clear();
    std::array<int, 4> groupOfRoot{-1, -1, -1, -1};
    for (int s = 0; s < m.species; ++s) {
        const int r = find(s);
        if (groupOfRoot[r] < 0) {
            groupOfRoot[r] = static_cast<int>(m.members.size());
            m.members.emplace_back();
        }
        m.group[s] = groupOfRoot[r];
        m.slot[s] = static_cast<int>(m.members[m.group[s]].size());
        m.members[m.group[s]].push_back(s);
    }
}

// [s] The shortest time the grid resolves: the interval at one potential (the pulse, or the
// drop of DC), for a sweep the time the ramp takes over RT/F or over one step, whichever is
// shorter, and a faster chemical lifetime.
double resolvedTime(const ExperimentState &state, const DiscModel &m) {
    double t = state.technique == 2 ? state.dropTime : state.pulseTime;
    if (state.technique == 1) {
        const double thermal = 1.0 / state.fOverRT;
        t = std::abs(state.eStep) > thermal ? state.dropTime * thermal / std::abs(state.eStep)
                                            : state.dropTime;
    }
    return smaller(t, digital::shortestLifetime(*m.mechanism, m.chemistry));
}

// [s] How long diffusion runs: the whole programme (with its quiet time and vertex holds), or
// one drop.
double runDuration(const ExperimentState &state) {
    switch (state.technique) {
    case 1:
        return state.pointCount * state.dropTime + state.quietTime + vertexHoldTime(state);
    case 5:
        return state.pointCount * 2.0 * state.pulseTime;
    default:
        return larger(state.dropTime, state.pulseTime);
    }
}

} // namespace

DiscModel discModel(const ExperimentState &state) {
    if (state.technique < 1 || state.technique > 5)
        throw RuntimeError(kSubscriptOutOfRange);
    DiscModel m;
    m.mechanism = &digital::mechanismOf(state.mechanism);
    m.species = m.mechanism->species;
    m.chargeSteps = digital::chargeStepCount(m.mechanism->closure);
    const double radius = state.radius;
    const double dA = state.diffusion[1];
    if (!(radius > 0) || !(dA > 0) || !(state.area > 0))
        throw RuntimeError(kDivisionByZero);
    m.reference = state.cInit[1];
    for (int s = 2; s <= m.species; ++s)
        m.reference = larger(m.reference, state.cInit[s]);
    double dMin = dA, dMax = dA;
    for (int s = 0; s < m.species; ++s) {
        const double d = state.diffusion[s + 1];
        if (!(d > 0))
            throw RuntimeError(kDivisionByZero);
        m.ratio[s] = d / dA;
        m.bulk[s] = checkedDivide(state.cInit[s + 1], m.reference);
        dMin = smaller(dMin, d);
        dMax = larger(dMax, d);
    }
    m.chemistry = digital::chemistryRates(state, *m.mechanism, m.reference);
    groupSpecies(m);
    m.timeScale = checkedDivide(dA, radius * radius);
    m.rateScale = checkedDivide(radius, dA);
    // A unit dimensionless rate is a flow of 2 pi a D_A Cref [mol/s] over the disc pi a^2,
    // scaled to the area typed.
    m.currentScale = checkedFinite(kFaraday * 2 * kPi * radius * dA * kMolarToPerCm3 * m.reference *
                                   checkedDivide(state.area, kPi * radius * radius));
    const double shortest = checkedSqrt(dMin * resolvedTime(state, m)) / radius;
    const double longest = checkedSqrt(dMax * runDuration(state)) / radius;
    m.grid = discGrid(shortest, longest);
    return m;
}

} // namespace kemvo::disc
