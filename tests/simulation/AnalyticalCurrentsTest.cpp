#include "simulation/AnalyticalCurrents.h"

#include "shell/RuntimeError.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kemvo {
namespace {

// f = F/(R T) at 298.14 K with the program's constants.
const TransportConditions kRoomTemperature{96484.6 / 8.31441 / 298.14, 0.2821, 10.47197551, 0.01};

constexpr double kD = 1e-5; // [cm^2/s]
constexpr double kC = 1e-3; // [mol/L]
const double kSqrtD = std::sqrt(kD);

// exp(x^2) erfc(x) in extended precision: erfc of the C library is accurate to a few ulps,
// and the long double range holds both exp(900) and erfc(30) ~ 1e-393.
long double referenceExpErfc(double x) {
    long double lx = x;
    return std::exp(lx * lx) * std::erfc(lx);
}

TEST(ExpErfc, MatchesTheLibraryErfcOverTheRangeItCanRepresent) {
    // Below -26.6 exp(x^2) itself leaves the doubles; the tolerance is the accuracy of the
    // seven-digit constants sqrt(2) and sqrt(pi) the method is written with.
    for (double x = -26.5; x <= 30.0; x += 0.125) {
        long double expected = referenceExpErfc(x);
        EXPECT_NEAR(ExpErfc(x) / static_cast<double>(expected), 1.0, 1e-6) << "x = " << x;
    }
}

TEST(ExpErfc, KnownPointsAndIdentities) {
    EXPECT_DOUBLE_EQ(ExpErfc(0), 1.0); // erf(0) = 0
    // erfc(-x) = 2 - erfc(x), so exp(x^2) erfc(-x) = 2 exp(x^2) - exp(x^2) erfc(x)
    EXPECT_NEAR(ExpErfc(-2), 2 * std::exp(4.0) - ExpErfc(2), 1e-9);
    // Asymptote 1/(x sqrt(pi)) (1 - 1/(2x^2) + ...): at x = 1000 the correction is 5e-7.
    EXPECT_NEAR(ExpErfc(1000) * 1000 * std::sqrt(M_PI), 1.0, 1e-6);
    // The series below 1.5 and the continued fraction from 1.5 on meet to about seven digits:
    // 1 - erf at 1.5 magnifies the 3e-8 error of the written sqrt(pi) by erf/(1 - erf) = 28.
    double series = ExpErfc(std::nextafter(1.5, 0.0));
    double fraction = ExpErfc(1.5);
    EXPECT_NEAR(series / fraction, 1.0, 1e-6);
    double negativeSeries = ExpErfc(std::nextafter(-1.5, 0.0));
    EXPECT_NEAR(negativeSeries / ExpErfc(-1.5), 1.0, 1e-7);
}

TEST(ExpErfc, OverflowsWhereExpOfXSquaredDoes) {
    EXPECT_THROW(ExpErfc(-27), RuntimeError);
    EXPECT_GT(ExpErfc(27), 0.0); // the positive side never overflows
}

// A reduction far beyond E0 with fast kinetics: every closed form reaches its mass-transport
// limit. E - E0 = -1 V makes kb/kf = exp(-38.9) negligible.
TEST(StepCurrents, ReachTheirTextbookLimits) {
    const double t = 0.5;
    const double pi = M_PI;
    // Cottrell: n C sqrt(D/(pi t)); the tolerance covers the 7-digit sqrt(pi) of ExpErfc.
    double cottrell = kC * kSqrtD / std::sqrt(pi * t);
    EXPECT_NEAR(StepCurrentPlanar(kRoomTemperature, -0.9, 1e4, 0.5, 1, 0.1, kC, kSqrtD, t, t, 0,
                                  kSqrtD, 0) /
                    cottrell,
                1.0, 1e-6);
    // Two electrons double it.
    EXPECT_NEAR(StepCurrentPlanar(kRoomTemperature, -0.9, 1e4, 0.5, 2, 0.1, kC, kSqrtD, t, t, 0,
                                  kSqrtD, 0) /
                    cottrell,
                2.0, 2e-6);
    // Sphere of radius r: n C (sqrt(D/(pi t)) + D/r) (Bard and Faulkner, eq. 5.2.18).
    double sphere = kC * (kSqrtD / std::sqrt(pi * t) + kD / kRoomTemperature.radius);
    EXPECT_NEAR(StepCurrentSpherical(kRoomTemperature, -0.9, 1e4, 0.5, 1, 0.1, kC, kSqrtD, t, t, 0,
                                     kSqrtD, 0) /
                    sphere,
                1.0, 1e-6);
    // Levich: n C 0.62 D^2/3 nu^-1/6 omega^1/2.
    double levich = kC * 0.62 * std::pow(kD, 2.0 / 3) * std::pow(0.01, -1.0 / 6) *
                    std::sqrt(kRoomTemperature.rotationRate);
    EXPECT_NEAR(
        RotatingDiskCurrent(kRoomTemperature, -0.9, 1e4, 0.5, 1, 0.1, kC, kD, t, t, 0, kD, 0) /
            levich,
        1.0, 1e-9);
}

TEST(StepCurrents, ReversibleWaveIsHalfwayAtTheStandardPotential) {
    // Equal diffusion coefficients: the reversible wave C/(1 + exp(nf(E - E0))) is half high at
    // E0, at a planar electrode and at a rotating disk alike.
    double plateau =
        StepCurrentPlanar(kRoomTemperature, -0.9, 1e4, 0.5, 1, 0.1, kC, kSqrtD, 1, 1, 0, kSqrtD, 0);
    EXPECT_NEAR(
        StepCurrentPlanar(kRoomTemperature, 0.1, 1e4, 0.5, 1, 0.1, kC, kSqrtD, 1, 1, 0, kSqrtD, 0) /
            plateau,
        0.5, 1e-6);
    double disk =
        RotatingDiskCurrent(kRoomTemperature, -0.9, 1e4, 0.5, 1, 0.1, kC, kD, 1, 1, 0, kD, 0);
    EXPECT_NEAR(
        RotatingDiskCurrent(kRoomTemperature, 0.1, 1e4, 0.5, 1, 0.1, kC, kD, 1, 1, 0, kD, 0) / disk,
        0.5, 1e-6);
}

TEST(StepCurrents, LargeSphereIsPlanar) {
    // Slow kinetics near E0 so that neither limit hides the comparison; a radius of 1e6 cm
    // leaves a spherical share S/H of about 5e-9.
    TransportConditions huge = kRoomTemperature;
    huge.radius = 1e6;
    for (double E : {0.3, 0.1, 0.0, -0.2}) {
        double planar =
            StepCurrentPlanar(huge, E, 1e-3, 0.5, 1, 0.1, kC, kSqrtD, 0.5, 0.5, 2e-4, kSqrtD, 0);
        double spherical =
            StepCurrentSpherical(huge, E, 1e-3, 0.5, 1, 0.1, kC, kSqrtD, 0.5, 0.5, 2e-4, kSqrtD, 0);
        EXPECT_NEAR(spherical / planar, 1.0, 1e-7) << "E = " << E;
    }
}

TEST(PulseCurrents, SquareWaveOfAReversibleCoupleAtItsStandardPotential) {
    // The difference of two reversible step currents at E0 -/+ p, both sampled at tp:
    // n C sqrt(D/(pi tp)) tanh(n f |p| / 2).
    const double tp = 0.05, p = 0.05;
    double expected =
        kC * kSqrtD / std::sqrt(M_PI * tp) * std::tanh(kRoomTemperature.fOverRT * p / 2);
    EXPECT_NEAR(SquareWavePlanar(kRoomTemperature, 0.1 + p, 1e4, 0.5, 1, 0.1, kC, kSqrtD, tp, 0.5,
                                 0, kSqrtD, -2 * p) /
                    expected,
                1.0, 1e-6);
}

TEST(PulseCurrents, DifferentialPulseSamplesItsTwoCurrentsAtDifferentTimes) {
    // With no pulse the planar form still differs: the pulse current is sampled at
    // tp ((td + tp)/td)^0.15, later than the base current, so it is smaller on the plateau.
    double difference = DiffPulsePlanar(kRoomTemperature, -0.9, 1e4, 0.5, 1, 0.1, kC, kSqrtD, 0.05,
                                        0.5, 0, kSqrtD, 0);
    double t2 = 0.05 * std::pow(1.1, 0.15);
    double expected = kC * kSqrtD / std::sqrt(M_PI) * (1 / std::sqrt(t2) - 1 / std::sqrt(0.05));
    EXPECT_NEAR(difference / expected, 1.0, 1e-5);
}

TEST(AnalyticalCurrents, ArithmeticFaultsRaiseRunTimeErrors) {
    TransportConditions flat = kRoomTemperature;
    flat.radius = 0;
    EXPECT_THROW(StepCurrentSpherical(flat, 0, 1, 0.5, 1, 0.1, kC, kSqrtD, 1, 1, 0, kSqrtD, 0),
                 RuntimeError);
    EXPECT_THROW(StepCurrentPlanar(kRoomTemperature, 0, 1, 0.5, 1, 0.1, kC, 0, 1, 1, 0, kSqrtD, 0),
                 RuntimeError); // zero diffusion coefficient
    EXPECT_THROW(
        StepCurrentPlanar(kRoomTemperature, -100, 1, 0.5, 1, 0.1, kC, kSqrtD, 1, 1, 0, kSqrtD, 0),
        RuntimeError); // exp(1946) overflows
    TransportConditions still = kRoomTemperature;
    still.viscosity = 0;
    EXPECT_THROW(RotatingDiskCurrent(still, 0, 1, 0.5, 1, 0.1, kC, kD, 1, 1, 0, kD, 0),
                 RuntimeError);
}

} // namespace
} // namespace kemvo
