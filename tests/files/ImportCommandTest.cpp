// The Import Data command from the File menu through to the plot's menus: it reads the overlap
// box of the plot options and primes the parameters window.

#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kemvo {
namespace {

namespace fs = std::filesystem;

class ImportCommand : public testing::Test {
protected:
    void SetUp() override { fs::create_directories(folder); }
    void TearDown() override { fs::remove_all(folder); }

    std::string file(const std::string &name) const { return (folder / name).string(); }
    std::string withText(const std::string &name, const std::string &text) const {
        std::ofstream(file(name), std::ios::binary) << text;
        return file(name);
    }
    std::string contentOf(const std::string &name) const {
        std::ifstream in(file(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void click(const std::string &menu, const std::string &answer) {
        headless.files.answers.push_back(answer);
        app.mainWindow().menu(menu).click();
    }
    void setOverlap(bool on) {
        app.control<CheckBox>("formOption", "overlap").setValue(on ? 1 : 0);
    }
    std::string text(const char *box) { return app.control<TextBox>("FormExpr", box).text(); }
    bool displayEnabled() { return app.mainWindow().menu("mnuDisplay").enabled(); }

    HeadlessPlatform headless;
    Application app{headless.platform()};
    fs::path folder = fs::temp_directory_path() / ("kemvo-import-" + std::to_string(::getpid()));
};

TEST_F(ImportCommand, ReadsReportsPrimesAndEnablesThePlotMenus) {
    click("mnuImport", withText("scan.csv", " 0.3 , 1E-06 \n 0.295 , 2E-06 \n 0.29 , 3E-06 \n"));
    EXPECT_TRUE(headless.messages.shown.empty());
    EXPECT_EQ(headless.files.lastFilter, "csv|*.csv|all|*.*");
    const ExperimentState &state = app.state();
    EXPECT_EQ(state.pointCount, 3);
    EXPECT_EQ(state.firstPoint, 1);
    EXPECT_EQ(state.lastPoint, 3);
    EXPECT_EQ(state.simSlot, 1);
    EXPECT_EQ(app.store().curves(3, 1), 3e-6);
    // 0.3 - 0.295 is 0.0050000000000000044 in doubles; the step is meant as 0.005.
    EXPECT_EQ(app.formResult().lines(),
              (std::vector<std::string>{"Number of data point =  3 ", "E step =  0.005 "}));
    EXPECT_EQ(text("Estart"), "0.3");
    EXPECT_EQ(text("Estep"), "0.005");
    EXPECT_TRUE(app.formResult().visible());
    EXPECT_TRUE(displayEnabled());
}

TEST_F(ImportCommand, OverlapAddsASlotAndKeepsTheEarlierCurve) {
    setOverlap(false);
    click("mnuImport", withText("first.csv", "0.1,1\n0.2,2\n"));
    setOverlap(true);
    click("mnuImport", withText("second.csv", "0.1,10\n0.2,20\n"));
    const ExperimentState &state = app.state();
    EXPECT_EQ(state.curveCount, 2);
    EXPECT_EQ(state.currentCurve, 2);
    EXPECT_EQ(app.store().curves(2, 1), 2);
    EXPECT_EQ(app.store().curves(2, 2), 20);
}

TEST_F(ImportCommand, FailureShowsWhereAndLeavesTheCountButKeepsTheNewSlot) {
    click("mnuImport", withText("good.csv", "0.1,1\n0.2,2\n0.3,3\n"));
    app.formResult().cls();
    setOverlap(true);
    click("mnuImport", withText("bad.csv", "0.1,7\n0.2,abc\n"));
    ASSERT_EQ(headless.messages.shown.size(), 1u);
    EXPECT_EQ(headless.messages.shown[0],
              "ReadData Error: line 2, item 2: \"abc\" is not a number");
    const ExperimentState &state = app.state();
    EXPECT_EQ(state.pointCount, 3);
    EXPECT_EQ(state.curveCount, 2);
    EXPECT_EQ(state.simSlot, 2);
    EXPECT_EQ(app.store().curves(1, 2), 7); // the pair read before the fault stays
    EXPECT_TRUE(app.formResult().lines().empty());
}

TEST_F(ImportCommand, FailedFirstImportLeavesThePlotMenusDisabled) {
    click("mnuImport", withText("bad.csv", "E,I\n"));
    EXPECT_EQ(headless.messages.shown.size(), 1u);
    EXPECT_FALSE(displayEnabled());
}

TEST_F(ImportCommand, CancelledDialogIsReportedAsNoFileChosen) {
    app.mainWindow().menu("mnuImport").click();
    ASSERT_EQ(headless.messages.shown.size(), 1u);
    EXPECT_EQ(headless.messages.shown[0], "ReadData Error: no file was chosen");
    EXPECT_FALSE(displayEnabled());
}

TEST_F(ImportCommand, FourThousandAndOnePairsFailWithTheFirstFourThousandInPlace) {
    std::string text;
    for (int i = 1; i <= kMaxPoints + 1; ++i)
        text += std::to_string(i) + "," + std::to_string(-i) + "\n";
    click("mnuImport", withText("long.csv", text));
    ASSERT_EQ(headless.messages.shown.size(), 1u);
    EXPECT_EQ(headless.messages.shown[0],
              "ReadData Error: line 4001, item 1: more than 4000 data points");
    EXPECT_EQ(app.store().curves(kMaxPoints, 1), -kMaxPoints);
    EXPECT_EQ(app.state().pointCount, 0);
}

TEST_F(ImportCommand, EmptyFileReadsNoPointAndTakesTheStepOfTheOldAxis) {
    app.store().potential(1) = 0.5;
    app.store().potential(2) = 0.49;
    click("mnuImport", withText("empty.csv", ""));
    // The import itself succeeds; the plot of no point then reports that it has nothing to draw.
    EXPECT_EQ(headless.messages.shown, std::vector<std::string>{"Error: No data!"});
    EXPECT_EQ(app.state().pointCount, 0);
    EXPECT_EQ(app.state().firstPoint, 1);
    EXPECT_EQ(app.state().lastPoint, 0);
    EXPECT_EQ(app.formResult().lines().back(), "E step =  0.01 ");
}

TEST_F(ImportCommand, ExportImportExportGivesTheSameFile) {
    ExperimentState &state = app.state();
    state.firstPoint = 1;
    state.lastPoint = 3;
    state.curveCount = 1;
    state.currentCurve = 1;
    const double values[][2] = {{-0.1, 1.0 / 3}, {-0.2, -2e-300}, {-0.3, 123456789.125}};
    for (int i = 1; i <= 3; ++i) {
        app.store().potential(i) = values[i - 1][0];
        app.store().curves(i, 1) = values[i - 1][1];
    }
    click("mnuExport", file("a.csv"));
    setOverlap(true);
    click("mnuImport", file("a.csv"));
    click("mnuExport", file("b.csv"));
    EXPECT_EQ(state.currentCurve, 2);
    EXPECT_EQ(contentOf("b.csv"), contentOf("a.csv"));
    EXPECT_EQ(contentOf("a.csv"),
              "-0.1 , 0.3333333333333333 \n-0.2 ,-2E-300 \n-0.3 , 123456789.125 \n");
}

} // namespace
} // namespace kemvo
