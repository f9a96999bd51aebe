#include "simulation/MicrodiscOperator.h"

#include "simulation/CheckedMath.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace kemvo::disc {
namespace {

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

digital::SpeciesVector ones() {
    digital::SpeciesVector v{};
    v.fill(1.0);
    return v;
}

} // namespace

StepOperator::StepOperator(const DiscModel &model, double dt, const std::vector<double> *around)
    : model_(model), dt_(dt), volumeScale_(checkedDivide(1.0, dt * model.timeScale)),
      electrodePotential_(NAN) {
    const int boxes = model.grid.boxes();
    const int S = model.species;
    if (around && digital::hasSecondOrderStep(*model.mechanism)) {
        around_ = *around;
        blocks_.resize(at(boxes));
        for (int k = 0; k < boxes; ++k) {
            digital::SpeciesVector c{};
            for (int s = 0; s < S; ++s)
                c[s] = (*around)[at(k * S + s)];
            blocks_[at(k)] = digital::boxBlock(*model.mechanism, model.chemistry, ones(), dt, c);
        }
    } else {
        blocks_.assign(1, digital::boxBlock(*model.mechanism, model.chemistry, ones(), dt));
    }
    bands_.resize(model.members.size());
    response_.resize(model.members.size());
    for (int g = 0; g < static_cast<int>(model.members.size()); ++g)
        factoriseGroup(g);
    surfaceResponse();
    work_.resize(at(boxes * S));
    q_.resize(at(model.grid.ne * S));
}

void StepOperator::factoriseGroup(int g) {
    const DiscGrid &grid = model_.grid;
    const std::vector<int> &species = model_.members[at(g)];
    const int sg = static_cast<int>(species.size());
    const int ne = grid.ne;
    BandMatrix band(grid.boxes() * sg, ne * sg);
    for (int i = 0; i < grid.nu; ++i)
        for (int j = 0; j < ne; ++j) {
            const int k = i * ne + j;
            const SpeciesMatrix &b = block(k);
            for (int a = 0; a < sg; ++a) {
                const int row = k * sg + a;
                for (int c = 0; c < sg; ++c)
                    band.at(row, k * sg + c) +=
                        grid.volume[at(k)] * volumeScale_ * b[species[at(a)]][species[at(c)]];
                const double d = model_.ratio[species[at(a)]];
                const double up = d * grid.uLink[at(k)];
                band.at(row, row) += up; // to the next box out, or to the bulk
                if (i + 1 < grid.nu) {
                    const int next = row + ne * sg;
                    band.at(row, next) -= up;
                    band.at(next, next) += up;
                    band.at(next, row) -= up;
                }
                if (j + 1 < ne) {
                    const double side = d * grid.etaLink[at(k)];
                    const int next = row + sg;
                    band.at(row, row) += side;
                    band.at(row, next) -= side;
                    band.at(next, next) += side;
                    band.at(next, row) -= side;
                }
            }
        }
    band.factorise();
    // The response of every box to a unit removal of each species of the group at each strip.
    const int n = band.size();
    const int sources = ne * sg;
    std::vector<double> &response = response_[at(g)];
    response.assign(at(n) * at(sources), 0.0);
    std::vector<double> unit(at(n));
    for (int source = 0; source < sources; ++source) {
        std::fill(unit.begin(), unit.end(), 0.0);
        unit[at(source)] = 1.0; // box (0, j) is number j: its slot is j * sg + a
        band.solve(unit.data());
        for (int row = 0; row < n; ++row)
            response[at(row) * at(sources) + at(source)] = unit[at(row)];
    }
    bands_[at(g)] = std::move(band);
}

void StepOperator::surfaceResponse() {
    const int ne = model_.grid.ne;
    const int S = model_.species;
    const int M = model_.chargeSteps;
    const int rates = ne * M;
    // Z[(j, s), (j', s')]: the fall of the surface concentration of s at strip j per unit
    // removal of s' at strip j': through the boxes, and across the half box at the strip itself.
    auto z = [&](int j, int s, int jj, int ss) {
        if (model_.group[s] != model_.group[ss])
            return 0.0;
        const int g = model_.group[s];
        const int sg = static_cast<int>(model_.members[at(g)].size());
        double value = response_[at(g)][at(j * sg + model_.slot[s]) * at(ne * sg) +
                                        at(jj * sg + model_.slot[ss])];
        if (j == jj && s == ss)
            value += 1.0 / (model_.ratio[s] * model_.grid.electrode[at(j)]);
        return value;
    };
    surfacePerRate_.assign(at(ne * S) * at(rates), 0.0);
    for (int j = 0; j < ne; ++j)
        for (int s = 0; s < S; ++s)
            for (int m = 0; m < M; ++m) {
                const digital::Couple couple = digital::coupleOf(model_.mechanism->closure, m);
                for (int jj = 0; jj < ne; ++jj)
                    surfacePerRate_[at(j * S + s) * at(rates) + at(m * ne + jj)] =
                        z(j, s, jj, couple.oxidised) - z(j, s, jj, couple.reduced);
            }
}

void StepOperator::withoutElectrode(const std::vector<double> &x, std::vector<double> &free) const {
    const DiscGrid &grid = model_.grid;
    const int S = model_.species;
    const int boxes = grid.boxes();
    const int outer = (grid.nu - 1) * grid.ne;
    free.resize(at(boxes * S));
    for (int g = 0; g < static_cast<int>(model_.members.size()); ++g) {
        const std::vector<int> &species = model_.members[at(g)];
        const int sg = static_cast<int>(species.size());
        for (int k = 0; k < boxes; ++k)
            for (int a = 0; a < sg; ++a) {
                const int s = species[at(a)];
                double rhs = grid.volume[at(k)] * volumeScale_ * x[at(k * S + s)];
                if (k >= outer)
                    rhs += model_.ratio[s] * grid.uLink[at(k)] * model_.bulk[s];
                work_[at(k * sg + a)] = rhs;
            }
        bands_[at(g)].solve(work_.data());
        for (int k = 0; k < boxes; ++k)
            for (int a = 0; a < sg; ++a)
                free[at(k * S + species[at(a)])] = work_[at(k * sg + a)];
    }
}

StepOperator::Weights StepOperator::weights(int j, int step, const ElectrodeRates &rates) const {
    const double w = model_.grid.stripWeight[at(j)] * model_.rateScale;
    const double kf = checkedFinite(w * rates.kf[at(step)]);
    const double kb = checkedFinite(w * rates.kb[at(step)]);
    // Divided by the largest of 1, kf and kb first, so that no sum or product overflows.
    const double largest = std::max({1.0, kf, kb});
    const double sum = 1.0 / largest + kf / largest + kb / largest;
    return {kf / largest / sum, kb / largest / sum, 1.0 / largest / sum};
}

void StepOperator::electrodeSystem(const ElectrodeRates &rates) {
    const int ne = model_.grid.ne;
    const int S = model_.species;
    const int n = ne * model_.chargeSteps;
    std::vector<double> m(at(n) * at(n), 0.0);
    for (int step = 0; step < model_.chargeSteps; ++step) {
        const digital::Couple couple = digital::coupleOf(model_.mechanism->closure, step);
        for (int j = 0; j < ne; ++j) {
            const int row = step * ne + j;
            const Weights p = weights(j, step, rates);
            const double *ox = &surfacePerRate_[at(j * S + couple.oxidised) * at(n)];
            const double *red = &surfacePerRate_[at(j * S + couple.reduced) * at(n)];
            for (int col = 0; col < n; ++col)
                m[at(row) * at(n) + at(col)] = p.forward * ox[col] - p.backward * red[col];
            m[at(row) * at(n) + at(row)] += p.own;
        }
    }
    electrode_.factorise(std::move(m), n);
}

const std::vector<double> &StepOperator::reactionRates(const std::vector<double> &free,
                                                       const ElectrodeRates &rates,
                                                       double potential) {
    if (!(potential == electrodePotential_)) {
        electrodeSystem(rates);
        electrodePotential_ = potential;
    }
    const int ne = model_.grid.ne;
    const int S = model_.species;
    rho_.resize(at(ne * model_.chargeSteps));
    for (int step = 0; step < model_.chargeSteps; ++step) {
        const digital::Couple couple = digital::coupleOf(model_.mechanism->closure, step);
        for (int j = 0; j < ne; ++j) {
            const Weights p = weights(j, step, rates);
            rho_[at(step * ne + j)] = p.forward * free[at(j * S + couple.oxidised)] -
                                      p.backward * free[at(j * S + couple.reduced)];
        }
    }
    electrode_.solve(rho_.data());
    return rho_;
}

void StepOperator::removal(const std::vector<double> &rho, std::vector<double> &q) const {
    const int ne = model_.grid.ne;
    const int S = model_.species;
    std::fill(q.begin(), q.end(), 0.0);
    for (int step = 0; step < model_.chargeSteps; ++step) {
        const digital::Couple couple = digital::coupleOf(model_.mechanism->closure, step);
        for (int j = 0; j < ne; ++j) {
            q[at(j * S + couple.oxidised)] += rho[at(step * ne + j)];
            q[at(j * S + couple.reduced)] -= rho[at(step * ne + j)];
        }
    }
}

void StepOperator::applyRates(const std::vector<double> &rho, std::vector<double> &free,
                              std::vector<double> &surface) const {
    const DiscGrid &grid = model_.grid;
    const int ne = grid.ne;
    const int S = model_.species;
    removal(rho, q_);
    for (int g = 0; g < static_cast<int>(model_.members.size()); ++g) {
        const std::vector<int> &species = model_.members[at(g)];
        const int sg = static_cast<int>(species.size());
        const int sources = ne * sg;
        std::vector<double> &load = work_;
        for (int j = 0; j < ne; ++j)
            for (int a = 0; a < sg; ++a)
                load[at(j * sg + a)] = q_[at(j * S + species[at(a)])];
        const std::vector<double> &response = response_[at(g)];
        for (int k = 0; k < grid.boxes(); ++k)
            for (int a = 0; a < sg; ++a) {
                const double *r = &response[at(k * sg + a) * at(sources)];
                double lost = 0.0;
                for (int source = 0; source < sources; ++source)
                    lost += r[source] * load[at(source)];
                free[at(k * S + species[at(a)])] -= lost;
            }
    }
    surface.resize(at(ne * S));
    for (int j = 0; j < ne; ++j)
        for (int s = 0; s < S; ++s)
            surface[at(j * S + s)] =
                free[at(j * S + s)] - q_[at(j * S + s)] / (model_.ratio[s] * grid.electrode[at(j)]);
}

} // namespace kemvo::disc
