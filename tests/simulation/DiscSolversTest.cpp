// The linear algebra and the ohmic-drop root of the microdisc simulation.

#include "simulation/BandMatrix.h"
#include "simulation/OhmicDrop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace kemvo {
namespace {

TEST(DiscSolvers, BandSolveOfTheDiffusionMatrixRecoversAKnownSolution) {
    // The implicit diffusion matrix of a line of 50 boxes coupled to their neighbours one and
    // five places away (a 5-wide grid), with a non-symmetric coupling as chemistry adds: the
    // right-hand side is the matrix times x = 1..50, which the solve must give back to 1e-12.
    const int n = 50, w = 5;
    BandMatrix band(n, w);
    std::vector<std::vector<double>> dense(n, std::vector<double>(n, 0.0));
    auto add = [&](int i, int j, double v) {
        band.at(i, j) += v;
        dense[i][j] += v;
    };
    for (int i = 0; i < n; ++i) {
        add(i, i, 1.0);
        for (int d : {1, 5})
            if (i + d < n) {
                add(i, i, 0.7);
                add(i + d, i + d, 0.7);
                add(i, i + d, -0.7);
                add(i + d, i, -0.7);
            }
        if (i % 2 == 0 && i + 1 < n) { // a step i -> i+1 at 3 per unit
            add(i, i, 3.0);
            add(i + 1, i, -3.0);
        }
    }
    std::vector<double> x(n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            x[i] += dense[i][j] * (j + 1);
    band.factorise();
    band.solve(x.data());
    for (int i = 0; i < n; ++i)
        EXPECT_NEAR(x[i], i + 1, 1e-12 * n) << i;
}

TEST(DiscSolvers, DenseSolveNeedsItsPivots) {
    // [[0, 2, 1], [1, 1, 0], [3, 0, 1]] x = (5, 3, 4) has x = (1, 2, 1) (by hand); its first
    // pivot is zero, so only a pivoting elimination solves it.
    DenseLu lu;
    lu.factorise({0, 2, 1, 1, 1, 0, 3, 0, 1}, 3);
    double b[] = {5, 3, 4};
    lu.solve(b);
    EXPECT_NEAR(b[0], 1, 1e-14);
    EXPECT_NEAR(b[1], 2, 1e-14);
    EXPECT_NEAR(b[2], 1, 1e-14);
}

TEST(DiscSolvers, OhmicDropFindsTheSelfConsistentPotentialForEveryResistance) {
    // A current linear in the potential, I = g (E - E0), under Ru: I = g (applied - Ru I - E0),
    // so I = g (applied - E0)/(1 + g Ru) (by hand); and a reduction wave, I = -Ilim/(1 +
    // exp(f (E - E0))), whose root the check confirms. Ru from 0 to 1e6 ohm.
    const double g = 1e-3, e0 = 0.1, applied = -0.2;
    for (double ru : {0.0, 5.0, 30.0, 45.0, 1e3, 1e6}) {
        const double e = ohmicPotential(applied, ru, [&](double x) { return g * (x - e0); });
        EXPECT_NEAR(g * (e - e0), g * (applied - e0) / (1 + g * ru), 1e-12) << ru;
        auto wave = [=](double x) { return -1e-3 / (1 + std::exp(38.9 * (x - e0))); };
        const double ew = ohmicPotential(applied, ru, wave);
        EXPECT_NEAR(ew, applied - ru * wave(ew), 1e-10) << ru; // [V]
    }
}

} // namespace
} // namespace kemvo
