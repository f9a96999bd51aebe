#include "analysis/TheoreticalPeak.h"
#include "analysis/TheoreticalCurrents.h"

#include "Session.h"
#include "support/DefaultExperiment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace kemvo {
namespace {

using Value = std::optional<double>;
constexpr Value na = std::nullopt;

// Every row of the table for A + ne = B at the windows' initial values (298.14 K, n = 1,
// alpha = 0.5, ks = 1e4 cm/s, E0 = 0.1 V, D = 1e-5 cm^2/s, C = 1 mM, A = 1 cm^2, L = 0.01 cm,
// v = 0.01 V/s, td = 0.5 s, tp = 0.05 s, dE = -0.05 V, 100 rpm, nu = 0.01 cm^2/s), with a radius
// of 50 um so that the radial terms count (microdisc p = 0.986, cylinder tau = 0.2).
// Expected values evaluated by hand from the published expressions (a separate script, to
// 9 digits; tolerance 1e-6 relative):
//   sweep planar: 0.4463 nFAC sqrt(fvD); Erev - 1.109/f; 0.4958 nFAC sqrt(alpha f v D);
//     E0 - (0.78 + ln(sqrt(alpha f v D)/ks))/(alpha f)
//   sweep sphere: planar + 0.752 nFADC/r0; microdisc: Aoki et al. (1984); thin layer
//     n^2 F^2 v A L C/(4RT) at E0; rotating disk and DC rotating disk: Levich
//   DC planar: Cottrell at td, E1/2 = Erev, irreversible E0 + ln(2.31 ks sqrt(td/D))/(alpha f)
//   DC sphere: nFADC (1/sqrt(pi D td) + 1/r0); microdisc: Shoup-Szabo at tau = 4Dtd/r0^2;
//     cylinder: Szabo et al. at tau = Dtd/r0^2
//   normal pulse: Cottrell at tp at Erev - dE; differential pulse: (sigma-1)/(sigma+1) at
//     Erev - dE/2; square wave: net peak 0.918613 (superposed staircase, 5 mV steps, 50 mV
//     amplitude, independent script) times Cottrell at tp, signed like dE.
struct Row {
    int technique, electrode;
    Value ep, ip, epIrr, ipIrr;
};

const Row kRows[] = {
    {1, 1, 0.0715078495, 8.49548243e-5, 0.871018099, 6.67348493e-5},
    {1, 2, na, 2.30067663e-4, na, na},
    {1, 3, na, 2.30067663e-4, na, na},
    {1, 4, na, 2.28388526e-8, na, na},
    {1, 5, na, na, na, na},
    {1, 6, na, na, na, na},
    {1, 7, 0.1, 9.38867545e-5, na, na},
    {1, 8, na, 1.93581566e-4, na, na},
    {2, 1, 0.1, 2.43443432e-4, 0.894259264, 2.43443432e-4},
    {2, 2, na, 4.36412632e-4, na, na},
    {2, 3, na, 4.36412632e-4, na, na},
    {2, 4, na, 3.60021228e-8, na, na},
    {2, 5, na, 3.32945613e-4, na, na},
    {2, 6, na, 3.32945613e-4, na, na},
    {2, 7, na, na, na, na},
    {2, 8, na, 1.93581566e-4, na, na},
    {3, 1, 0.15, 7.69835727e-4, na, na},
    {3, 4, 0.15, 7.69835727e-4, na, na},
    {4, 1, 0.125, -3.47553103e-4, na, na},
    {5, 1, 0.1, -7.07181085e-4, na, na},
};

void expectValue(const Value &actual, const Value &expected, const char *what) {
    ASSERT_EQ(actual.has_value(), expected.has_value()) << what;
    if (expected) {
        EXPECT_NEAR(*actual, *expected, 1e-6 * std::fabs(*expected)) << what;
    }
}

TEST(TheoreticalValues, EveryRowOfTheSimpleCoupleAgainstHandValues) {
    for (const Row &row : kRows) {
        SCOPED_TRACE(testing::Message()
                     << "technique " << row.technique << " electrode " << row.electrode);
        ExperimentState s = experiment(row.technique, row.electrode);
        s.radius = 0.005;
        const TheoreticalValues v = theoreticalValues(s, 1);
        EXPECT_FALSE(v.onlyErev);
        EXPECT_DOUBLE_EQ(v.erev, 0.1); // equal diffusion coefficients
        expectValue(v.ep, row.ep, "Ep");
        expectValue(v.ip, row.ip, "Ip");
        expectValue(v.epIrr, row.epIrr, "Ep irreversible");
        expectValue(v.ipIrr, row.ipIrr, "Ip irreversible");
    }
}

TEST(TheoreticalValues, CatalyticAndOtherMechanisms) {
    // nFAC sqrt(k D) at Erev: mechanism 9 with k = kf = 10/s gives F 1e-6 sqrt(1e-4) exactly;
    // mechanism 16 with k = kf C(C) = 10 * 2e-3 gives 4.3149225e-5 (by hand).
    ExperimentState s = experiment(2);
    s.mechanism = 9;
    TheoreticalValues v = theoreticalValues(s, 1);
    EXPECT_NEAR(*v.ip, 96484.6e-8, 1e-15);
    EXPECT_DOUBLE_EQ(*v.ep, 0.1);
    EXPECT_FALSE(v.ipIrr.has_value());
    s.mechanism = 16;
    s.cInit[3] = 2e-3;
    v = theoreticalValues(s, 1);
    EXPECT_NEAR(*v.ip, 4.3149225e-5, 1e-12);

    // Other mechanisms: Erev of each step from its own species, E0 + RT/(2F) ln(D(red)/D(ox)),
    // with RT/(2F) ln 2 = 8.9041 mV at 298.14 K; chain reaction 2 pairs B and C.
    s.mechanism = 2;
    s.chargeCount = 2;
    s.diffusion[2] = 2e-5;
    v = theoreticalValues(s, 2);
    EXPECT_TRUE(v.onlyErev);
    EXPECT_NEAR(v.erev, -0.1 - 0.0089041, 1e-7);
    EXPECT_FALSE(v.ip.has_value());
}

TEST(TheoreticalCurrents, CylinderAgainstTheExactTransient) {
    // i r0/(nFADC) from a numerical inversion of the Laplace-domain current
    // K1(sqrt s)/(sqrt s K0(sqrt s)) (Talbot's contour, 30 digits). Szabo et al. give their
    // expression as good to about 1.3 %; the long-time form of the row is 35 % high at tau = 10.
    const double tau[] = {0.1, 1, 10, 100, 1e4};
    const double exact[] = {2.248751, 0.983771, 0.533916, 0.345560, 0.195932};
    for (int k = 0; k < 5; ++k)
        EXPECT_NEAR(theory::cylinderStepCurrent(1, 1, tau[k], 1), exact[k], 0.013 * exact[k])
            << "tau " << tau[k];
}

TEST(TheoreticalCurrents, SquareWaveNetPeakAgainstTheTable) {
    // Tabulated reversible net peaks for n dEs = 10 mV at 25 C: 0.9281 (n Esw = 50 mV) and
    // 0.5798 (25 mV); four digits, the last one uncertain.
    const double f = 96484.6 / (8.31441 * 298.15);
    EXPECT_NEAR(theory::squareWaveNetPeak(0.01 * f, 0.05 * f), 0.9281, 2e-4);
    EXPECT_NEAR(theory::squareWaveNetPeak(0.01 * f, 0.025 * f), 0.5798, 3e-4);
}

TEST(TheoreticalPeakCommand, AZeroRateConstantNamesItsStepAndPrintsNothing) {
    Session session;
    EXPECT_EQ(session.run({"mnuSimulate", "ks(1)=0", "mnuCompId"}), 1);
    EXPECT_EQ(session.messages(),
              std::vector<std::string>{"ks (cm/s) of A+ne=B in \"Experimental\" "
                                       "must be greater than zero"});
    EXPECT_TRUE(session.lines().empty());
}

} // namespace
} // namespace kemvo
