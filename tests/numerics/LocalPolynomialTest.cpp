// Local least-squares polynomials against the tables of Savitzky and Golay (Anal. Chem. 36
// (1964) 1627), polynomials they must reproduce exactly, and the noise measured on a smooth
// curve with white noise of known deviation drawn here.

#include "numerics/LocalPolynomial.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace kemvo {
namespace {

TEST(LocalPolynomial, SmoothingWeightsAreSavitzkyGolays) {
    // Quadratic smoothing, centre point: 5 points (-3, 12, 17, 12, -3)/35 and 7 points
    // (-2, 3, 6, 7, 6, 3, -2)/21 (their table I).
    const std::vector<std::pair<int, std::vector<double>>> table = {{2, {-3, 12, 17, 12, -3}},
                                                                    {3, {-2, 3, 6, 7, 6, 3, -2}}};
    const double norms[] = {35, 21};
    for (std::size_t t = 0; t < table.size(); ++t) {
        const auto w = localFitWeights(table[t].first, table[t].first, 2, 0);
        ASSERT_EQ(w.size(), table[t].second.size());
        for (std::size_t k = 0; k < w.size(); ++k)
            EXPECT_NEAR(w[k], table[t].second[k] / norms[t], 1e-12);
    }
}

TEST(LocalPolynomial, QuadraticsPassThroughSmoothingAndFittingUnchanged) {
    // A quadratic is its own least-squares quadratic: at every point, the ends included, and
    // the parabola fitted through scattered points has the quadratic's vertex (2, -1).
    std::vector<double> x, y;
    for (int i = 0; i < 30; ++i) {
        x.push_back(0.1 * i + 0.013 * (i % 3));
        y.push_back((x.back() - 2) * (x.back() - 2) * 0.5 - 1);
    }
    std::vector<double> uniform;
    for (int i = 0; i < 30; ++i)
        uniform.push_back(3 * i * i - 7 * i + 2);
    const auto s = smoothed(uniform, 4);
    for (std::size_t i = 0; i < s.size(); ++i)
        EXPECT_NEAR(s[i], uniform[i], 1e-9 * (1 + std::fabs(uniform[i])));
    const auto p = fitPolynomial(x, y, 2);
    ASSERT_TRUE(p);
    const double vertex = p->centre - p->coefficients[1] / (2 * p->coefficients[2]);
    EXPECT_NEAR(vertex, 2, 1e-10);
    EXPECT_NEAR((*p)(vertex), -1, 1e-10);
    EXPECT_FALSE(fitPolynomial(std::vector<double>{1, 1, 1}, std::vector<double>{1, 2, 3}, 1));
}

TEST(LocalPolynomial, NoiseOfASmoothCurveIsItsDeviation) {
    // A peak-shaped curve on 4000 points with white noise of deviation 0.01: the robust scale of
    // the local residuals recovers 0.01 within 5 % (the median of 4000 |z| scatters by about
    // 2 %); without noise the curve's own remainder reads far below it.
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 0.01);
    std::vector<double> clean, noisy;
    for (int i = 0; i < 4000; ++i) {
        const double t = i / 4000.0;
        clean.push_back(std::exp(-std::pow((t - 0.4) / 0.05, 2)) + 0.3 * t);
        noisy.push_back(clean.back() + noise(random));
    }
    EXPECT_NEAR(robustDeviation(localFitResiduals(noisy, 3, 4)), 0.01, 5e-4);
    EXPECT_LT(robustDeviation(localFitResiduals(clean, 3, 4)), 1e-6);
    EXPECT_EQ(robustDeviation({}), 0);
}

} // namespace
} // namespace kemvo
