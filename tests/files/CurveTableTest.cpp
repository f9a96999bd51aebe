// Export All Curves and the reading of its table back: the header names each curve as the
// legend does with its unit, every double comes back exactly, and Import offers each column as
// a curve under its name. Then the programme an import primes the parameters window with,
// rounded to what the measured data carries.

#include "files/CurveTable.h"
#include "files/CurveImport.h"
#include "files/FilesFixture.h"
#include "files/FormImport.h"
#include "files/ImportProgramme.h"

#include <cmath>
#include <sstream>

namespace kemvo {
namespace {

class CurveTable : public FileCommands {
protected:
    // A separation's curves: measured, fit and two components on one axis of five points.
    void holdASeparation() {
        ExperimentState &state = app.state();
        state.firstPoint = 1;
        state.lastPoint = 5;
        state.pointCount = 5;
        state.curveCount = 4;
        state.currentCurve = 1;
        state.curveLabel = {"", "measured", "fit", "component 1 (A+e=B)", "", ""};
        for (int i = 1; i <= 5; ++i) {
            app.store().potential(i) = 0.3 - 0.1 * i; // 0.2 ... -0.2, none exact in binary
            for (int k = 1; k <= 4; ++k)
                app.store().curves(i, k) = 1e-6 * k / 3.0 * std::sin(i);
        }
    }
    std::vector<std::string> lines(const std::string &name) {
        std::istringstream in(folder.contentOf(name));
        std::vector<std::string> found;
        for (std::string line; std::getline(in, line);)
            found.push_back(line);
        return found;
    }
};

TEST_F(CurveTable, HoldsEveryCurveUnderItsNameAndComesBackExactly) {
    holdASeparation();
    click("mnuExportAll", folder.file("all"));
    ASSERT_TRUE(messages().empty()) << messages().front();
    std::vector<std::string> table = lines("all.csv"); // ".csv" added to a bare name
    ASSERT_EQ(table.size(), 6u);
    // Curve 4 has no name of its own: "curve 4", as in the legend.
    EXPECT_EQ(table[0], "E /V,measured /A,fit /A,component 1 (A+e=B) /A,curve 4 /A");
    // 17 significant digits give back every double (IEEE 754 binary64 needs at most 17).
    std::istringstream row(table[3]);
    std::vector<double> values;
    for (std::string field; std::getline(row, field, ',');)
        values.push_back(std::strtod(field.c_str(), nullptr));
    ASSERT_EQ(values.size(), 5u);
    EXPECT_EQ(values[0], app.store().potential(3));
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(values[static_cast<std::size_t>(k)], app.store().curves(3, k));

    // Read back: each column a curve under its name, no concatenation of them offered.
    MeasuredFile read = readImportFile(folder.file("all.csv"));
    ASSERT_EQ(read.curves.size(), 4u);
    EXPECT_EQ(read.curves[1].label, "fit");
    EXPECT_EQ(read.curves[3].label, "curve 4");
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(read.curves[2].potential[static_cast<std::size_t>(i - 1)],
                  app.store().potential(i));
        EXPECT_EQ(read.curves[2].current[static_cast<std::size_t>(i - 1)],
                  app.store().curves(i, 3));
    }
    click("mnuImport", folder.file("all.csv"));
    FormImport &chooser = app.form<FormImport>();
    ASSERT_TRUE(chooser.visible());
    EXPECT_EQ(chooser.ListCurve.items().size(), 4u);
    EXPECT_EQ(chooser.LabelFile.caption(), "Kemvo curve table file: 4 curves");
    chooser.ListCurve.setListIndex(1);
    chooser.OK.click();
    EXPECT_EQ(app.state().curveLabel[1], "fit");
    EXPECT_EQ(app.store().curves(2, 1), read.curves[1].current[1]);
}

// A transformed curve carries its unit; a comma in a name would split the header's fields.
TEST_F(CurveTable, HeaderUnitsFollowWhatEachCurveHolds) {
    holdASeparation();
    app.state().curveCount = 2;
    app.state().curveHistory[2].operations = {CurveOperation::Derivative};
    app.state().curveLabel[1] = "all, concatenated";
    EXPECT_EQ(curveTableTitles(app.state(), "current I"),
              (std::vector<std::string>{"E /V", "all; concatenated /A", "fit /A/V"}));
    app.state().potentialFactor = 1000;
    EXPECT_EQ(curveTableTitles(app.state(), "resistance R").front(), "E /mV");
    // A table in mV and µA reads back in V and A.
    MeasuredFile read =
        readImportFile(folder.withText("scaled.csv", "E /mV,run /µA\n100,2.5\n200,5\n"));
    EXPECT_DOUBLE_EQ(read.curves[0].potential[1], 0.2);
    EXPECT_DOUBLE_EQ(read.curves[0].current[1], 5e-6);
}

TEST_F(CurveTable, ExportWithoutACurveSaysSo) {
    click("mnuExportAll", folder.file("none.csv"));
    EXPECT_EQ(messages(), std::vector<std::string>{"Export Data Error: there is no curve to "
                                                   "export; simulate or import one first"});
    EXPECT_TRUE(folder.names().empty());
}

TEST(ImportProgramme, ValuesAreRoundedToWhatTheDataCarries) {
    struct Case {
        std::vector<double> potential;
        int decimals;
    };
    for (const Case &c : {Case{{0.300095, 0.306750}, 6}, Case{{0.1, -0.2}, 1},
                          Case{{300.1 * 0.001, 300.2 * 0.001}, 4}, // converted from mV
                          Case{{1.0, 2.0}, 0},
                          // 0.3 - 0.005 as a simulation writes it: binary noise, not data
                          Case{{0.29500000000000004, 0.3}, 3},
                          Case{{0.12345678912345678}, 12}}) // finer than 12 places: 12
        EXPECT_EQ(potentialDecimals(c.potential), c.decimals) << c.potential[0];

    SweepProgramme programme;
    programme.eStart = 0.30009531000000004;
    programme.eEnd = -0.20000000000000001;
    programme.eStep = 0.00665516999999999;
    programme.scan = ScanChoice::Cycle;
    programme.scanRate = 0.04998764;
    SweepProgramme rounded = roundedProgramme(programme, 8);
    EXPECT_EQ(rounded.eStart, 0.30009531);
    EXPECT_EQ(rounded.eEnd, -0.2);
    EXPECT_EQ(rounded.eStep, 0.00665517);
    EXPECT_EQ(*rounded.scanRate, 0.04999); // four significant figures
    // A step finer than the places written keeps four significant figures.
    programme.eStep = 1.23456e-5;
    EXPECT_EQ(roundedProgramme(programme, 3).eStep, 1.235e-5);
}

// The parameters window shows the step as the file can state it, not its binary noise.
TEST_F(CurveTable, ImportPrimesTheWindowWithRoundedValues) {
    click("mnuImport", folder.withText("noisy.csv", "0.30009531,1e-6\n0.30675048,2e-6\n"
                                                    "0.31340565,3e-6\n0.32006082,2e-6\n"));
    ASSERT_TRUE(messages().empty());
    EXPECT_EQ(app.control<TextBox>("FormExpr", "Estep").text(), "0.00665517");
    EXPECT_EQ(app.control<TextBox>("FormExpr", "Estart").text(), "0.30009531");
    EXPECT_EQ(app.state().curveLabel[1], "noisy.csv"); // a bare file's curve: the file's name
}

} // namespace
} // namespace kemvo
