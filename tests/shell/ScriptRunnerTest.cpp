#include "shell/ScriptRunner.h"
#include "app/Workbench.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"

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

// Names that are no control, menu titles and separators, a file for a command that takes
// none, fields that do not exist or are indexed out of their bounds or not at all.
TEST_F(ScriptTest, StepsTheWindowsWouldNotAllowAreRefused) {
    for (const char *step :
         {"noSuchControl", "mnuFile", "mnuBar1", "mnuAbout=file.txt", "show=state.noSuchField",
          "show=state.cInit(9)", "show=state.curves(4001,1)", "show=state.cInit"})
        EXPECT_EQ(run({step}), ScriptRunner::kRefused) << step;
    // Only a quantity of the list can be chosen: another text would leave the plot's caption
    // and its curves disagreeing.
    err.str("");
    EXPECT_EQ(run({"ComboY=voltage", "ComboY=resistance R"}), ScriptRunner::kRefused);
    EXPECT_EQ(err.str(), "refused: ComboY=voltage: not an entry of the list\n");
    EXPECT_EQ(run({"ComboY=surface concentration C", "show=ComboY"}), ScriptRunner::kClean);
    EXPECT_EQ(out.str(), "ComboY=surface concentration C\n");
}

// show= prints controls and state fields, indexed ones too; --help lists what can be named;
// Exit ends the run.
TEST_F(ScriptTest, ShowHelpAndExit) {
    app.state().cInit[1] = 1e-3;
    app.store().curves(10, 1) = -2.5e-6;
    EXPECT_EQ(run({"show=state.cInit(1)", "show=state.curves(10,1)", "show=MDIForm1.mnuData",
                   "--help", "mnuExit", "show=state.electrode"}),
              ScriptRunner::kClean);
    EXPECT_TRUE(out.str().starts_with(
        "state.cInit(1)=0.001\nstate.curves(10,1)=-2.5E-06\nMDIForm1.mnuData=&Analysis\n"));
    for (const char *word : {"MDIForm1", "mnuSimulate", "pointCount", "curves(i,k)", "show=NAME"})
        EXPECT_NE(out.str().find(word), std::string::npos) << word;
    EXPECT_EQ(out.str().find("state.electrode"), std::string::npos);
}
