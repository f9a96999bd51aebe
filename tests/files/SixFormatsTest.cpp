// A cyclic voltammogram in each of the six instrument formats, written as each software writes
// it from a simulation of 2 mM A started between its vertices (0.3 -> -0.2 -> 0.4 -> 0.3 V in
// 10 mV steps), with a point before the scan where a real export may have one (a start-up or
// settling point) and the quiet time as the format states or shows it: each imports with the
// programme that made it and Auto Fit, as the window comes, finds the 2 mM from 1 mM.

#include "files/FilesFixture.h"
#include "files/FormImport.h"
#include "setup/FormExpr.h"

#include <cstdio>
#include <functional>
#include <sstream>

namespace kemvo {
namespace {

struct Row {
    double e, i, t; // [V], [A], [s]
};

constexpr double kQuiet = 2;     // [s]
constexpr double kStep = 0.01;   // [V]
constexpr double kHoldGap = 0.5; // [s] between the points an instrument writes during a hold

// The rows of the simulated run as an instrument writes them: each vertex once, the scan's
// points E step / v apart from t = 1 s + the quiet time; before them, where asked, a start-up
// point at -0.1 V at t = 0 and the points of the quiet time at E start every 0.5 s from 1 s.
std::vector<Row> rowsOf(const ExperimentState &state, const CurveStore &store, double v,
                        double quiet, bool preScan, bool holdPoints) {
    std::vector<Row> scan;
    for (int i = 1; i <= state.pointCount; ++i)
        if (i == 1 || store.potential(i) != store.potential(i - 1))
            scan.push_back({store.potential(i), store.curves(i, state.currentCurve),
                            1 + quiet + static_cast<double>(scan.size()) * kStep / v});
    std::vector<Row> rows;
    if (preScan)
        rows.push_back({-0.1, 3e-7, 0});
    if (holdPoints)
        for (double t = 1; t < 1 + quiet - 1e-9; t += kHoldGap)
            rows.push_back({scan.front().e, scan.front().i, t});
    rows.insert(rows.end(), scan.begin(), scan.end());
    return rows;
}

std::string number(double value, int digits) {
    char text[40];
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    return text;
}

using Writer = std::function<std::string(const std::vector<Row> &)>;

std::string chi(const std::vector<Row> &rows) {
    std::string text =
        "June 25, 2024   17:10:05\nCyclic Voltammetry\nFile: x.bin\nData Source:  "
        "Experiment\nInstrument Model:  CHI650E\nHeader:\nNote:\n\nInit E (V) = 0.3\n"
        "High E (V) = 0.4\nLow E (V) = -0.2\nInit P/N = N\nScan Rate (V/s) = 0.1\n"
        "Segment = 3\nSample Interval (V) = 0.01\nQuiet Time (sec) = 2\n"
        "Sensitivity (A/V) = 1e-5\n\nPotential/V, Current/A\n\n";
    for (const Row &r : rows)
        text += number(r.e, 10) + ", " + number(r.i, 17) + "\n";
    return text;
}

std::string ecLab(const std::vector<Row> &rows) {
    const std::string settings = "Ei (V)              0.300\nvs.                 Ref\n"
                                 "dE/dt               100.000\ndE/dt unit          mV/s\n"
                                 "E1 (V)              -0.200\nvs.                 Ref\n"
                                 "E2 (V)              0.400\nvs.                 Ref\n";
    std::string text = "EC-Lab ASCII FILE\nNb header lines : 14\n\nCyclic Voltammetry\n\n" +
                       settings + "time/s\tEwe/V\t<I>/mA\tcycle number\n";
    for (const Row &r : rows)
        text += number(r.t, 10) + "\t" + number(r.e, 10) + "\t" + number(r.i * 1e3, 17) + "\t1\n";
    return text;
}

std::string gamry(const std::vector<Row> &rows) {
    std::string text = "EXPLAIN\nTAG\tCV\nTITLE\tLABEL\tCyclic Voltammetry\tTest\n"
                       "SCANRATE\tQUANT\t100\tScan Rate (mV/s)\n"
                       "CURVE1\tTABLE\n\tPt\tT\tVf\tIm\n\t#\ts\tV vs. Ref.\tA\n";
    for (std::size_t k = 0; k < rows.size(); ++k)
        text += "\t" + std::to_string(k) + "\t" + number(rows[k].t, 10) + "\t" +
                number(rows[k].e, 10) + "\t" + number(rows[k].i, 17) + "\n";
    return text;
}

std::string nova(const std::vector<Row> &rows) {
    std::string text = "Potential applied (V);Time (s);WE(1).Current (A);Scan\n";
    for (const Row &r : rows)
        text += number(r.e, 10) + ";" + number(r.t, 10) + ";" + number(r.i, 17) + ";1\n";
    return text;
}

std::string psTrace(const std::vector<Row> &rows) {
    std::string text = "Date and time:,2024-02-01 13:17:34\nNotes:,x\n,\n"
                       "Cyclic Voltammetry: CV i vs E Scan 1,\nV,\xC2\xB5"
                       "A\n";
    for (const Row &r : rows)
        text += number(r.e, 10) + "," + number(r.i * 1e6, 17) + "\n";
    return text;
}

std::string ec4(const std::vector<Row> &rows) {
    std::string text = "EC4 File used by Nordic Electrochemistry Aps\nTechnique\tCyclic "
                       "Voltammetry\n\nTime (s)\tE (V)\ti (A)\n";
    for (const Row &r : rows)
        text += number(r.t, 10) + "\t" + number(r.e, 10) + "\t" + number(r.i, 17) + "\n";
    return text;
}

struct FormatCase {
    const char *format;
    Writer write;
    const char *file;
    double v;        // [V/s] of the run; PSTrace's export states none, so it is the window's own
    double quiet;    // [s] the quiet time of the run
    bool preScan;    // a start-up or settling point before the scan
    bool holdPoints; // the time column shows the quiet time
};

const FormatCase kFormats[] = {
    {"CH Instruments", chi, "cv.txt", 0.1, kQuiet, false, false}, // Init E, Quiet Time stated
    {"EC-Lab", ecLab, "cv.mpt", 0.1, kQuiet, true, true},
    {"Gamry", gamry, "cv.DTA", 0.1, 0, true, false},
    {"NOVA", nova, "cv.txt", 0.1, kQuiet, true, true},
    {"PSTrace", psTrace, "cv.csv", 0.01, 0, true, false},
    {"EC4", ec4, "cv.txt", 0.1, kQuiet, true, true},
};

class SixFormats : public FileCommands {
protected:
    std::string exported(const FormatCase &c) {
        HeadlessPlatform quiet;
        Workbench maker{quiet.platform()};
        FormExpr &w = maker.form<FormExpr>();
        w.Estart.setText("0.3");
        w.Eend.setText("-0.2");
        w.Evertex2.setText("0.4");
        w.Efinal.setText("0.3");
        w.Estep.setText("0.01");
        w.option10.select();
        w.V.setText(number(c.v, 6));
        w.C(1).setText("2e-3");
        w.TextQuiet.setText(number(c.quiet, 6));
        maker.mainWindow().menu("mnuSimulate").click();
        EXPECT_TRUE(quiet.messages.shown.empty()) << quiet.messages.shown.front();
        // 0.3 -> -0.2 -> 0.4 -> 0.3 V at 10 mV: 51 + 61 + 11 points, each vertex twice.
        EXPECT_EQ(maker.state().pointCount, 123);
        return c.write(rowsOf(maker.state(), maker.store(), c.v, c.quiet, c.preScan, c.holdPoints));
    }
};

TEST_F(SixFormats, EachImportsItsProgrammeAndFitsAsItComes) {
    for (const FormatCase &c : kFormats) {
        SCOPED_TRACE(c.format);
        const std::string file = folder.withText(c.file, exported(c));
        Workbench bench{headless.platform()};
        headless.files.answers.push_back(file);
        bench.mainWindow().menu("mnuImport").click();
        // A file of several curves offers them; its last entry is the whole file.
        FormImport &chooser = bench.form<FormImport>();
        if (chooser.visible()) {
            chooser.ListCurve.setListIndex(static_cast<int>(chooser.ListCurve.items().size()) - 1);
            chooser.OK.click();
        }
        ASSERT_TRUE(messages().empty()) << messages().front();
        EXPECT_EQ(bench.formResult().lines().front().rfind(std::string(c.format) + " file: ", 0),
                  0u)
            << bench.formResult().lines().front();
        FormExpr &w = bench.form<FormExpr>();
        EXPECT_EQ(w.Estart.text(), "0.3"); // not the start-up point at -0.1 V
        EXPECT_EQ(w.Eend.text(), "-0.2");
        EXPECT_EQ(w.Evertex2.text(), "0.4");
        EXPECT_EQ(w.Efinal.text(), "0.3");
        EXPECT_EQ(w.Estep.text(), "0.01");
        EXPECT_EQ(w.V.text(), number(c.v, 6));
        EXPECT_EQ(w.TextQuiet.text(), number(c.quiet, 6));
        EXPECT_TRUE(w.option10.value());
        EXPECT_EQ(bench.state().pointCount, 121);
        bench.mainWindow().menu("mnuAutoFit").click();
        ASSERT_TRUE(messages().empty()) << messages().front();
        EXPECT_NEAR(bench.state().cInit[1], 2e-3, 1e-3 * 2e-3);
    }
}

} // namespace
} // namespace kemvo
