// Import Data as the user meets it: what reaches the store and the parameters window, what is
// refused and why, that nothing changes before the whole file has passed, and the curve chosen
// in FormImport.

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
        app.control<CheckBox>("formOption", "overlap").setValue(1);
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

// The programme is read off the potentials: the far vertex is E end and a return makes the scan
// a cycle (importing -0.3 -> 0.3 -> -0.3 V once left E end at E start, so that the next Simulate
// had no points); 0.3 - 0.295 is 0.0050000000000000044 in doubles, a step meant as 0.005.
TEST_F(Import, BareFilePrimesTheProgrammeFromItsPotentials) {
    std::string cycle;
    for (int k = 0; k <= 24; ++k)
        cycle += std::to_string(k <= 12 ? -0.3 + 0.05 * k : 0.3 - 0.05 * (k - 12)) + ",1e-6\n";
    struct Case {
        std::string text;
        int points;
        double secondPotential; // [V]
        const char *eStart, *eEnd, *eStep, *scan;
    };
    const Case cases[] = {{" 0.3 , 1E-06 \n 0.295 , 2E-06 \n 0.29 , 3E-06 \n", 3, 0.295, "0.3",
                           "0.29", "0.005", "option9"},
                          {cycle, 25, -0.25, "-0.3", "0.3", "0.05", "option10"}};
    for (const Case &c : cases) {
        click("mnuImport", folder.withText("bare.csv", c.text));
        EXPECT_EQ(app.state().pointCount, c.points);
        EXPECT_EQ(app.store().potential(2), c.secondPotential);
        EXPECT_EQ(text("Estart"), c.eStart);
        EXPECT_EQ(text("Eend"), c.eEnd);
        EXPECT_EQ(text("Estep"), c.eStep);
        EXPECT_EQ(app.formResult().lines().back(), std::string("E step =  ") + c.eStep + " ");
        EXPECT_TRUE(scan(c.scan));
    }
    EXPECT_TRUE(displayEnabled());
    app.mainWindow().menu("mnuSimulate").click();
    EXPECT_TRUE(messages().empty()) << messages().front();
    EXPECT_EQ(app.state().pointCount, 26); // two sweeps of 0.6 V / 0.05 V + 1 points
}

TEST_F(Import, RefusedFilesLeaveTheCurvesAndTheParametersWindowAsTheyWere) {
    click("mnuImport", folder.withText("header.csv", "E,I\n")); // a first import that fails
    EXPECT_FALSE(displayEnabled());
    EXPECT_EQ(app.state().pointCount, 0);
    headless.messages.shown.clear();
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
        {"", "no file was chosen"}, // a cancelled dialog
        {folder.file("absent.csv"),
         "cannot open " + folder.file("absent.csv") + ": No such file or directory"},
        {folder.withText("long.csv", long4001), "line 4001, item 1: more than 4000 data points"},
        {folder.withText("empty.csv", ""), "the file holds no data points"},
        {folder.withText("flat.csv", "0.1,7\n0.1,8\n0.1,9\n"),
         "at least two distinct potentials are needed"},
        {pipe, "cannot read " + pipe + ": it is a pipe, not a regular file"},
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

// The chooser changes nothing before OK; the chosen curve comes with its programme unless the
// user unticks it, and the sign is reversed only when the user ticks the box.
TEST_F(Import, FormImportTakesTheChosenCurveOnlyAtOk) {
    holdAnImportedCurve();
    click("mnuImport", sample("ec-lab-cv.mpt"));
    ASSERT_TRUE(chooser().visible());
    EXPECT_EQ(chooser().LabelFile.caption(), "EC-Lab file, Cyclic Voltammetry: 2 curves");
    EXPECT_EQ(chooser().ListCurve.items(),
              (std::vector<std::string>{"1  cycle 1  17 points  0 to 0.4 V  0.02 V/s",
                                        "2  cycle 2  17 points  0 to 0.4 V  0.02 V/s",
                                        "3  all, concatenated  34 points  0 to 0.4 V  0.02 V/s"}));
    EXPECT_FALSE(chooser().CheckReverseSign.checked());
    chooser().Cancel.click();
    expectTheHeldCurveUntouched();

    click("mnuImport", sample("chi-cv.txt"));
    // Real CH Instruments exports write oxidation positive whatever the software's manual
    // says: the sign is never reversed unless the user asks.
    EXPECT_FALSE(chooser().CheckReverseSign.checked());
    chooser().CheckReverseSign.setValue(1);
    chooser().CheckProgramme.setValue(0);
    chooser().OK.click(); // the first segment
    // Line 27 of the file: "0.450, -7.999e-06", reversed as the user asked.
    EXPECT_DOUBLE_EQ(app.store().curves(2, 2), 7.999e-6);
    EXPECT_EQ(text("Estart"), "0.25"); // the programme was left alone
    EXPECT_EQ(app.formResult().lines().back(),
              "Current sign reversed: oxidation current is positive");

    app.formResult().cls();
    click("mnuImport", sample("ec-lab-cv.mpt"));
    chooser().ListCurve.setListIndex(1);
    chooser().OK.click();
    EXPECT_EQ(app.state().curveCount, 3);
    EXPECT_EQ(app.state().pointCount, 17);
    // Line 32 of the file: 0,1 V and 2,00151E-004 mA.
    EXPECT_DOUBLE_EQ(app.store().potential(3), 0.1);
    EXPECT_DOUBLE_EQ(app.store().curves(3, 3), 2.00151e-7);
    EXPECT_EQ(text("Estart"), "0");
    EXPECT_EQ(text("Eend"), "0.4");
    EXPECT_EQ(text("Estep"), "0.05");
    EXPECT_EQ(text("V"), "0.02");
    EXPECT_TRUE(scan("option10"));
    EXPECT_EQ(app.formResult().lines().front(), "EC-Lab file: cycle 2");
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

} // namespace
} // namespace kemvo
