// A cyclic voltammogram held at its turning points, as a NOVA export writes it (a point every
// 0.5 s of a hold): holds of one length at every turning point are the programme's vertex hold,
// with the hold's first and last points as the turning point's two listings, and the curve fits
// with Auto Fit to the values it was simulated with; holds of different lengths stay one instant
// of the programme, and are said.

#include "files/FilesFixture.h"
#include "setup/FormExpr.h"

#include <cstdio>

namespace kemvo {
namespace {

constexpr double kStep = 0.01; // [V]
constexpr double kRate = 0.1;  // [V/s]
constexpr double kGap = 0.5;   // [s] between the points the instrument writes during a hold

std::string number(double value, int digits) {
    char text[40];
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    return text;
}

// 2 mM A on 0.3 -> -0.2 -> 0.4 -> 0.3 V at 10 mV and 0.1 V/s, simulated with a vertex hold of
// `simulated` [s], and written with the holds `written` [s] at the two turning points: each
// vertex once, then the hold's points every 0.5 s, the last at the hold's end (whose current is
// the programme's second listing of the vertex).
std::string novaExport(double simulated, const double (&written)[2]) {
    HeadlessPlatform quiet;
    Workbench maker{quiet.platform()};
    FormExpr &w = maker.form<FormExpr>();
    w.Estart.setText("0.3");
    w.Eend.setText("-0.2");
    w.Evertex2.setText("0.4");
    w.Efinal.setText("0.3");
    w.Estep.setText(number(kStep, 6));
    w.V.setText(number(kRate, 6));
    w.option10.select();
    w.C(1).setText("2e-3");
    w.TextVertexHold.setText(number(simulated, 6));
    maker.mainWindow().menu("mnuSimulate").click();
    EXPECT_TRUE(quiet.messages.shown.empty()) << quiet.messages.shown.front();
    const ExperimentState &state = maker.state();
    const CurveStore &store = maker.store();
    EXPECT_EQ(state.pointCount, 123); // 51 + 61 + 11, each vertex twice
    std::string text = "Potential applied (V);Time (s);WE(1).Current (A);Scan\n";
    auto row = [&text](double e, double t, double i) {
        text += number(e, 10) + ";" + number(t, 10) + ";" + number(i, 17) + ";1\n";
    };
    double t = 0;
    int turn = 0;
    for (int i = 1; i <= state.pointCount; ++i) {
        const double e = store.potential(i);
        const double current = store.curves(i, state.currentCurve);
        if (i > 1 && e == store.potential(i - 1)) { // the vertex's second listing
            const double hold = written[turn++];
            const double start = t;
            for (t += kGap; t < start + hold - 1e-9; t += kGap) // the hold between (not fitted)
                row(e, t, store.curves(i - 1, state.currentCurve));
            t = start + hold;
            row(e, t, current);
            continue;
        }
        if (i > 1)
            t += kStep / kRate;
        row(e, t, current);
    }
    return text;
}

using VertexHoldImport = FileCommands;

TEST_F(VertexHoldImport, OneHoldAtEveryTurningPointIsTheVertexHoldAndFits) {
    const std::string file = folder.withText("held.txt", novaExport(5, {5, 5}));
    Workbench bench{headless.platform()};
    headless.files.answers.push_back(file);
    bench.mainWindow().menu("mnuImport").click();
    ASSERT_TRUE(messages().empty()) << messages().front();
    FormExpr &w = bench.form<FormExpr>();
    EXPECT_EQ(w.TextVertexHold.text(), "5");
    EXPECT_EQ(w.TextQuiet.text(), "0");
    EXPECT_EQ(w.Evertex2.text(), "0.4");
    EXPECT_EQ(w.V.text(), "0.1");
    EXPECT_TRUE(w.option10.value());
    EXPECT_EQ(bench.state().pointCount, 123); // each hold's first and last point
    int said = 0;
    bool listed = false;
    bool mean = false; // the repeated vertex is no uneven grid
    for (const std::string &line : bench.formResult().lines()) {
        said += line.starts_with("The time column shows a hold of 5 s at the turning point ") &&
                line.ends_with("(11 points, the first and the last kept): it is taken as the "
                               "vertex hold");
        listed = listed || line == "Vertex hold =  5 ";
        mean = mean || line.starts_with("E step is the mean step");
    }
    EXPECT_EQ(said, 2);
    EXPECT_TRUE(listed);
    EXPECT_FALSE(mean);
    EXPECT_EQ(w.Estep.text(), "0.01");
    bench.mainWindow().menu("mnuAutoFit").click();
    ASSERT_TRUE(messages().empty()) << messages().front();
    EXPECT_NEAR(bench.state().cInit[1], 2e-3, 1e-3 * 2e-3);
}

TEST_F(VertexHoldImport, HoldsOfDifferentLengthsAreOneInstantAndSaid) {
    // 5 s at -0.2 V and 2 s at 0.4 V: no one vertex hold; each hold is its first point.
    const std::string file = folder.withText("held.txt", novaExport(5, {5, 2}));
    Workbench bench{headless.platform()};
    headless.files.answers.push_back(file);
    bench.mainWindow().menu("mnuImport").click();
    ASSERT_TRUE(messages().empty()) << messages().front();
    EXPECT_EQ(bench.form<FormExpr>().TextVertexHold.text(), "0");
    EXPECT_EQ(bench.state().pointCount, 121); // each vertex once
    int said = 0;
    for (const std::string &line : bench.formResult().lines())
        said += line.starts_with("The time column shows a hold of ") &&
                line.find("the first kept): the holds at the turning points differ") !=
                    std::string::npos;
    EXPECT_EQ(said, 2);
}

} // namespace
} // namespace kemvo
