// The fit commands from the menu, as a chemist uses them: a cyclic voltammogram simulated,
// exported and imported again is fitted from a start away from the values that made it.

#include "app/Workbench.h"
#include "setup/FormExpr.h"
#include "setup/FormMech.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace kemvo {
namespace {

namespace fs = std::filesystem;

class Bench {
public:
    Bench() {
        form.CheckPreEqu.setValue(0); // the concentrations as typed, whatever E0 the fit tries
        form.CheckFitted(fitConcentration(1)).setValue(0);
        form.option10.select(); // one cycle
        type(form.V, "0.1");
    }
    ~Bench() { fs::remove(file_); }

    void type(TextBox &box, const std::string &text) { box.setText(text); }
    void click(const char *menu) { app.mainWindow().menu(menu).click(); }
    void tick(int k, const std::string &lower = "", const std::string &upper = "") {
        form.CheckFitted(k).setValue(1);
        if (!lower.empty())
            type(form.TextCmin(k), lower);
        if (!upper.empty())
            type(form.TextCmax(k), upper);
    }
    // The measured curve: the current simulation written to a file and read back.
    void measureThroughAFile() {
        click("mnuSimulate");
        platform.files.answers.push_back(file_);
        click("mnuExport");
        platform.files.answers.push_back(file_);
        click("mnuImport");
    }
    const std::vector<std::string> &messages() const { return platform.messages.shown; }
    const std::vector<std::string> &report() { return app.formResult().lines(); }
    // The value printed after the label of a report line.
    double reported(const std::string &label) {
        for (const std::string &line : report())
            if (line.rfind(label, 0) == 0)
                return std::stod(line.substr(label.size()));
        ADD_FAILURE() << "no line " << label;
        return NAN;
    }
    // The standard error of a parameter in the table, by its name (third print zone).
    double standardError(const std::string &name) {
        for (const std::string &line : report())
            if (line.rfind(name + " ", 0) == 0 && line.size() > 28)
                return std::stod(line.substr(28, 14));
        ADD_FAILURE() << "no row " << name;
        return NAN;
    }
    void chooseMechanism(int m) {
        auto &chooser = app.form<FormMech>();
        chooser.mech(m).select();
        chooser.Command1_Click();
        app.form<FormExpr>().activate();
    }

    HeadlessPlatform platform;
    Workbench app{platform.platform()};
    FormExpr &form = app.form<FormExpr>();

private:
    std::string file_ =
        (fs::temp_directory_path() / ("kemvo-fit-" + std::to_string(::getpid()) + ".csv")).string();
};

// ks = 0.01 cm/s, alpha = 0.5, E0 = 0.1 V, digital cycle at 0.1 V/s, fitted from 30 % (E0:
// 20 mV) away.
void setQuasiReversibleCouple(Bench &b) {
    b.type(b.form.ks(1), "0.01");
    b.type(b.form.alph(1), "0.5");
    b.type(b.form.Eze(1), "0.1");
}
void startAway(Bench &b) {
    b.type(b.form.ks(1), "0.013");
    b.type(b.form.alph(1), "0.65");
    b.type(b.form.Eze(1), "0.12");
    b.tick(fitKs(1));
    b.tick(fitAlpha(1), "0.2", "0.8");
    b.tick(fitE0(1));
}

TEST(AutoFit, RecoversKsAlphaAndE0OfANoiseFreeCycle) {
    Bench b;
    setQuasiReversibleCouple(b);
    b.measureThroughAFile();
    startAway(b);
    b.click("mnuAutoFit");
    EXPECT_TRUE(b.messages().empty()) << b.messages().front();
    const ExperimentState &s = b.app.state();
    // The data file keeps 15 significant digits: the fit must land on the values that made it,
    // limited only by the convergence test (a relative decrease of 2e-4 per iteration).
    EXPECT_NEAR(s.ks[1], 0.01, 1e-3 * 0.01);
    EXPECT_NEAR(s.alpha[1], 0.5, 1e-3 * 0.5);
    EXPECT_NEAR(s.e0[1], 0.1, 1e-4);
    EXPECT_LT(b.reported("Convergence flag = "), 0);
    EXPECT_EQ(b.form.CheckFitted(fitKs(1)).caption(), "1e-2");
    EXPECT_EQ(s.curveCount, 2);
    EXPECT_EQ(s.currentCurve, 2);
}

TEST(AutoFit, WithOnePercentNoiseEachValueLiesWithinThreeStandardErrors) {
    Bench b;
    setQuasiReversibleCouple(b);
    b.type(b.form.Noise, "1");
    b.measureThroughAFile();
    startAway(b);
    b.click("mnuAutoFit");
    ASSERT_TRUE(b.messages().empty()) << b.messages().front();
    const ExperimentState &s = b.app.state();
    EXPECT_NEAR(s.ks[1], 0.01, 3 * b.standardError("ks(1)"));
    EXPECT_NEAR(s.alpha[1], 0.5, 3 * b.standardError("alpha(1)"));
    EXPECT_NEAR(s.e0[1], 0.1, 3 * b.standardError("E0(1)"));
    EXPECT_GT(b.standardError("ks(1)"), 0); // noise leaves a finite uncertainty
}

TEST(AutoFit, RecoversTheRateConstantOfAFollowingReaction) {
    // EC: A + e = B, B = C with kf = 10 /s, kb = 0.01 /s; at 0.1 V/s kf RT/(F v) = 2.6, so the
    // return peak carries kf. Fitted from 13 /s, with and without the 1 % noise.
    for (const char *noise : {"0", "1"}) {
        Bench b;
        b.chooseMechanism(7);
        b.type(b.form.Noise, noise);
        b.measureThroughAFile();
        b.type(b.form.kf(1), "13");
        b.tick(fitKf(1));
        b.click("mnuAutoFit");
        ASSERT_TRUE(b.messages().empty()) << b.messages().front();
        double tolerance = std::string(noise) == "0" ? 1e-3 * 10 : 3 * b.standardError("kf(1)");
        EXPECT_NEAR(b.app.state().kf[1], 10, tolerance) << "noise " << noise;
    }
}

TEST(AutoSeparate, TwoOverlappedCouplesAndTheirComponentsSumToTheFit) {
    // Mechanism 4: A/B at 0.1 V and C/D at 0.0 V, 1 mM of A and of C; both E0 fitted from
    // 20 mV away, then every reaction's current is drawn beside the measured and the fit.
    Bench b;
    b.chooseMechanism(4);
    b.type(b.form.C(3), "1e-3");
    b.type(b.form.Eze(2), "0");
    b.measureThroughAFile();
    b.type(b.form.Eze(1), "0.12");
    b.type(b.form.Eze(2), "-0.02");
    b.tick(fitE0(1));
    b.tick(fitE0(2));
    b.click("mnuAutoSeparate");
    ASSERT_TRUE(b.messages().empty()) << b.messages().front();
    const ExperimentState &s = b.app.state();
    EXPECT_NEAR(s.e0[1], 0.1, 1e-4);
    EXPECT_NEAR(s.e0[2], 0.0, 1e-4);
    ASSERT_EQ(s.curveCount, 4);
    const CurveStore &c = b.app.store();
    for (int i = 1; i <= s.pointCount; ++i)
        ASSERT_NEAR(c.curves(i, 3) + c.curves(i, 4), c.curves(i, 2),
                    1e-12 * std::fabs(c.curves(i, 2)) + 1e-20)
            << "point " << i;
    EXPECT_GT(c.curves(s.pointCount / 4, 3), c.curves(s.pointCount / 4, 4)) << "A/B first";
}

} // namespace
} // namespace kemvo
