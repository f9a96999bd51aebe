// The set-up windows driven through kemvo-cli as a user scripts them.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct CliRun {
    std::string out;
    int status;
};

// Runs kemvo-cli with the steps (each a single-quoted shell word) and captures both streams.
CliRun kemvo(const std::string &steps) {
    std::string command = std::string(KEMVO_CLI) + " " + steps + " 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return {"popen failed", -1};
    std::string out;
    std::array<char, 256> buffer{};
    while (fgets(buffer.data(), buffer.size(), pipe) != nullptr)
        out += buffer.data();
    int status = pclose(pipe);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(SetupCli, SphereAreaFollowsTheRadius) {
    CliRun run = kemvo("mnuExperimental 'optElectrode(2)=1' radius=0.3 show=ARE show=state.area");
    EXPECT_EQ(run.out, "ARE=1.13e0\nstate.area=1.13\n"); // 4 pi 0.3^2 = 1.131
    EXPECT_EQ(run.status, 0);
}

TEST(SetupCli, RadiusOfAPlanarElectrodeIsHidden) {
    CliRun run = kemvo("mnuExperimental radius=0.3");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.out.find("refused: radius=0.3"), std::string::npos) << run.out;
}

TEST(SetupCli, InitialConcentrationsOfTheFirstMechanism) {
    // f = 38.923 /V, theta = exp(-0.2 f) = 4.161e-4: A keeps 9.996e-4, B gets 4.159e-7.
    CliRun run = kemvo("mnuExperimental 'show=Cinit(1)' 'show=Cinit(2)' FormExpr.OK "
                       "'show=state.cInit(2)'");
    EXPECT_EQ(run.out, "Cinit(1)=9.996e-4\nCinit(2)=4.159e-7\nstate.cInit(2)=4.159E-07\n");
}

TEST(SetupCli, SquareSchemeThroughTheChooser) {
    CliRun run =
        kemvo("mnuMechamism 'mech(13)=1' Command1 show=state.speciesCount "
              "show=state.chargeCount show=state.chemCount mnuExperimental 'show=homo(2)'");
    EXPECT_EQ(run.out, "state.speciesCount=4\nstate.chargeCount=2\nstate.chemCount=2\n"
                       "homo(2)=C=A\n");
}

TEST(SetupCli, BadStepIsReportedAndNothingIsTaken) {
    CliRun run = kemvo("mnuExperimental Estep=abc 'mech(9)=1' FormExpr.OK show=state.eStep "
                       "show=state.mechanism");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "message: E step (V): \"abc\" is not a number\n"
                       "state.eStep=0.005\nstate.mechanism=1\n");
}

TEST(SetupCli, AnalyticalChoicesAfterClearingDigital) {
    CliRun run = kemvo("CheckDigital=0 'mech(7)=1'");
    EXPECT_EQ(run.status, 2); // greyed
    run = kemvo("CheckDigital=0 'optElectrode(8)=1' 'mech(9)=1' FormExpr.OK show=state.caseCode");
    EXPECT_EQ(run.out, "state.caseCode=18\n");
}

} // namespace
