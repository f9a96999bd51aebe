// The fit commands from the menu, as a chemist uses them: a cyclic voltammogram simulated,
// exported and imported again is fitted from a start away from the values that made it. And
// a simulated curve read at measured potentials, on hand-made axes whose values are worked out
// by hand: the programme repeats its vertex, the measured curve does not.

#include "app/Workbench.h"
#include "fitting/Marquardt.h"
#include "fitting/MeasuredAxis.h"
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
        type(form.ks(1), "0.01"); // quasi-reversible at 0.1 V/s, alpha = 0.5, E0 = 0.1 V
    }
    ~Bench() { fs::remove(file_); }

    void type(TextBox &box, const std::string &text) { box.setText(text); }
    void click(const char *menu) { app.mainWindow().menu(menu).click(); }
    void tick(int k, const char *lower = nullptr, const char *upper = nullptr) {
        form.CheckFitted(k).setValue(1);
        if (lower != nullptr)
            type(form.TextCmin(k), lower);
        if (upper != nullptr)
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
    // The value printed after the label of the last report line that starts with it.
    double reported(const std::string &label) {
        for (auto line = report().rbegin(); line != report().rend(); ++line)
            if (line->rfind(label, 0) == 0)
                return std::stod(line->substr(label.size()));
        ADD_FAILURE() << "no line " << label;
        return NAN;
    }
    // A number of a parameter's row in the table: zone 1 the value, zone 2 its standard error.
    double tableEntry(const std::string &name, std::size_t zone) {
        for (const std::string &line : report())
            if (line.rfind(name + " ", 0) == 0 && line.size() > 14 * zone)
                return std::stod(line.substr(14 * zone, 14));
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

// A start for ks, alpha and E0, each ticked; alpha's bounds nullptr keep the window's 0.4 to 0.6.
struct Start {
    const char *ks, *alpha, *e0, *alphaLower, *alphaUpper;
};
const Start kAway{"0.013", "0.65", "0.12", "0.2", "0.8"}; // 30 % (E0: 20 mV) away

void startFrom(Bench &b, const Start &start) {
    b.type(b.form.ks(1), start.ks);
    b.type(b.form.alph(1), start.alpha);
    b.type(b.form.Eze(1), start.e0);
    b.tick(fitKs(1));
    b.tick(fitAlpha(1), start.alphaLower, start.alphaUpper);
    b.tick(fitE0(1));
}

TEST(AutoFit, RecoversKsAlphaAndE0OfANoiseFreeCycle) {
    // From 30 % (E0: 20 mV) away with alpha free between 0.2 and 0.8; and from ks ten times
    // too large, alpha on its upper bound and E0 100 mV off, where a decrease that drops
    // step components at the bounds must not pass for convergence.
    for (const Start &start : {kAway, Start{"0.1", "0.6", "0", nullptr, nullptr}}) {
        Bench b;
        b.measureThroughAFile();
        startFrom(b, start);
        b.click("mnuAutoFit");
        ASSERT_TRUE(b.messages().empty()) << b.messages().front();
        const ExperimentState &s = b.app.state();
        // The data file keeps 15 significant digits: the fit must land on the values that
        // made it, to the precision the convergence test allows.
        EXPECT_NEAR(s.ks[1], 0.01, 1e-3 * 0.01) << start.ks;
        EXPECT_NEAR(s.alpha[1], 0.5, 1e-3 * 0.5) << start.ks;
        EXPECT_NEAR(s.e0[1], 0.1, 1e-4) << start.ks;
        EXPECT_LT(b.reported("Convergence flag = "), 0);
    }
}

struct OneParameter {
    const char *row; // its row in the report's table
    int mechanism;
    const char *box; // the parameters window's box
    int index;       // its index in an array of boxes, -1 for a single box
    int entry;
    double truth, start;
    const char *noise; // [%]
};

TEST(AutoFit, RecoversARateConstantOrAPropertyOfTheCell) {
    // EC (mechanism 7): A + e = B, B = C with kf = 10 /s; at 0.1 V/s kf RT/(F v) = 2.6, so the
    // return peak carries kf. Charging of 20 uF at 0.1 V/s is 2 uA, some 6 % of the peak; 100
    // ohm shifts the peaks by some 3 mV. Noise-free the fit lands within 1e-3 of the truth
    // (the convergence test); with 1 % noise within three of its reported standard errors.
    const OneParameter cases[] = {
        {"kf(1)", 7, "kf", 1, fitKf(1), 10, 13, "0"},
        {"kf(1)", 7, "kf", 1, fitKf(1), 10, 13, "1"},
        {"Cdl", 1, "Cdl", -1, fitCdl(), 2e-5, 1e-5, "0"},
        {"Ru", 1, "Ru", -1, fitRu(), 100, 70, "0"},
    };
    for (const OneParameter &c : cases) {
        SCOPED_TRACE(testing::Message() << c.row << " noise " << c.noise);
        Bench b;
        b.chooseMechanism(c.mechanism);
        TextBox &box = b.app.control<TextBox>("FormExpr", c.box, c.index);
        b.type(b.form.Noise, c.noise);
        b.type(box, std::to_string(c.truth));
        b.measureThroughAFile();
        b.type(box, std::to_string(c.start));
        b.tick(c.entry);
        b.click("mnuAutoFit");
        ASSERT_TRUE(b.messages().empty()) << b.messages().front();
        const bool noisy = std::string(c.noise) != "0";
        const double tolerance = noisy ? 3 * b.tableEntry(c.row, 2) : 1e-3 * c.truth;
        EXPECT_NEAR(b.tableEntry(c.row, 1), c.truth, tolerance);
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
                    1e-12 * std::fabs(c.curves(i, 2)) + 1e-20);
}

struct Refusal {
    const char *what;
    void (*setUp)(Bench &);
    const char *message;
};

TEST(AutoFit, ARefusedFitLeavesTheMeasuredCurveAndTheStoreAsTheyWere) {
    // A bad bound is refused before any simulation; a programme that misses the measured
    // potentials, or one the store cannot hold, is refused before the measured axis changes.
    const Refusal cases[] = {
        {"crossed bounds", [](Bench &b) { b.tick(fitKs(1), "0.1", "0.01"); },
         "Fit Error: the lower bound of ks(1) (0.1) is above its upper bound (0.01)."},
        // Bounds are read with the boxes' own rules: these were once fitted and reported as
        // ks = -0.803, alpha = 1.5, Cdl = -0.5 (or a bare "Division by zero" for C).
        {"ks below 0", [](Bench &b) { b.tick(fitKs(1), "-1", "-0.5"); },
         "Fit Error: the lower bound of ks(1) must be a number of 0 or more, not \"-1\"."},
        {"alpha above 1", [](Bench &b) { b.tick(fitAlpha(1), "0.5", "2"); },
         "Fit Error: the upper bound of alpha(1) must be a number from 0 to 1, not \"2\"."},
        {"Cdl below 0", [](Bench &b) { b.tick(fitCdl(), "-1", "1"); },
         "Fit Error: the lower bound of Cdl must be a number of 0 or more, not \"-1\"."},
        {"concentration below 0", [](Bench &b) { b.tick(fitConcentration(1), "-2e-3", "-1e-3"); },
         "Fit Error: the lower bound of C(A) must be a number of 0 or more, not \"-2e-3\"."},
        // Nothing ticked once ran 26 simulations and printed an empty table.
        {"nothing ticked", [](Bench &b) { b.form.CheckFitted(fitE0(1)).setValue(0); },
         "Fit Error: no parameter is ticked. Tick the box beside each parameter to fit."},
        {"single sweep against a cycle",
         [](Bench &b) {
             b.form.option9.select(); // 121 points against the measured 242
             b.tick(fitKs(1));
         },
         "Fit Error: the measured curve has 242 points from 0.3 V to 0.3 V, the programme of "
         "the parameters window 121 points from 0.3 V to -0.3 V. Set E start, E end, E step "
         "and the scan (Single, Cycle, 2 Cycles) to those of the measurement."},
        {"too many points",
         [](Bench &b) {
             b.type(b.form.Estep, "1e-4"); // 12002 points: more than the store holds
             b.tick(fitKs(1));
         },
         "Fit Error: the potential programme needs 12002 points, more than 4000 points: make E "
         "step larger, the range from E start to E end narrower, or choose fewer cycles! Please "
         "try again by other initial values."},
    };
    for (const Refusal &c : cases) {
        SCOPED_TRACE(c.what);
        Bench b;
        b.measureThroughAFile(); // a cycle of 242 points
        const double potential = b.app.store().potential(200);
        const double measured = b.app.store().curves(100, 1);
        b.type(b.form.Eze(1), "0.05"); // a simulation would change column 2 and the state
        b.tick(fitE0(1));
        c.setUp(b);
        const int simulations = b.platform.progress.runs;
        b.click("mnuAutoFit");
        EXPECT_EQ(b.messages(), std::vector<std::string>{c.message});
        const std::string message = c.message;
        const bool beforeTheFit = message.find("bound of") != std::string::npos ||
                                  message.find("ticked") != std::string::npos;
        EXPECT_TRUE(!beforeTheFit || b.platform.progress.runs == simulations); // never began
        EXPECT_EQ(b.app.store().potential(200), potential);
        EXPECT_EQ(b.app.store().curves(100, 1), measured);
        EXPECT_EQ(b.app.state().curveCount, 1);
        EXPECT_FALSE(b.app.state().fitMode);
        EXPECT_TRUE(b.report().empty());
    }
}

// Stop is polled at every point of every simulation of the fit (once only between
// iterations, a frozen window for a whole iteration): a stop in the middle of a simulation
// ends the fit with one more simulation, that of its best point, whose curve is in column 2.
TEST(AutoFit, AStopInsideASimulationEndsTheFitWithItsBestPoint) {
    Bench b;
    b.measureThroughAFile(); // 242 points
    startFrom(b, kAway);
    b.type(b.form.TextStarts, "0");
    // The start, then the Jacobian of three parameters (six simulations): the stop falls in the
    // middle of the fifth simulation.
    const int polls = b.platform.progress.polls;
    b.platform.progress.stopAtPoll = polls + 4 * 242 + 121;
    b.click("mnuAutoFit");
    EXPECT_TRUE(b.messages().empty());
    // No poll after the stop: the best point is simulated to its end and nothing more runs.
    EXPECT_EQ(b.platform.progress.polls, b.platform.progress.stopAtPoll);
    EXPECT_EQ(b.reported("No. of iteration = "), 0);
    double phi = 0;
    for (int i = 1; i <= 242; ++i)
        phi += std::pow(b.app.store().curves(i, 2) - b.app.store().curves(i, 1), 2);
    EXPECT_NEAR(b.reported("Least square = "), phi, 1e-9 * phi);
    EXPECT_EQ(b.report().back(), "Standard errors are not estimated: the fit was stopped.");
    // The state holds the best point (the start), not the trial the stop interrupted.
    EXPECT_DOUBLE_EQ(b.app.state().ks[1], 0.013);
    EXPECT_DOUBLE_EQ(b.app.state().e0[1], 0.12);
}

TEST(ManualFit, FindPeakSplitsACycleFittedOnAnotherGridWhereTheMeasuredPotentialTurns) {
    // Measured on 2 mV steps, fitted with 5 mV ones: the fit is stored on the measured axis,
    // and Find Peak must take its vertex, not the programme's, to see one peak in each sweep.
    // psi = ks / sqrt(pi D n f v) = 0.904 gives a separation of 87 mV (Nicholson, Anal. Chem.
    // 37 (1965) 1351, between 84 mV at psi = 1 and 92 mV at 0.75); 5 mV for the grid.
    Bench b;
    b.type(b.form.Estep, "0.002");
    b.measureThroughAFile();
    b.type(b.form.Estep, "0.005");
    b.tick(fitE0(1));
    b.click("mnuManualFit");
    b.click("mnuFindPeak");
    ASSERT_TRUE(b.messages().empty()) << b.messages().front();
    EXPECT_NEAR(b.reported("Ep2 - Ep1 = "), 0.087, 0.005);
    // What show=pointsPerSweep tells a script: the measured sweep from 0.3 to -0.3 V in 2 mV
    // steps, 301 points and the vertex written twice by the export, not the programme's 121.
    EXPECT_EQ(b.app.state().pointsPerSweep, 302);
}

// Programme: 0, 0.1, 0.2, 0.2, 0.1, 0 V (out and back, the vertex twice); the simulated
// column below holds 10 x the point number, so a read value tells the point and the share.
const std::vector<double> kProgramme{0, 0.1, 0.2, 0.2, 0.1, 0};
TEST(MeasuredAxis, EachMeasuredPotentialIsReadWithinItsOwnSweep) {
    // Measured: 0, 0.05, 0.2 (the vertex, once), 0.15, 0.02 V. By hand:
    //   0     -> point 1                      = 10
    //   0.05  -> halfway from point 1 to 2    = 15
    //   0.2   -> point 3 (end of segment 2-3) = 30
    //   0.15  -> halfway from point 4 to 5    = 45 (the back sweep, not the forward 25)
    //   0.02  -> 0.8 of the way from 5 to 6   = 58
    const auto column = [](int j) { return 10.0 * j; };
    auto map = MeasuredAxisMap::build({0, 0.05, 0.2, 0.15, 0.02}, kProgramme, 0.05);
    ASSERT_TRUE(map.has_value());
    const double expected[] = {10, 15, 30, 45, 58};
    ASSERT_EQ(map->size(), 5u);
    for (std::size_t i = 1; i <= 5; ++i)
        EXPECT_NEAR(map->read(i, column), expected[i - 1], 1e-12) << i;
    // Within the tolerance of 0.05 V past the vertex the sweep's end is read, beyond it and on
    // a third sweep nothing is.
    EXPECT_EQ(MeasuredAxisMap::build({0, 0.22, 0.1}, kProgramme, 0.05).value().read(2, column), 30);
    EXPECT_FALSE(MeasuredAxisMap::build({0, 0.1, 0.3, 0.1}, kProgramme, 0.05).has_value());
    // A potential that steps back by less than the tolerance does not turn the sweep: 0.099
    // is read forward (19.9), 0.19 and 0.101 backward (41 and 49.9).
    auto noisy =
        MeasuredAxisMap::build({0, 0.1, 0.099, 0.2, 0.19, 0.1, 0.101, 0}, kProgramme, 0.05);
    ASSERT_TRUE(noisy.has_value());
    const double noisyExpected[] = {10, 20, 19.9, 30, 41, 50, 49.9, 60};
    for (std::size_t i = 1; i <= 8; ++i)
        EXPECT_NEAR(noisy->read(i, column), noisyExpected[i - 1], 1e-9) << i;
    EXPECT_FALSE(MeasuredAxisMap::build({0, 0.2, 0, 0.1}, kProgramme, 0.05).has_value());
}

} // namespace
} // namespace kemvo
