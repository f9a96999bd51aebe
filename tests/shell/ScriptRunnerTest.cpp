#include "shell/ScriptRunner.h"
#include "app/Workbench.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"
#include "shell/RuntimeError.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace kemvo;

namespace {

struct ScriptTest : ::testing::Test {
    HeadlessPlatform platform;
    Workbench app{platform.platform()};
    std::ostringstream out, err;
    ScriptRunner runner{app, platform, out, err};

    int run(std::vector<std::string> steps) { return runner.run(steps); }
};

} // namespace

TEST_F(ScriptTest, PrintedLinesGoToStandardOutput) {
    EXPECT_EQ(run({"mnuAbout"}), ScriptRunner::kClean);
    EXPECT_NE(out.str().find("Kemvo         Version 3.1\n"), std::string::npos);
    EXPECT_TRUE(err.str().empty());
}

TEST_F(ScriptTest, StepsTheWindowsWouldNotAllowAreRefused) {
    EXPECT_EQ(run({"mnuFindPeak"}), ScriptRunner::kRefused);
    EXPECT_NE(err.str().find("refused: mnuFindPeak"), std::string::npos);
    for (std::vector<std::string> steps : {std::vector<std::string>{"noSuchControl"},
                                           {"mnuFile"},
                                           {"mnuBar1"},
                                           {"mnuAbout=file.txt"},
                                           {"show=state.noSuchField"},
                                           {"show=state.cInit(9)"},
                                           {"show=state.curves(4001,1)"},
                                           {"show=state.cInit"}})
        EXPECT_EQ(run(steps), ScriptRunner::kRefused) << steps.front();
    // Only a quantity of the list can be chosen: another text would leave the plot's caption
    // and its curves disagreeing.
    err.str("");
    EXPECT_EQ(run({"ComboY=voltage", "ComboY=resistance R"}), ScriptRunner::kRefused);
    EXPECT_EQ(err.str(), "refused: ComboY=voltage: not an entry of the list\n");
    EXPECT_EQ(run({"ComboY=surface concentration C", "show=ComboY"}), ScriptRunner::kClean);
    EXPECT_EQ(out.str(), "ComboY=surface concentration C\n");
}

TEST_F(ScriptTest, ARefusalStopsTheRun) {
    EXPECT_EQ(run({"mnuNextCurve", "mnuAbout"}), ScriptRunner::kRefused);
    EXPECT_TRUE(app.formAbout().lines().empty());
}

TEST_F(ScriptTest, ShowsControlsAndStateFields) {
    app.state().cInit[1] = 1e-3;
    app.store().curves(10, 1) = -2.5e-6;
    EXPECT_EQ(run({"show=state.cInit(1)", "show=state.curves(10,1)", "show=state.electrode",
                   "show=MDIForm1.mnuData"}),
              ScriptRunner::kClean);
    EXPECT_EQ(out.str(), "state.cInit(1)=0.001\nstate.curves(10,1)=-2.5E-06\n"
                         "state.electrode=1\nMDIForm1.mnuData=&Analysis\n");
}

TEST_F(ScriptTest, AMessageBoxGoesToStandardErrorAndSetsTheStatus) {
    app.mainWindow().menu("mnuAbout").onClick = [] { throw RuntimeError("Overflow"); };
    EXPECT_EQ(run({"mnuAbout", "show=state.electrode"}), ScriptRunner::kMessageShown);
    EXPECT_EQ(err.str(), "message: Overflow\n");
    EXPECT_EQ(out.str(), "state.electrode=1\n"); // the run goes on after a message
}

TEST_F(ScriptTest, ExitEndsTheRun) {
    EXPECT_EQ(run({"mnuExit", "mnuAbout"}), ScriptRunner::kClean);
    EXPECT_TRUE(app.formAbout().lines().empty());
}

TEST_F(ScriptTest, HelpListsWindowsControlsAndFields) {
    run({"--help"});
    for (const char *word : {"MDIForm1", "mnuSimulate", "pointCount", "curves(i,k)", "show=NAME"})
        EXPECT_NE(out.str().find(word), std::string::npos) << word;
}
