// The File menu's Export Data, Save and Import Data through their dialogs, as the user meets
// them: what reaches the disk, the store and the windows, and what is said when it fails.

#include "files/FileReplacement.h"
#include "files/FilesCommands.h"

#include "files/FilesFixture.h"
#include "shell/RuntimeError.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>

namespace kemvo {
namespace {

TEST_F(FileCommands, ExportAndSaveWriteThroughTheirDialogs) {
    holdThreePoints();
    click("mnuExport", folder.file("curve.csv"));
    EXPECT_EQ(headless.files.lastFilter, "csv|*.csv|all|*.*");
    click("mnuSave", folder.file("run.par"));
    EXPECT_EQ(headless.files.lastFilter, "parameter (*.par)|*.par|all|*.*");
    EXPECT_EQ(folder.contentOf("curve.csv"),
              "-0.1 , 1E-06 \n-0.2 , 2E-06 \n-0.30000000000000004 , 3E-06 \n");
    // The report's layout is checked whole in ParameterReportTest and through kemvo-cli.
    EXPECT_TRUE(folder.contentOf("run.par").starts_with("Technique :\n 0\n"));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"curve.csv", "run.par"}));
}

TEST_F(FileCommands, CancelledDialogsEndSilently) {
    for (const char *menu : {"mnuExport", "mnuSave"}) {
        app.mainWindow().menu(menu).click();
        click(menu, "");
    }
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(folder.names().empty());
}

// A failed write names the file and the reason and leaves what was there as it was.
TEST_F(FileCommands, FailedWriteNamesTheFileAndKeepsWhatWasThere) {
    holdThreePoints();
    fs::create_directory(folder.file("folder.csv"));
    folder.withText("curve.csv", "earlier data\n");
    click("mnuExport", folder.file("no such folder/curve.csv"));
    click("mnuSave", folder.file("no such folder/run.par"));
    click("mnuExport", folder.file("folder.csv"));
    app.state().lastPoint = kMaxPoints + 1; // past the arrays' end
    click("mnuExport", folder.file("curve.csv"));
    EXPECT_EQ(
        messages(),
        (std::vector<std::string>{
            "Export Data Error: " + folder.file("no such folder/curve.csv") +
                ": No such file or directory",
            "Save Error: " + folder.file("no such folder/run.par") + ": No such file or directory",
            "Export Data Error: " + folder.file("folder.csv") + ": Is a directory",
            "Export Data Error: " + folder.file("curve.csv") + ": Subscript out of range"}));
    EXPECT_TRUE(fs::is_directory(folder.file("folder.csv")));
    EXPECT_EQ(folder.contentOf("curve.csv"), "earlier data\n");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"curve.csv", "folder.csv"}));
}

// A replacement keeps the file's permissions; a write that the system refuses half-way (the file
// size limit stands in for a full disk) keeps the file as it was and leaves no temporary file.
TEST(ReplaceFile, KeepsThePermissionsAndOnAWriteErrorTheExistingFile) {
    TemporaryFolder folder;
    const std::string file = folder.withText("run.par", "a longer earlier content\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    replaceFile(file, "new\n");
    EXPECT_EQ(folder.contentOf("run.par"), "new\n");
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string failure;
    try {
        replaceFile(file, std::string(1 << 20, 'x'));
    } catch (const RuntimeError &error) {
        failure = error.what();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(failure, "File too large");
    EXPECT_EQ(folder.contentOf("run.par"), "new\n");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"run.par"});
}

TEST_F(FileCommands, ImportReadsReportsPrimesAndEnablesThePlotMenus) {
    click("mnuImport",
          folder.withText("scan.csv", " 0.3 , 1E-06 \n 0.295 , 2E-06 \n 0.29 , 3E-06 \n"));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(headless.files.lastFilter, kImportFilter);
    EXPECT_TRUE(std::string(kImportFilter).ends_with("|All files (*)|*"));
    const ExperimentState &state = app.state();
    EXPECT_EQ(state.pointCount, 3);
    EXPECT_EQ(state.firstPoint, 1);
    EXPECT_EQ(state.lastPoint, 3);
    EXPECT_EQ(state.simSlot, 1);
    EXPECT_EQ(app.store().curves(3, 1), 3e-6);
    // 0.3 - 0.295 is 0.0050000000000000044 in doubles; the step is meant as 0.005.
    EXPECT_EQ(app.formResult().lines(),
              (std::vector<std::string>{"Number of data point =  3 ", "E step =  0.005 "}));
    EXPECT_EQ(app.control<TextBox>("FormExpr", "Estart").text(), "0.3");
    EXPECT_EQ(app.control<TextBox>("FormExpr", "Estep").text(), "0.005");
    // The far vertex of a single sweep is its last potential.
    EXPECT_EQ(app.control<TextBox>("FormExpr", "Eend").text(), "0.29");
    EXPECT_TRUE(app.control<OptionButton>("FormExpr", "option9").value());
    EXPECT_TRUE(app.formResult().visible());
    EXPECT_TRUE(displayEnabled());

    // With overlap a new slot takes the next file; the earlier curve stays.
    setOverlap(true);
    click("mnuImport", folder.withText("second.csv", "0.1,10\n0.2,20\n"));
    EXPECT_EQ(state.curveCount, 2);
    EXPECT_EQ(state.currentCurve, 2);
    EXPECT_EQ(app.store().curves(2, 1), 2e-6);
    EXPECT_EQ(app.store().curves(2, 2), 20);
}

TEST_F(FileCommands, FailedFirstImportSaysWhyAndLeavesThePlotMenusDisabled) {
    std::string text; // 4001 pairs: refused before any point is taken
    for (int i = 1; i <= kMaxPoints + 1; ++i)
        text += std::to_string(i) + "," + std::to_string(-i) + "\n";
    struct Failure {
        std::string answer, message;
    };
    const Failure failures[] = {
        {folder.withText("header.csv", "E,I\n"), "line 1, item 1: \"E\" is not a number"},
        {"", "no file was chosen"}, // cancelled dialog
        {folder.file("absent.csv"),
         "cannot open " + folder.file("absent.csv") + ": No such file or directory"},
        {folder.file("."), "cannot open " + folder.file(".") + ": Is a directory"},
        {folder.withText("long.csv", text), "line 4001, item 1: more than 4000 data points"}};
    for (const Failure &f : failures) {
        click("mnuImport", f.answer);
        EXPECT_EQ(messages().back(), "ReadData Error: " + f.message);
        EXPECT_FALSE(displayEnabled()) << f.message;
        EXPECT_EQ(app.state().pointCount, 0);
        EXPECT_EQ(app.store().curves(kMaxPoints, 1), 0);
    }
    EXPECT_EQ(messages().size(), std::size(failures));
}

} // namespace
} // namespace kemvo
