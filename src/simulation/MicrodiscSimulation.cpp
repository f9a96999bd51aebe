#include "simulation/MicrodiscSimulation.h"

#include "shell/Constants.h"
#include "shell/NumberText.h"
#include "simulation/CheckedMath.h"
#include "simulation/LargerSmaller.h"
#include "simulation/PotentialProgramme.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace kemvo {
namespace {

// Oblate spheroidal coordinates around a disc of radius a: r = a sqrt((1 + xi^2)(1 - eta^2)),
// z = a xi eta. The disc is xi = 0 (eta = sqrt(1 - r^2/a^2)), the insulating plane eta = 0,
// the axis eta = 1. With u = (2/pi) atan(xi) in [0, 1) the steady concentration is linear,
// C = C* u, and the current 4 a D integral of dC/du over eta at u = 0 (Saito's 4 n F D C a).
// Per unit of u and eta the volume element is (pi/2)(xi^2 + eta^2)(1 + xi^2) (times 2 pi a^3),
// and diffusion reads
//   dC/dT (xi^2 + eta^2) dxi = d [(2/pi) d2C/du2 du + dxi d/deta((1 - eta^2) dC/deta)],
// with T = D_A t / a^2 and d = D / D_A; Michael, Wightman and Amatore, J. Electroanal. Chem.
// 267 (1989) 33, and Amatore and Fosset, J. Electroanal. Chem. 328 (1992) 21, use this map.
// Boxes are integrated exactly over their volume, so mass is conserved box by box.

constexpr double kHalfPi = kPi / 2;
constexpr int kEtaBoxes = 8;
constexpr double kFirstBoxPerDiffusionLength = 0.3; // first u box over (2/pi) sqrt(D dt)/a
constexpr double kSmallestFirstBox = 1e-9;
constexpr double kLargestFirstBox = 0.02;
constexpr double kGrowth = 1.3;      // ratio of neighbouring u boxes
constexpr double kLargestBox = 0.05; // in u
constexpr double kOuterFace = 0.98;  // u = 0.98 is xi = 32: beyond it the bulk

// Implicit steps into which each t pulse (each half period of a square wave) is cut. One
// implicit step over a whole pulse gives the current after a potential step far too high (a
// Cottrell transient is singular at its start: +66 % for a default normal pulse at a 100 um
// disc); with 32 the diffusion-limited step current is within 0.3 % of Shoup and Szabo's.
constexpr int kStepsPerPulse = 32;

// Pulses of t pulse per data point: 2 for the square wave (its half periods), and for the DC
// and pulse techniques t drop / t pulse rounded to an even number of at least 2.
int pulsesPerPoint(const ExperimentState &state) {
    if (state.technique == 5)
        return 2;
    int pulses = roundToInt16(larger(checkedDivide(state.dropTime, state.pulseTime), 2.0));
    if (pulses % 2 != 0)
        ++pulses;
    return pulses;
}

// Applied potential during pulse q (1..Q, each t pulse long) of data point p with programme
// potential ep, by the rules of the one-dimensional engine.
double appliedPotential(const ExperimentState &state, int p, int q, int pulses, double ep) {
    const bool lastPulse = q == pulses;
    switch (state.technique) {
    case 3:
        return lastPulse ? ep + state.pulseAmplitude : state.eStart;
    case 4:
        if (!lastPulse)
            return ep;
        return ep + pulseWithScan(state, p); // with the scan on each sweep that runs as the first
    case 5:
        return q % 2 == 0 ? ep + state.pulseAmplitude : ep - state.pulseAmplitude;
    default:
        return ep;
    }
}

// Band matrix of half-width w, factorised in place without pivoting (it is symmetric and
// diagonally dominant), then solved for any number of right-hand sides.
class BandMatrix {
public:
    BandMatrix(int size, int halfWidth)
        : n_(size), w_(halfWidth), a_(static_cast<std::size_t>(size * (2 * halfWidth + 1))) {}

    double &at(int row, int column) { return a_[index(row, column)]; }

    void factorise() {
        for (int k = 0; k < n_; ++k) {
            const double pivot = at(k, k);
            if (!(pivot != 0))
                throw RuntimeError(kDivisionByZero);
            for (int i = k + 1; i <= std::min(n_ - 1, k + w_); ++i) {
                const double factor = at(i, k) / pivot;
                at(i, k) = factor;
                for (int j = k + 1; j <= std::min(n_ - 1, k + w_); ++j)
                    at(i, j) -= factor * at(k, j);
            }
        }
    }

    void solve(std::vector<double> &x) const {
        for (int i = 0; i < n_; ++i) {
            const double *row = rowStart(i);
            double sum = x[i];
            for (int j = std::max(0, i - w_); j < i; ++j)
                sum -= row[j] * x[j];
            x[i] = sum;
        }
        for (int i = n_ - 1; i >= 0; --i) {
            const double *row = rowStart(i);
            double sum = x[i];
            for (int j = i + 1; j <= std::min(n_ - 1, i + w_); ++j)
                sum -= row[j] * x[j];
            x[i] = sum / row[i];
        }
    }

private:
    // Row i's entries addressed by column: valid for columns within the band.
    const double *rowStart(int i) const {
        return a_.data() + static_cast<std::ptrdiff_t>(i) * 2 * w_ + w_;
    }
    std::size_t index(int row, int column) const {
        return static_cast<std::size_t>(row) * (2 * w_ + 1) +
               static_cast<std::size_t>(column - row + w_);
    }
    int n_;
    int w_;
    std::vector<double> a_;
};

// Boxes (i, j), i = 0..nu-1 along u from the disc, j = 0..ne-1 along eta from the plane;
// box (i, j) is number i * ne + j.
struct DiscGrid {
    int nu = 0;
    int ne = kEtaBoxes;
    std::vector<double> volume;      // exact integral of (xi^2 + eta^2) dxi deta
    std::vector<double> uLink;       // conductance to box (i + 1, j); the last, to the bulk
    std::vector<double> etaLink;     // conductance to box (i, j + 1)
    std::vector<double> electrode;   // conductance of box (0, j) to the disc
    std::vector<double> stripWeight; // (eta+^2 - eta-^2)/2: the strip's share of the disc
    int size() const { return nu * ne; }
};

double xiOf(double u) {
    return std::tan(kHalfPi * u);
}

std::vector<double> uFaces(double firstBox) {
    std::vector<double> faces{0.0};
    double width = firstBox;
    while (faces.back() < kOuterFace) {
        faces.push_back(std::min(kOuterFace, faces.back() + width));
        width = std::min(kLargestBox, width * kGrowth);
    }
    return faces;
}

DiscGrid discGrid(double firstBox) {
    DiscGrid g;
    const std::vector<double> faces = uFaces(firstBox);
    g.nu = static_cast<int>(faces.size()) - 1;
    std::vector<double> centre(static_cast<std::size_t>(g.nu) + 1);
    for (int i = 0; i < g.nu; ++i)
        centre[i] = (faces[i] + faces[i + 1]) / 2;
    centre[g.nu] = 1.0; // the bulk, xi = infinity
    const double dEta = 1.0 / g.ne;
    g.volume.resize(g.size());
    g.uLink.resize(g.size());
    g.etaLink.resize(g.size());
    g.electrode.resize(g.ne);
    g.stripWeight.resize(g.ne);
    for (int j = 0; j < g.ne; ++j) {
        const double e0 = j * dEta;
        const double e1 = (j + 1) * dEta;
        g.electrode[j] = dEta / (kHalfPi * centre[0]);
        g.stripWeight[j] = (e1 * e1 - e0 * e0) / 2;
        for (int i = 0; i < g.nu; ++i) {
            const double x0 = xiOf(faces[i]);
            const double x1 = xiOf(faces[i + 1]);
            const int k = i * g.ne + j;
            g.volume[k] = (x1 * x1 * x1 - x0 * x0 * x0) / 3 * dEta +
                          (x1 - x0) * (e1 * e1 * e1 - e0 * e0 * e0) / 3;
            g.uLink[k] = dEta / (kHalfPi * (centre[i + 1] - centre[i]));
            g.etaLink[k] = j + 1 < g.ne ? (x1 - x0) * (1 - e1 * e1) / dEta : 0.0;
        }
    }
    return g;
}

// One species on the grid: its implicit operator V/dT + d L factorised, and its response in
// the first boxes to a unit flux into the disc from each strip.
struct SpeciesOperator {
    double ratio = 1;             // D / D_A
    double bulk = 0;              // [mol/L]
    BandMatrix matrix{0, 0};      // V/dT + d L
    std::vector<double> response; // [k * ne + j]: in box k, of a unit flux from strip j
};

SpeciesOperator speciesOperator(const DiscGrid &g, double dT, double ratio, double bulk) {
    SpeciesOperator s{ratio, bulk, BandMatrix(g.size(), g.ne), {}};
    for (int i = 0; i < g.nu; ++i)
        for (int j = 0; j < g.ne; ++j) {
            const int k = i * g.ne + j;
            s.matrix.at(k, k) += g.volume[k] / dT + ratio * g.uLink[k];
            if (i + 1 < g.nu) {
                s.matrix.at(k, k + g.ne) -= ratio * g.uLink[k];
                s.matrix.at(k + g.ne, k + g.ne) += ratio * g.uLink[k];
                s.matrix.at(k + g.ne, k) -= ratio * g.uLink[k];
            }
            if (j + 1 < g.ne) {
                s.matrix.at(k, k) += ratio * g.etaLink[k];
                s.matrix.at(k, k + 1) -= ratio * g.etaLink[k];
                s.matrix.at(k + 1, k + 1) += ratio * g.etaLink[k];
                s.matrix.at(k + 1, k) -= ratio * g.etaLink[k];
            }
        }
    s.matrix.factorise();
    s.response.assign(static_cast<std::size_t>(g.size()) * g.ne, 0.0);
    std::vector<double> unit(g.size());
    for (int j = 0; j < g.ne; ++j) {
        std::fill(unit.begin(), unit.end(), 0.0);
        unit[j] = 1.0;
        s.matrix.solve(unit);
        for (int k = 0; k < g.size(); ++k)
            s.response[k * g.ne + j] = unit[k];
    }
    return s;
}

// Solves the dense system m x = b (order n, row-major) by elimination with partial pivoting.
void solveDense(std::vector<double> &m, std::vector<double> &b, int n) {
    for (int k = 0; k < n; ++k) {
        int pivot = k;
        for (int i = k + 1; i < n; ++i)
            if (std::fabs(m[i * n + k]) > std::fabs(m[pivot * n + k]))
                pivot = i;
        if (m[pivot * n + k] == 0)
            throw RuntimeError(kDivisionByZero);
        if (pivot != k) {
            for (int j = 0; j < n; ++j)
                std::swap(m[k * n + j], m[pivot * n + j]);
            std::swap(b[k], b[pivot]);
        }
        for (int i = k + 1; i < n; ++i) {
            const double factor = m[i * n + k] / m[k * n + k];
            for (int j = k; j < n; ++j)
                m[i * n + j] -= factor * m[k * n + j];
            b[i] -= factor * b[k];
        }
    }
    for (int i = n - 1; i >= 0; --i) {
        for (int j = i + 1; j < n; ++j)
            b[i] -= m[i * n + j] * b[j];
        b[i] /= m[i * n + i];
    }
}

// The state of a run: the grid, the operators of A and B and the concentrations in every box.
class DiscRun {
public:
    DiscRun(const ExperimentState &state, double timeStep)
        : state_(state), radius_(state.radius), diffusionA_(state.diffusion[1]) {
        const double dT = checkedDivide(diffusionA_ * timeStep, radius_ * radius_);
        if (!(dT > 0)) // no diffusion or no time step: every box's volume / dT
            throw RuntimeError(kDivisionByZero);
        const double diffusionLength = checkedSqrt(dT) / kHalfPi;
        grid_ = discGrid(std::clamp(kFirstBoxPerDiffusionLength * diffusionLength,
                                    kSmallestFirstBox, kLargestFirstBox));
        oxidised_ = speciesOperator(grid_, dT, 1.0, state.cInit[1]);
        reduced_ = speciesOperator(grid_, dT, checkedDivide(state.diffusion[2], diffusionA_),
                                   state.cInit[2]);
        volumeOverStep_.resize(grid_.size());
        for (int k = 0; k < grid_.size(); ++k)
            volumeOverStep_[k] = grid_.volume[k] / dT;
        // Molar flow [mol/s per mol/L] of a unit dimensionless flux, scaled to the area typed.
        flowScale_ = checkedFinite(2 * kPi * radius_ * diffusionA_ * kMolarToPerCm3 *
                                   checkedDivide(state.area, kPi * radius_ * radius_));
        a_.resize(grid_.size());
        b_.resize(grid_.size());
        flux_.resize(grid_.ne);
        electrodeSystem_.resize(static_cast<std::size_t>(grid_.ne) * grid_.ne);
        reset();
    }

    void reset() {
        std::fill(a_.begin(), a_.end(), oxidised_.bulk);
        std::fill(b_.begin(), b_.end(), reduced_.bulk);
    }

    // One implicit step at the potential e [V]; returns the current [A], oxidation positive.
    double step(double e) {
        const double phi = state_.electrons[1] * state_.fOverRT * (e - state_.e0[1]);
        const double toDimensionless = checkedDivide(radius_, diffusionA_);
        const double kf = checkedFinite(state_.ks[1] * checkedExp(-state_.alpha[1] * phi));
        const double kb = checkedFinite(state_.ks[1] * checkedExp((1 - state_.alpha[1]) * phi));
        withoutElectrode(oxidised_, a_);
        withoutElectrode(reduced_, b_);
        electrodeFluxes(checkedFinite(kf * toDimensionless), checkedFinite(kb * toDimensionless));
        addElectrodeFluxes();
        double total = 0;
        for (int j = 0; j < grid_.ne; ++j)
            total += flux_[j];
        return checkedFinite(-state_.electrons[1] * kFaraday * flowScale_ * total);
    }

    // Mean concentrations [mol/L] over the disc's surface.
    double surfaceA() const {
        double mean = 0;
        for (int j = 0; j < grid_.ne; ++j)
            mean += 2 * grid_.stripWeight[j] * (a_[j] - flux_[j] / grid_.electrode[j]);
        return checkedFinite(mean);
    }
    double surfaceB() const {
        double mean = 0;
        for (int j = 0; j < grid_.ne; ++j)
            mean += 2 * grid_.stripWeight[j] *
                    (b_[j] + flux_[j] / (reduced_.ratio * grid_.electrode[j]));
        return checkedFinite(mean);
    }

private:
    // The concentrations the step would leave without the electrode's flux:
    // (V/dT + d L)^-1 (V/dT c + the inflow from the bulk).
    void withoutElectrode(const SpeciesOperator &s, std::vector<double> &c) const {
        const int outer = (grid_.nu - 1) * grid_.ne;
        for (int k = 0; k < grid_.size(); ++k)
            c[k] *= volumeOverStep_[k];
        for (int j = 0; j < grid_.ne; ++j)
            c[outer + j] += s.ratio * grid_.uLink[outer + j] * s.bulk;
        s.matrix.solve(c);
    }

    // The flux of A into the disc from each strip: Butler-Volmer, w (kf A0 - kb B0), with the
    // surface concentrations of the first boxes less (A) or plus (B) what the fluxes carry
    // across the half box, and the first boxes' response to the fluxes.
    void electrodeFluxes(double kf, double kb) {
        const int ne = grid_.ne;
        for (int j = 0; j < ne; ++j) {
            const double w = grid_.stripWeight[j];
            for (int l = 0; l < ne; ++l)
                electrodeSystem_[j * ne + l] =
                    w * (kf * oxidised_.response[j * ne + l] + kb * reduced_.response[j * ne + l]);
            electrodeSystem_[j * ne + j] +=
                1 + w * (kf / grid_.electrode[j] + kb / (reduced_.ratio * grid_.electrode[j]));
            flux_[j] = w * (kf * a_[j] - kb * b_[j]);
        }
        solveDense(electrodeSystem_, flux_, ne);
    }

    void addElectrodeFluxes() {
        const int ne = grid_.ne;
        for (int k = 0; k < grid_.size(); ++k) {
            const double *toA = &oxidised_.response[static_cast<std::size_t>(k) * ne];
            const double *toB = &reduced_.response[static_cast<std::size_t>(k) * ne];
            double lostA = 0, gainedB = 0;
            for (int j = 0; j < ne; ++j) {
                lostA += toA[j] * flux_[j];
                gainedB += toB[j] * flux_[j];
            }
            a_[k] -= lostA;
            b_[k] += gainedB;
        }
    }

    const ExperimentState &state_;
    double radius_;     // [cm]
    double diffusionA_; // [cm^2/s]
    DiscGrid grid_;
    SpeciesOperator oxidised_;
    SpeciesOperator reduced_;
    std::vector<double> volumeOverStep_;
    double flowScale_ = 0;
    std::vector<double> a_, b_; // [mol/L] A and B in every box
    std::vector<double> flux_;  // dimensionless flux of A into the disc from each strip
    std::vector<double> electrodeSystem_;
};

} // namespace

int microdiscStepsPerPoint(const ExperimentState &state) {
    if (state.technique == 1)
        return 1;
    return pulsesPerPoint(state) * kStepsPerPulse;
}

bool microdiscSimulatesMechanism(int mechanism) {
    return mechanism == 1;
}

void runMicrodiscSimulation(const ExperimentState &state, CurveStore &store,
                            double uncompensatedResistance,
                            const std::function<void(int)> &pointDone) {
    if (state.technique < 1 || state.technique > 5)
        throw RuntimeError(kSubscriptOutOfRange);
    const bool sweep = state.technique == 1;
    const int steps = microdiscStepsPerPoint(state);
    const int stepsPerPulse = sweep ? 1 : kStepsPerPulse;
    const int pulses = steps / stepsPerPulse;
    const bool newDrops = state.technique >= 2 && state.technique <= 4;
    DiscRun run(state, sweep ? state.dropTime : state.pulseTime / kStepsPerPulse);
    double lastCurrent = 0;
    double kept = 0; // at the end of the last pulse but one (differential pulse, square wave)
    for (int p = 1; p <= state.pointCount; ++p) {
        const double ep = store.potential(p);
        if (newDrops)
            run.reset();
        for (int q = 1; q <= steps; ++q) {
            // The electrode sees E - Ru I (I anodic positive).
            double e = appliedPotential(state, p, (q - 1) / stepsPerPulse + 1, pulses, ep);
            if (uncompensatedResistance > 0)
                e -= uncompensatedResistance * lastCurrent;
            lastCurrent = run.step(e);
            if (q == steps - stepsPerPulse)
                kept = lastCurrent;
        }
        store.reactionCurrent(p, 1) =
            state.technique >= 4 ? checkedFinite(lastCurrent - kept) : lastCurrent;
        store.surfaceConc(p, 1) = run.surfaceA();
        store.surfaceConc(p, 2) = run.surfaceB();
        if (pointDone)
            pointDone(p);
    }
}

} // namespace kemvo
