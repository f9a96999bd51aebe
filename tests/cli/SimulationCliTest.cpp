// Simulate and the curve transforms driven through kemvo-cli as a user scripts them.

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

bool contains(const CliRun &run, const std::string &text) {
    return run.out.find(text) != std::string::npos;
}

TEST(SimulationCli, DefaultSimulationFillsTheProgrammeFields) {
    for (const char *mode : {"CheckDigital=1", "CheckDigital=0"}) {
        CliRun run = kemvo(std::string(mode) +
                           " mnuSimulate show=state.pointCount show=state.pointsPerSweep "
                           "show=state.scanSign show=state.firstPoint show=state.lastPoint "
                           "show=state.simSlot 'show=state.potential(121)'");
        EXPECT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(run.out, "state.pointCount=121\nstate.pointsPerSweep=121\nstate.scanSign=-1\n"
                           "state.firstPoint=1\nstate.lastPoint=121\nstate.simSlot=1\n"
                           "state.potential(121)=-0.3\n")
            << mode;
    }
}

TEST(SimulationCli, TooLongAProgrammeIsReportedAndTheMenusStillOpen) {
    CliRun run = kemvo("Estep=1e-4 mnuSimulate show=state.pointCount mnuSemi");
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_TRUE(contains(run, "Analytical simulation Error: Subscript out of range! Please try "
                              "again by other initial values."))
        << run.out;
    EXPECT_TRUE(contains(run, "state.pointCount=6001")) << run.out;
    EXPECT_FALSE(contains(run, "refused")) << run.out;
}

TEST(SimulationCli, TransformsRunFromTheAnalysisMenu) {
    for (const char *entry : {"mnuSemi", "mnuSemiInte", "mnuDerivative", "mnuIntegral"}) {
        CliRun run = kemvo(std::string("CheckDigital=0 mnuSimulate ") + entry +
                           " mnuPlot 'show=state.curves(60,1)'");
        EXPECT_EQ(run.status, 0) << entry << ": " << run.out;
        EXPECT_TRUE(contains(run, "state.curves(60,1)=")) << run.out;
    }
}

} // namespace
