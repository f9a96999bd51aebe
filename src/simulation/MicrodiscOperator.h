#pragma once
// One implicit time step of the microdisc simulation: diffusion on the disc's grid, the
// mechanism's chemistry in every box and Butler-Volmer kinetics on every strip of the disc.
// Species coupled by a chemical step are solved together, as one band system with the species
// of a box side by side; the electrode enters through the response of the first boxes to a
// unit flux into each strip, so each step costs one band solve per group of species and a
// small dense system of the strips' reaction rates.

#include "simulation/BandMatrix.h"
#include "simulation/ElectrodeClosure.h"
#include "simulation/MicrodiscModel.h"

#include <array>
#include <vector>

namespace kemvo::disc {

using digital::ElectrodeRates;

// The concentrations of a run: in every box [k * S + s] and on each strip of the disc's surface
// [j * S + s].
struct DiscState {
    std::vector<double> box;
    std::vector<double> surface;
};

// The operator of one time step dt [s]: its band factors, the response of every box to a unit
// flux out of each strip and the electrode system at the last potential it met. A mechanism
// with a second-order step is linearised about `around` (box concentrations).
class StepOperator {
public:
    StepOperator(const DiscModel &model, double dt, const std::vector<double> *around);

    double dt() const { return dt_; }
    // The box concentrations a second-order step is linearised about (empty for a linear
    // mechanism).
    const std::vector<double> &around() const { return around_; }

    // The box concentrations after the step when no current flows: the system solved for the
    // right-hand side V/dT x plus what the bulk feeds into the outermost boxes.
    void withoutElectrode(const std::vector<double> &x, std::vector<double> &free) const;

    // The reaction rates [m * ne + j] (reduction positive, dimensionless) of every charge
    // step on every strip at the electrode rate constants `rates` [cm/s], from the boxes left
    // by withoutElectrode.
    const std::vector<double> &reactionRates(const std::vector<double> &free,
                                             const ElectrodeRates &rates, double potential);

    // Applies the reaction rates to the boxes `free` and writes the surface concentrations.
    void applyRates(const std::vector<double> &rho, std::vector<double> &free,
                    std::vector<double> &surface) const;

private:
    // Row (step, j) of the electrode system, rho + kf dZ_ox - kb dZ_red = kf ox - kb red with
    // kf, kb dimensionless and times the strip's share of the disc, divided by 1 + kf + kb so
    // that a fast couple's row (Nernst's ratio) and a slow one's (the rate) are of one size:
    // kf, kb and 1, each over 1 + kf + kb.
    struct Weights {
        double forward;
        double backward;
        double own;
    };
    Weights weights(int j, int step, const ElectrodeRates &rates) const;
    const SpeciesMatrix &block(int k) const { return blocks_[blocks_.size() == 1 ? 0 : k]; }
    void factoriseGroup(int g);
    void surfaceResponse();
    void electrodeSystem(const ElectrodeRates &rates);
    // Net removal q [j * S + s] of each species at each strip for the rates rho.
    void removal(const std::vector<double> &rho, std::vector<double> &q) const;

    const DiscModel &model_;
    double dt_;
    double volumeScale_; // 1 / dT
    std::vector<double> around_;
    std::vector<SpeciesMatrix> blocks_; // 1 + K dt: one for all boxes, or one per box
    std::vector<BandMatrix> bands_;     // per group
    // Per group: [(k * Sg + local) * ne * Sg + j * Sg + local'] the change of the box
    // concentration per unit removal at strip j.
    std::vector<std::vector<double>> response_;
    // [(j * S + s) * (ne * M) + m * ne + j']: the surface concentration's fall per unit rate.
    std::vector<double> surfacePerRate_;
    DenseLu electrode_;
    double electrodePotential_; // [V] at which electrode_ was factorised
    std::vector<double> rho_;
    mutable std::vector<double> work_;
    mutable std::vector<double> q_;
};

} // namespace kemvo::disc
