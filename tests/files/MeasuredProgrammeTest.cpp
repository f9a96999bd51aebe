// The programme an import sets, as the potentiostat ran it: the turning points found on axes
// written from an instrument's facts (a start between the vertices, jitter, a repeated vertex,
// a DAC grid), the header's quiet time and E initial, and real CH Instruments exports that fit
// as they come.

#include "files/FilesFixture.h"
#include "files/FormImport.h"
#include "files/ImportProgramme.h"
#include "setup/FormExpr.h"
#include "setup/FormTech.h"

#include <cmath>
#include <sstream>

namespace kemvo {
namespace {

// Potentials through the corners in steps of `step` [V], each corner once (as an instrument
// writes them); `jitter` [V] added alternately up and down.
std::vector<double> axisThrough(const std::vector<double> &corners, double step,
                                double jitter = 0) {
    std::vector<double> e{corners.front()};
    for (std::size_t k = 1; k < corners.size(); ++k) {
        const int steps =
            static_cast<int>(std::lround(std::fabs(corners[k] - corners[k - 1]) / step));
        const double sign = corners[k] > corners[k - 1] ? 1 : -1;
        for (int j = 1; j <= steps; ++j)
            e.push_back(corners[k - 1] + sign * j * step);
    }
    for (std::size_t i = 1; i + 1 < e.size(); ++i)
        e[i] += (i % 2 == 0 ? 1 : -1) * jitter;
    return e;
}

MeasuredCurve curveOn(std::vector<double> e) {
    return {"all", e, std::vector<double>(e.size(), 1e-6), 0.1};
}

TEST(MeasuredProgramme, TurningPointsCyclesAndEFinalFromThePotentials) {
    struct Case {
        const char *what;
        std::vector<double> potential;
        double eStart, eEnd, eVertex2, eFinal, cycles;
        ScanChoice scan;
    };
    std::vector<double> repeated = axisThrough({0.3, -0.2, 0.3}, 0.01);
    repeated.insert(repeated.begin() + 50, -0.2); // the vertex listed twice
    const Case cases[] = {
        {"single sweep", axisThrough({0.2, -0.3}, 0.01), 0.2, -0.3, 0.2, 0.2, 0.5,
         ScanChoice::Single},
        {"cycle started between the vertices", axisThrough({0.3, 0.7, 0.2, 0.3}, 0.01), 0.3, 0.7,
         0.2, 0.3, 1, ScanChoice::Cycle},
        {"the same with a jitter of 0.3 steps", axisThrough({0.3, 0.7, 0.2, 0.3}, 0.01, 0.003), 0.3,
         0.7, 0.2, 0.3, 1, ScanChoice::Cycle},
        {"three cycles from a vertex", axisThrough({-0.5, 0.5, -0.5, 0.5, -0.5, 0.5, -0.5}, 0.01),
         -0.5, 0.5, -0.5, -0.5, 3, ScanChoice::Cycles},
        {"two cycles between the vertices", axisThrough({0.3, 0.7, 0.2, 0.7, 0.2, 0.3}, 0.01), 0.3,
         0.7, 0.2, 0.3, 2, ScanChoice::TwoCycles},
        {"one and a half cycles to E final", axisThrough({0.3, 0.7, 0.2, 0.7, 0.5}, 0.01), 0.3, 0.7,
         0.2, 0.5, 1.5, ScanChoice::Cycles},
        // Exactly two turns from a vertex: ending on the first vertex again is one and a half
        // cycles; stopping three steps short of it, one cycle to E final.
        {"two turns ending on the vertex", axisThrough({0.7, 0.2, 0.7, 0.2}, 0.01), 0.7, 0.2, 0.7,
         0.2, 1.5, ScanChoice::Cycles},
        {"two turns ending short of the vertex", axisThrough({0.7, 0.2, 0.7, 0.23}, 0.01), 0.7, 0.2,
         0.7, 0.23, 1, ScanChoice::Cycle},
        {"a repeated vertex", repeated, 0.3, -0.2, 0.3, 0.3, 1, ScanChoice::Cycle},
        {"a full cycle starting one step past the vertex", axisThrough({-0.19, 0.3, -0.2}, 0.01),
         -0.19, 0.3, -0.2, -0.2, 1, ScanChoice::Cycle},
    };
    for (const Case &c : cases) {
        const SweepProgramme p = programmeOf(curveOn(c.potential));
        EXPECT_NEAR(p.eStart, c.eStart, 1e-12) << c.what;
        EXPECT_NEAR(p.eEnd, c.eEnd, 0.004) << c.what;
        EXPECT_NEAR(p.eVertex2, c.eVertex2, 0.004) << c.what;
        EXPECT_NEAR(p.eFinal, c.eFinal, 0.004) << c.what;
        EXPECT_EQ(p.cycles, c.cycles) << c.what;
        EXPECT_EQ(p.scan, c.scan) << c.what;
        // Jitter alternating by 0.3 steps makes the spacings 0.4 and 1.6 steps, whose median
        // misses the step; the mean that keeps the point count finds it.
        const bool jittered = std::string(c.what).find("jitter") != std::string::npos;
        EXPECT_NEAR(p.eStep, 0.01, jittered ? 1e-4 : 1e-15) << c.what;
        EXPECT_EQ(p.meanStep, jittered) << c.what;
        // The programme lists each turning point twice, the instrument once (or twice).
        const double listedTwice = static_cast<double>(p.sweeps - 1);
        const double repeats = c.potential.size() == repeated.size() ? 1 : 0;
        EXPECT_EQ(programmePoints(p),
                  static_cast<double>(c.potential.size()) + listedTwice - repeats)
            << c.what;
    }
}

TEST(MeasuredProgramme, AStartUpPointBeforeTheScanIsFound) {
    // 0.399 V before a scan from 0.700 V down in 10 mV steps: one point off the scan.
    std::vector<double> settled = axisThrough({0.7, 0.2}, 0.01);
    settled.insert(settled.begin(), 0.399);
    EXPECT_EQ(pointsBeforeTheScan(settled), 1u);
    EXPECT_EQ(pointsBeforeTheScan(axisThrough({0.7, 0.2}, 0.01)), 0u);
    // A first step of three steps is still the scan.
    EXPECT_EQ(pointsBeforeTheScan({0.0, 0.03, 0.04, 0.05, 0.06}), 0u);
}

TEST(MeasuredProgramme, ADacGridTakesTheMeanStepThatKeepsThePointCount) {
    // A sweep from 0 to 0.8 V on steps alternating 1.953 and 2.031 mV (mean 1.992 mV): the
    // median step (1.953 or 2.031) would give 410 or 394 points against the 402 measured.
    std::vector<double> e{0};
    for (int i = 1; e.back() < 0.8 - 1e-9; ++i)
        e.push_back(e.back() + (i % 2 == 1 ? 0.001953 : 0.002031));
    const SweepProgramme p = programmeOf(curveOn(e));
    EXPECT_TRUE(p.meanStep);
    EXPECT_NEAR(p.eStep, 0.001992, 1e-6);
    EXPECT_EQ(programmePoints(p), static_cast<double>(e.size()));
}

// A CH Instruments text export of a cycle from 0.3 V to -0.2 V, 0.4 V and back to 0.3 V after
// a quiet time of 2 s, written as the instrument writes it (each vertex once, oxidation
// positive) from a simulation of 2 mM A.
std::string chiExport(const ExperimentState &state, const CurveStore &store) {
    std::ostringstream out;
    out << "June 25, 2024   17:10:05\nCyclic Voltammetry\nFile: x.bin\nData Source:  "
           "Experiment\nInstrument Model:  CHI650E\nHeader:\nNote:\n\nInit E (V) = 0.3\n"
           "High E (V) = 0.4\nLow E (V) = -0.2\nInit P/N = N\nScan Rate (V/s) = 0.1\n"
           "Segment = 3\nSample Interval (V) = 0.005\nQuiet Time (sec) = 2\n"
           "Sensitivity (A/V) = 1e-5\n\nPotential/V, Current/A\n\n";
    out.precision(17);
    for (int i = 1; i <= state.pointCount; ++i)
        if (i == 1 || store.potential(i) != store.potential(i - 1))
            out << store.potential(i) << ", " << store.curves(i, state.currentCurve) << "\n";
    return out.str();
}

class MeasuredImport : public FileCommands {
protected:
    FormExpr &form() { return app.form<FormExpr>(); }
    FormImport &chooser() { return app.form<FormImport>(); }
    void closedForm() {
        app.form<FormTech>().CheckDigital.setValue(0);
        app.form<FormTech>().CheckDigital_Click();
    }
    void chooseLast() {
        ASSERT_TRUE(chooser().visible());
        chooser().ListCurve.setListIndex(static_cast<int>(chooser().ListCurve.items().size()) - 1);
        chooser().OK.click();
        ASSERT_TRUE(messages().empty()) << messages().front();
    }
    double reported(const std::string &label) {
        const auto &lines = app.formResult().lines();
        for (auto line = lines.rbegin(); line != lines.rend(); ++line)
            if (line->rfind(label, 0) == 0)
                return std::stod(line->substr(label.size()));
        ADD_FAILURE() << "no line " << label;
        return NAN;
    }
};

TEST_F(MeasuredImport, AnExportStartedBetweenItsVerticesImportsItsProgrammeAndFitsAsItComes) {
    std::string file;
    {
        HeadlessPlatform quiet;
        Workbench maker{quiet.platform()};
        FormExpr &w = maker.form<FormExpr>();
        w.Estart.setText("0.3");
        w.Eend.setText("-0.2");
        w.Evertex2.setText("0.4");
        w.Efinal.setText("0.3");
        w.option10.select();
        w.V.setText("0.1");
        w.C(1).setText("2e-3");
        w.TextQuiet.setText("2");
        maker.mainWindow().menu("mnuSimulate").click();
        ASSERT_TRUE(quiet.messages.shown.empty()) << quiet.messages.shown.front();
        // 0.3 -> -0.2 -> 0.4 -> 0.3 at 5 mV: 101 + 121 + 21 points.
        ASSERT_EQ(maker.state().pointCount, 243);
        file = folder.withText("cycle.txt", chiExport(maker.state(), maker.store()));
    }
    click("mnuImport", file);
    EXPECT_FALSE(chooser().CheckReverseSign.checked()); // the export writes oxidation positive
    chooseLast();
    EXPECT_EQ(form().Estart.text(), "0.3");
    EXPECT_EQ(form().Eend.text(), "-0.2");
    EXPECT_EQ(form().Evertex2.text(), "0.4");
    EXPECT_EQ(form().Efinal.text(), "0.3");
    EXPECT_EQ(form().Estep.text(), "0.005");
    EXPECT_EQ(form().V.text(), "0.1");
    EXPECT_EQ(form().TextQuiet.text(), "2");
    EXPECT_TRUE(form().option10.value());
    // Auto Fit as the window comes: C of A ticked, from 1e-3 M, finds the 2 mM that made it.
    app.mainWindow().menu("mnuAutoFit").click();
    ASSERT_TRUE(messages().empty()) << messages().front();
    EXPECT_NEAR(app.state().cInit[1], 2e-3, 1e-3 * 2e-3);
}

// A Gamry cycle -0.2 -> 0.3 -> -0.2 V in 50 mV steps one second apart (0.05 V/s on its time
// axis), with the header's SCANRATE as given.
std::string gamryExport(const std::string &scanRateLine) {
    std::string text = "EXPLAIN\nTAG\tCV\nTITLE\tLABEL\tCyclic Voltammetry\tTest\n" + scanRateLine +
                       "\nCURVE1\tTABLE\n\tPt\tT\tVf\tIm\n\t#\ts\tV vs. Ref.\tA\n";
    for (int k = 0; k <= 20; ++k) {
        const double e = k <= 10 ? -0.2 + 0.05 * k : 0.3 - 0.05 * (k - 10);
        text += "\t" + std::to_string(k) + "\t" + std::to_string(k) + "\t" + std::to_string(e) +
                "\t1e-6\n";
    }
    return text;
}

TEST_F(MeasuredImport, TheScanRateIsCheckedAgainstTheTimeAxis) {
    struct Case {
        const char *line;
        const char *v;
        bool said; // the header's rate was overruled
    };
    const Case cases[] = {
        {"SCANRATE\tQUANT\t50\tScan Rate (mV/s)", "0.05", false},
        {"SCANRATE\tQUANT\t50\tScan Rate", "0.05", false},         // mV/s without the unit
        {"SCANRATE\tQUANT\t51\tScan Rate (mV/s)", "0.051", false}, // within 5 %
        {"SCANRATE\tQUANT\t100\tScan Rate (mV/s)", "0.05", true},
    };
    for (const Case &c : cases) {
        app.formResult().cls();
        click("mnuImport", folder.withText("cv.DTA", gamryExport(c.line)));
        ASSERT_TRUE(messages().empty()) << messages().front();
        EXPECT_EQ(form().V.text(), c.v) << c.line;
        bool said = false;
        for (const std::string &line : app.formResult().lines())
            said = said || line.rfind("v of the header (0.1 V/s) differs", 0) == 0;
        EXPECT_EQ(said, c.said) << c.line;
        EXPECT_EQ(form().Eend.text(), "0.3");
        EXPECT_TRUE(form().option10.value());
    }
}

TEST_F(MeasuredImport, PsTraceScansAreNamedByTheirNumberAndAOneRowScanIsNamed) {
    // Five scans whose titles line holds the time of each measurement; the fifth holds one row.
    std::string text =
        "Date and time:,2024-02-01 13:17:34\nNotes:,x\n,\nDate and time measurement:,"
        "2024-02-01 13:17:34,,2024-02-01 13:17:40,,a,,b,,c\nV,uA,V,uA,V,uA,V,uA,V,uA\n";
    for (int k = 0; k <= 8; ++k) {
        const double e = k <= 4 ? 0.1 * k : 0.8 - 0.1 * k;
        std::string row;
        for (int scan = 1; scan <= 5; ++scan)
            row += (scan > 1 ? "," : "") +
                   (scan < 5 || k == 0 ? std::to_string(e) + ",1.5" : std::string(","));
        text += row + "\n";
    }
    click("mnuImport", folder.withText("scans.csv", text));
    ASSERT_TRUE(chooser().visible()) << (messages().empty() ? "" : messages().front());
    const std::vector<std::string> &items = chooser().ListCurve.items();
    ASSERT_EQ(items.size(), 5u); // four scans and all
    EXPECT_TRUE(items[0].starts_with("1  Scan 1  9 points")) << items[0];
    EXPECT_TRUE(items[3].starts_with("4  Scan 4  9 points")) << items[3];
    EXPECT_NE(chooser().LabelFile.caption().find("1 curve holds fewer than two potentials"),
              std::string::npos)
        << chooser().LabelFile.caption();
}

TEST_F(MeasuredImport, CurvesOfDifferentScanRatesAreNamedAsSuch) {
    // Two Gamry curves one second a step: 50 mV steps (0.05 V/s) and 100 mV steps (0.1 V/s).
    std::string text = "EXPLAIN\nTAG\tCV\nTITLE\tLABEL\tCyclic Voltammetry\tTest\n";
    for (int c = 1; c <= 2; ++c) {
        text += "CURVE" + std::to_string(c) + "\tTABLE\n\tPt\tT\tVf\tIm\n\t#\ts\tV vs. Ref.\tA\n";
        for (int k = 0; k <= 8; ++k) {
            const double e = (k <= 4 ? k : 8 - k) * 0.05 * c;
            text += "\t" + std::to_string(k) + "\t" + std::to_string(k) + "\t" + std::to_string(e) +
                    "\t1e-6\n";
        }
    }
    click("mnuImport", folder.withText("rates.DTA", text));
    ASSERT_TRUE(chooser().visible()) << (messages().empty() ? "" : messages().front());
    EXPECT_NE(chooser().LabelFile.caption().find("different scan rates"), std::string::npos)
        << chooser().LabelFile.caption();
}

// Ferricyanide, 10 mM in 0.1 M KCl on glassy carbon, 20 mV/s, three cycles from -0.5 V after
// a 2 s quiet time (CH Instruments export; README of the reference folder). Its peaks lie at
// -0.048 V and 0.093 V: midpoint 0.0225 V, which (RT/2F) ln(D_red/D_ox) = -2.0 mV turns into
// E0 = 0.0245 V; their separation of 141 mV is Nicholson's psi of about 0.35, ks of about
// 1e-3 cm/s at 20 mV/s.
TEST_F(MeasuredImport, RealFerricyanideFitsEachCycleAndTheWholeFile) {
    const std::string file = std::string(KEMVO_TEST_DATA) +
                             "/../../../shared/reference/instruments/chi-ferricyanide-6seg.csv";
    closedForm();
    // The list: 6 segments, 3 cycles, all.
    for (int entry : {7, 8, 9, 10}) {
        app.formResult().cls();
        click("mnuImport", file);
        ASSERT_EQ(chooser().ListCurve.items().size(), 10u);
        chooser().ListCurve.setListIndex(entry - 1);
        chooser().OK.click();
        ASSERT_TRUE(messages().empty()) << messages().front();
        FormExpr &w = form();
        EXPECT_EQ(w.Estart.text(), "-0.5");
        EXPECT_EQ(w.TextQuiet.text(), entry == 7 || entry == 10 ? "2" : "0") << entry;
        w.ARE.setText("0.0707");
        w.C(1).setText("0.01");
        w.D(1).setText("7.6e-6");
        w.D(2).setText("6.5e-6");
        w.ks(1).setText("0.002");
        w.Eze(1).setText("0.03");
        w.CheckFitted(fitConcentration(1)).setValue(0);
        w.CheckFitted(fitKs(1)).setValue(1);
        w.CheckFitted(fitE0(1)).setValue(1);
        app.mainWindow().menu("mnuAutoFit").click();
        ASSERT_TRUE(messages().empty()) << messages().front();
        EXPECT_NEAR(app.state().e0[1], 0.0245, 0.010) << entry;
        EXPECT_GT(app.state().ks[1], 0.5e-3) << entry;
        EXPECT_LT(app.state().ks[1], 2e-3) << entry;
        EXPECT_LT(reported("Convergence flag = "), 0);
        // The first cycle and the whole file start from rest after the 2 s hold at -0.5 V,
        // whose Cottrell current (-75 uA at 2 s) the fit must carry: what remains is the
        // background the model has no term for, some 10 % of the peak. A later cycle taken
        // alone starts without the history of the ones before it.
        if (entry == 7 || entry == 10) {
            EXPECT_LT(reported("rms residual (% of largest |I|) = "), 15) << entry;
        }
    }
}

} // namespace
} // namespace kemvo
