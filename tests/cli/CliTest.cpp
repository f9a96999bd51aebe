// kemvo-cli as a user scripts it: the real program, its output and its exit status.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct Result {
    std::string out;
    int status;
};

// Runs kemvo-cli with the given arguments; standard error is folded into the output.
Result runCli(const std::string &arguments) {
    std::string command = std::string(KEMVO_CLI) + " " + arguments + " 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return {"", -1};
    std::string out;
    std::array<char, 4096> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr)
        out += buffer.data();
    int status = pclose(pipe);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

} // namespace

TEST(Cli, AboutPrintsItsBlock) {
    Result result = runCli("mnuAbout");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.rfind(std::string(53, '*') + "\nKemvo         Version 3.1\n", 0), 0u);
}

TEST(Cli, DisabledMenusAreRefusedWithStatusTwo) {
    Result result = runCli("mnuFindPeak");
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.out.find("refused: mnuFindPeak"), std::string::npos);
}

TEST(Cli, HelpListsTheWindows) {
    Result result = runCli("--help");
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("MDIForm1"), std::string::npos);
}
