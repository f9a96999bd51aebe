// Import Data as the user meets it: what is refused and why, that nothing changes before the
// whole file has passed, the curve chosen in FormImport, the programme it leaves in the
// parameters window, and the names Export and Save complete.

#include "files/CurveImport.h"
#include "files/FilesFixture.h"
#include "files/FormImport.h"

#include <sys/stat.h>

namespace kemvo {
namespace {

class Import : public FileCommands {
protected:
    std::string sample(const std::string &name) const {
        return std::string(KEMVO_TEST_DATA) + "/import/" + name;
    }
    std::string text(const char *box) { return app.control<TextBox>("FormExpr", box).text(); }
    bool scan(const char *option) { return app.control<OptionButton>("FormExpr", option).value(); }
    FormImport &chooser() { return app.form<FormImport>(); }

    // A bare curve in slot 1 and overlap ticked: what every failure below must leave alone.
    void holdAnImportedCurve() {
        click("mnuImport", folder.withText("good.csv", "0.1,1\n0.2,2\n0.3,3\n"));
        ASSERT_TRUE(messages().empty());
        app.formResult().cls();
        setOverlap(true);
        app.control<TextBox>("FormExpr", "Estart").setText("0.25");
    }
    void expectTheHeldCurveUntouched() {
        const ExperimentState &state = app.state();
        EXPECT_EQ(state.pointCount, 3);
        EXPECT_EQ(state.curveCount, 1);
        EXPECT_EQ(state.currentCurve, 1);
        EXPECT_EQ(app.store().potential(1), 0.1);
        EXPECT_EQ(app.store().curves(1, 1), 1);
        EXPECT_EQ(app.store().curves(1, 2), 0);
        EXPECT_EQ(text("Estart"), "0.25");
        EXPECT_TRUE(app.formResult().lines().empty());
    }
};

TEST_F(Import, RefusedFilesLeaveTheCurvesAndTheParametersWindowAsTheyWere) {
    holdAnImportedCurve();
    std::string long4001;
    for (int i = 1; i <= kMaxPoints + 1; ++i)
        long4001 += std::to_string(i) + "," + std::to_string(-i) + "\n";
    const std::string pipe = folder.file("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string huge = folder.withText("huge.csv", "");
    std::filesystem::resize_file(huge, kMaxImportBytes + 1); // sparse: no disk is filled
    struct Refusal {
        std::string answer, message;
    };
    const Refusal refusals[] = {
        {folder.withText("bad.csv", "0.1,7\n0.2,8\n0.3,abc\n"),
         "line 3, item 2: \"abc\" is not a number"},
        {folder.withText("long.csv", long4001), "line 4001, item 1: more than 4000 data points"},
        {folder.withText("empty.csv", ""), "the file holds no data points"},
        {folder.withText("one.csv", "0.1,7\n"), "at least two distinct potentials are needed"},
        {folder.withText("flat.csv", "0.1,7\n0.1,8\n0.1,9\n"),
         "at least two distinct potentials are needed"},
        {pipe, "cannot read " + pipe + ": it is a pipe, not a regular file"},
        {"/dev/null", "cannot read /dev/null: it is a device, not a regular file"},
        {huge, huge + " holds 209715201 bytes (200 MB); no curve file is larger than 200 MB"},
        {sample("gamry-eis.DTA"), "this Gamry file holds EISPOT, not a voltammogram"},
    };
    for (const Refusal &r : refusals) {
        click("mnuImport", r.answer);
        EXPECT_EQ(messages().back(), "ReadData Error: " + r.message);
        expectTheHeldCurveUntouched();
    }
    EXPECT_EQ(messages().size(), std::size(refusals));
}

// Importing -0.3 -> 0.3 -> -0.3 V once left E end at its start value, so that the next Simulate
// had no points; the far vertex and a cycle make a programme that runs.
TEST_F(Import, BareImportSetsTheFarVertexAndTheScanSoThatSimulateRuns) {
    std::string cycle;
    for (int k = 0; k <= 24; ++k)
        cycle += std::to_string(k <= 12 ? -0.3 + 0.05 * k : 0.3 - 0.05 * (k - 12)) + ",1e-6\n";
    click("mnuImport", folder.withText("cycle.csv", cycle));
    EXPECT_EQ(text("Estart"), "-0.3");
    EXPECT_EQ(text("Eend"), "0.3");
    EXPECT_EQ(text("Estep"), "0.05");
    EXPECT_TRUE(scan("option10"));
    app.mainWindow().menu("mnuSimulate").click();
    EXPECT_TRUE(messages().empty()) << messages().front();
    // Two sweeps of 0.6 V / 0.05 V + 1 = 13 points each.
    EXPECT_EQ(app.state().pointCount, 26);
}

TEST_F(Import, FormImportTakesTheChosenCycleWithItsProgrammeOnlyAtOk) {
    holdAnImportedCurve();
    click("mnuImport", sample("ec-lab-cv.mpt"));
    ASSERT_TRUE(chooser().visible());
    EXPECT_EQ(chooser().LabelFile.caption(), "EC-Lab file, Cyclic Voltammetry: 2 curves");
    EXPECT_EQ(chooser().ListCurve.items(),
              (std::vector<std::string>{"1  cycle 1  17 points  0 to 0.4 V  0.02 V/s",
                                        "2  cycle 2  17 points  0 to 0.4 V  0.02 V/s",
                                        "3  all, concatenated  34 points  0 to 0.4 V  0.02 V/s"}));
    EXPECT_FALSE(chooser().CheckReverseSign.checked());
    expectTheHeldCurveUntouched();

    chooser().ListCurve.setListIndex(1);
    chooser().OK.click();
    EXPECT_FALSE(chooser().visible());
    const ExperimentState &state = app.state();
    EXPECT_EQ(state.curveCount, 2);
    EXPECT_EQ(state.pointCount, 17);
    // Line 32 of the file: 0,1 V and 2,00151E-004 mA.
    EXPECT_DOUBLE_EQ(app.store().potential(3), 0.1);
    EXPECT_DOUBLE_EQ(app.store().curves(3, 2), 2.00151e-7);
    EXPECT_EQ(text("Estart"), "0");
    EXPECT_EQ(text("Eend"), "0.4");
    EXPECT_EQ(text("Estep"), "0.05");
    EXPECT_EQ(text("V"), "0.02");
    EXPECT_TRUE(scan("option10"));
    EXPECT_EQ(app.formResult().lines(),
              (std::vector<std::string>{"EC-Lab file: cycle 2", "Number of data point =  17 ",
                                        "E step =  0.05 ", "E start =  0 ", "E end =  0.4 ",
                                        "v =  0.02 ", "Scan = Cycle"}));
    EXPECT_TRUE(displayEnabled());
}

TEST_F(Import, CancelKeepsTheCurrentCurveAndReverseSignFlipsACathodicPositiveFile) {
    holdAnImportedCurve();
    click("mnuImport", sample("chi-cv.txt"));
    EXPECT_TRUE(chooser().CheckReverseSign.checked()); // the software writes reduction positive
    chooser().Cancel.click();
    expectTheHeldCurveUntouched();

    click("mnuImport", sample("chi-cv.txt"));
    chooser().CheckProgramme.setValue(0);
    chooser().OK.click(); // the first segment
    // Line 27 of the file: "0.450, -7.999e-06", stored oxidation-positive.
    EXPECT_DOUBLE_EQ(app.store().curves(2, 2), 7.999e-6);
    EXPECT_EQ(text("Estart"), "0.25"); // the programme was left alone
    EXPECT_EQ(app.formResult().lines().back(),
              "Current sign reversed: oxidation current is positive");
}

TEST_F(Import, LongInstrumentCurvesAreThinnedAndSaySo) {
    std::string ec4 = "EC4 File used by Nordic Electrochemistry Aps\nE (V)\ti (A)\n";
    for (int k = 0; k < 12000; ++k)
        ec4 += std::to_string(-0.6 + 1e-4 * k) + "\t1e-6\n";
    click("mnuImport", folder.withText("long.txt", ec4));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(app.state().pointCount, 4000);
    EXPECT_NEAR(app.store().potential(2), -0.6 + 3e-4, 1e-12); // every 3rd point
    const auto &lines = app.formResult().lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "12000 points thinned to 4000, every 3rd kept"),
              lines.end());
}

TEST_F(Import, ExportAndSaveAddTheirExtensionToANameWithoutOne) {
    holdThreePoints();
    click("mnuExport", folder.file("curve"));
    click("mnuSave", folder.file("run"));
    click("mnuExport", folder.file("kept.dat"));
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"curve.csv", "kept.dat", "run.par"}));
}

} // namespace
} // namespace kemvo
