// The global fit on series whose true parameters are known because the program made them, with
// Gaussian noise of 1 % of each curve's peak drawn here: the fit must land within two of its
// standard errors of the truth, and a scan-rate series must tell ks better than any one of its
// curves does alone.

#include "app/Workbench.h"
#include "fitting/FormGlobalFit.h"
#include "fitting/GlobalFitReport.h"
#include "setup/FormExpr.h"
#include "setup/FormMech.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

namespace kemvo {
namespace {

class Series {
public:
    explicit Series(int mechanism) {
        auto &chooser = app.form<FormMech>();
        chooser.mech(mechanism).select();
        chooser.Command1_Click();
        form.activate();
        form.CheckPreEqu.setValue(0);
        form.CheckFitted(fitConcentration(1)).setValue(0);
        form.option10.select(); // one cycle
    }
    // Simulates at scan rate v, adds noise of 1 % of the peak and adds the curve to the list.
    void addCurve(const std::string &v, std::uint32_t seed) {
        form.V.setText(v);
        app.mainWindow().menu("mnuSimulate").click();
        ExperimentState &state = app.state();
        double peak = 0;
        for (int i = 1; i <= state.pointCount; ++i)
            peak = std::max(peak, std::fabs(app.store().curves(i, state.currentCurve)));
        std::mt19937 generator(seed);
        std::normal_distribution<double> noise(0.0, 0.01 * peak);
        for (int i = 1; i <= state.pointCount; ++i)
            app.store().curves(i, state.currentCurve) += noise(generator);
        state.curveLabel[static_cast<std::size_t>(state.currentCurve)] = v + " V/s";
        global.Add.click();
    }
    void tick(int k, const std::string &lower, const std::string &upper) {
        form.CheckFitted(k).setValue(1);
        form.TextCmin(k).setText(lower);
        form.TextCmax(k).setText(upper);
    }
    const GlobalFitResult &fit() {
        global.AutoFit.click();
        EXPECT_TRUE(platform.messages.shown.empty())
            << (platform.messages.shown.empty() ? "" : platform.messages.shown.front());
        EXPECT_TRUE(global.lastResult().has_value());
        return *global.lastResult();
    }

    HeadlessPlatform platform;
    Workbench app{platform.platform()};
    FormExpr &form = app.form<FormExpr>();
    FormGlobalFit &global = app.form<FormGlobalFit>();
};

const GlobalParameter &parameter(const GlobalFitResult &r, int entry, int curve = -1) {
    for (const GlobalParameter &p : r.parameters)
        if (p.entry == entry && p.curve == curve)
            return p;
    static const GlobalParameter none;
    ADD_FAILURE() << "not fitted: " << entry << " of curve " << curve;
    return none;
}

// |fitted - truth| within two standard errors.
void expectWithinTwoErrors(const GlobalParameter &p, double truth) {
    ASSERT_TRUE(p.standardError.has_value()) << globalParameterName(p);
    EXPECT_LT(std::fabs(p.value - truth), 2 * *p.standardError)
        << globalParameterName(p) << " = " << p.value << " +- " << *p.standardError;
}

const char *const kRates[] = {"0.01", "0.1", "1", "10"};

// A quasi-reversible to irreversible cycle: ks = 1e-3 cm/s, alpha = 0.4, E0 = 0.1 V, from
// 0.7 V to -0.5 V and back in 6 mV steps.
void setUpScanRateSeries(Series &s) {
    s.form.Estart.setText("0.7");
    s.form.Eend.setText("-0.5");
    s.form.Estep.setText("0.006");
    s.form.ks(1).setText("1e-3");
    s.form.alph(1).setText("0.4");
    s.form.Eze(1).setText("0.1");
}

void startScanRateFit(Series &s) {
    s.form.ks(1).setText("3e-3");
    s.form.alph(1).setText("0.5");
    s.form.Eze(1).setText("0.13");
    s.tick(fitKs(1), "1e-6", "1");
    s.tick(fitAlpha(1), "0.1", "0.9");
    s.tick(fitE0(1), "-0.3", "0.5");
}

TEST(GlobalFit, ScanRateSeriesRecoversKsAlphaE0AndTellsKsBetterThanAnyOneCurve) {
    Series s(1);
    setUpScanRateSeries(s);
    std::uint32_t seed = 11;
    for (const char *v : kRates)
        s.addCurve(v, seed++);
    startScanRateFit(s);
    const GlobalFitResult &r = s.fit();
    ASSERT_EQ(r.curves.size(), 4u);
    expectWithinTwoErrors(parameter(r, fitKs(1)), 1e-3);
    expectWithinTwoErrors(parameter(r, fitAlpha(1)), 0.4);
    expectWithinTwoErrors(parameter(r, fitE0(1)), 0.1);
    const double globalError = *parameter(r, fitKs(1)).standardError;

    // Each curve alone, from the same start.
    double bestSingle = INFINITY;
    for (std::size_t c = 0; c < 4; ++c) {
        SCOPED_TRACE(kRates[c]);
        Series one(1);
        setUpScanRateSeries(one);
        one.addCurve(kRates[c], 11 + static_cast<std::uint32_t>(c));
        startScanRateFit(one);
        const GlobalParameter &ks = parameter(one.fit(), fitKs(1));
        if (ks.standardError)
            bestSingle = std::min(bestSingle, *ks.standardError);
    }
    EXPECT_LT(globalError, bestSingle);
}

TEST(GlobalFit, EcSeriesRecoversKf) {
    // kf = 10 /s: lambda = kf RT/(F v) runs from 26 at 0.01 V/s to 0.026 at 10 V/s, from a
    // wave that loses its return peak to one that keeps it.
    Series s(7);
    s.form.Estart.setText("0.4");
    s.form.Eend.setText("-0.2");
    s.form.Estep.setText("0.004");
    s.form.Eze(1).setText("0.1");
    s.form.kf(1).setText("10");
    s.form.kb(1).setText("0");
    std::uint32_t seed = 21;
    for (const char *v : kRates)
        s.addCurve(v, seed++);
    s.form.kf(1).setText("3");
    s.form.Eze(1).setText("0.12");
    s.tick(fitKf(1), "0.01", "1000");
    s.tick(fitE0(1), "-0.2", "0.4");
    const GlobalFitResult &r = s.fit();
    expectWithinTwoErrors(parameter(r, fitKf(1)), 10);
    expectWithinTwoErrors(parameter(r, fitE0(1)), 0.1);
}

TEST(GlobalFit, CdlPerCurveRecoversEachCurvesOwn) {
    // Two curves at 0.1 and 1 V/s with Cdl 10 and 40 uF/cm2; E0 shared, Cdl per curve (its
    // default).
    Series s(1);
    s.form.Estart.setText("0.5");
    s.form.Eend.setText("-0.3");
    s.form.Estep.setText("0.005");
    s.form.Eze(1).setText("0.1");
    s.form.ks(1).setText("1");
    s.form.Cdl.setText("1e-5");
    s.addCurve("0.1", 31);
    s.form.Cdl.setText("4e-5");
    s.addCurve("1", 32);
    s.form.Cdl.setText("2e-5");
    s.form.Eze(1).setText("0.11");
    s.tick(fitE0(1), "-0.2", "0.4");
    s.tick(fitCdl(), "1e-7", "1e-3");
    const GlobalFitResult &r = s.fit();
    ASSERT_EQ(r.parameters.size(), 3u); // E0, Cdl [1], Cdl [2]
    expectWithinTwoErrors(parameter(r, fitCdl(), 0), 1e-5);
    expectWithinTwoErrors(parameter(r, fitCdl(), 1), 4e-5);
    expectWithinTwoErrors(parameter(r, fitE0(1)), 0.1);
}

TEST(GlobalFit, EachCurveKeepsItsFitWindowAndEqualWeightsWeighAlike) {
    // The second curve is added with the fit window 0.3 V to -0.1 V: it weighs only the points
    // of its axis inside, the first curve every point; equal weights give each curve weight 1.
    Series s(1);
    s.form.ks(1).setText("0.01");
    s.addCurve("0.1", 71);
    s.form.TextFitFrom.setText("0.3");
    s.form.TextFitTo.setText("-0.1");
    s.addCurve("1", 72);
    s.form.TextFitFrom.setText("");
    s.form.TextFitTo.setText("");
    s.form.ks(1).setText("0.02");
    s.tick(fitKs(1), "1e-4", "1");
    s.global.CheckEqualWeights.setValue(1);
    const GlobalFitResult &r = s.fit();
    ASSERT_EQ(r.curves.size(), 2u);
    const std::vector<double> &second = s.global.curves()[1].potential;
    const auto inside = std::count_if(second.begin(), second.end(),
                                      [](double e) { return e >= -0.1 - 1e-9 && e <= 0.3 + 1e-9; });
    EXPECT_EQ(r.curves[0].points, static_cast<int>(s.global.curves()[0].potential.size()));
    EXPECT_EQ(r.curves[1].points, static_cast<int>(inside));
    EXPECT_LT(r.curves[1].points, static_cast<int>(second.size()));
    EXPECT_EQ(r.curves[0].weight, 1.0);
    EXPECT_EQ(r.curves[1].weight, 1.0);
    expectWithinTwoErrors(parameter(r, fitKs(1)), 0.01);
}

TEST(GlobalFit, EachCurveKeepsItsVertexHold) {
    // A cycle held 5 s at -0.3 V, 400 mV past E0, where the current decays as Cottrell's: the
    // curve is fitted with its own hold after the window's box went back to 0, so E0 comes out
    // within two standard errors and the residual is the noise (without the hold the return
    // sweep starts half as high again).
    Series s(1);
    s.form.TextVertexHold.setText("5");
    s.addCurve("0.1", 81);
    s.form.TextVertexHold.setText("0");
    s.form.Eze(1).setText("0.12");
    s.tick(fitE0(1), "-0.1", "0.3");
    const GlobalFitResult &r = s.fit();
    expectWithinTwoErrors(parameter(r, fitE0(1)), 0.1);
    EXPECT_LT(r.curves[0].rmsResidual, 1.5 * r.curves[0].noise);
}

TEST(GlobalFit, OneThreadAndSeveralGiveTheSameResults) {
    GlobalFitResult results[2];
    const char *threads[] = {"1", "5"};
    for (int t = 0; t < 2; ++t) {
        Series s(1);
        setUpScanRateSeries(s);
        std::uint32_t seed = 41;
        for (const char *v : {"0.1", "1", "10"})
            s.addCurve(v, seed++);
        startScanRateFit(s);
        s.global.TextThreads.setText(threads[t]);
        results[t] = s.fit();
    }
    EXPECT_EQ(results[1].threads, 5); // more workers than curves: the Jacobian's columns too
    ASSERT_EQ(results[0].parameters.size(), results[1].parameters.size());
    for (std::size_t j = 0; j < results[0].parameters.size(); ++j) {
        EXPECT_EQ(results[0].parameters[j].value, results[1].parameters[j].value);
        EXPECT_EQ(results[0].parameters[j].standardError, results[1].parameters[j].standardError);
    }
    EXPECT_EQ(results[0].leastSquare, results[1].leastSquare);
    EXPECT_EQ(results[0].iterations, results[1].iterations);
}

TEST(GlobalFit, NoiseEstimateAndRefusals) {
    // The estimate of a smooth line with Gaussian noise of 1e-6 A recovers it to 10 % (about
    // 400 residuals: the robust deviation scatters by some 4 %).
    std::vector<double> e, y;
    std::mt19937 generator(5);
    std::normal_distribution<double> noise(0.0, 1e-6);
    for (int i = 0; i < 400; ++i) {
        e.push_back(0.5 - 0.0025 * i);
        y.push_back(1e-5 * std::tanh(20 * e.back()) + noise(generator));
    }
    EXPECT_NEAR(curveNoise(e, y, 0.0025), 1e-6, 1e-7);

    Series s(1);
    s.global.AutoFit.click(); // nothing in the list
    ASSERT_EQ(s.platform.messages.shown.size(), 1u);
    EXPECT_NE(s.platform.messages.shown[0].find("there is no measured curve"), std::string::npos);
    for (int c = 0; c < kMaxGlobalCurves; ++c)
        s.addCurve("0.1", 50 + static_cast<std::uint32_t>(c));
    EXPECT_EQ(s.global.curves().size(), static_cast<std::size_t>(kMaxGlobalCurves));
    s.addCurve("0.1", 60);
    EXPECT_EQ(s.global.curves().size(), static_cast<std::size_t>(kMaxGlobalCurves));
    EXPECT_NE(s.platform.messages.shown.back().find("remove one first"), std::string::npos);
    s.global.ListCurves.setListIndex(0);
    s.global.Remove.click();
    EXPECT_EQ(s.global.curves().size(), static_cast<std::size_t>(kMaxGlobalCurves) - 1);

    // A curve added with a programme that does not reach its potentials (E end -0.1 V typed
    // after a simulation to -0.3 V) is refused by name before the fit moves.
    Series t(1);
    t.form.ks(1).setText("0.01");
    t.addCurve("0.1", 80);
    t.form.Estep.setText("0.002");
    t.addCurve("1", 81); // another grid, read at the measured potentials: it fits
    t.form.Estep.setText("0.005");
    t.form.V.setText("10");
    t.app.mainWindow().menu("mnuSimulate").click();
    t.form.Eend.setText("-0.1");
    t.global.Add.click();
    t.tick(fitKs(1), "1e-4", "1");
    t.global.AutoFit.click();
    ASSERT_EQ(t.platform.messages.shown.size(), 1u);
    EXPECT_TRUE(t.platform.messages.shown[0].starts_with("Global Fit Error: curve 3, 10 V/s: "
                                                         "the measured curve has"))
        << t.platform.messages.shown[0];
}

} // namespace
} // namespace kemvo
