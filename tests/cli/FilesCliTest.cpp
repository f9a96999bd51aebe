// kemvo-cli driving the File menu's file commands as a user scripts them.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

std::string contentOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string quoted(const std::string& argument) {
    std::string text = "'";
    for (char c : argument)
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
}

class FilesCli : public testing::Test {
protected:
    FilesCli()
        : folder_(fs::temp_directory_path() /
                  ("kemvo-files-cli-" + std::to_string(::getpid()) + "-" +
                   testing::UnitTest::GetInstance()->current_test_info()->name())) {
        fs::create_directories(folder_);
    }
    ~FilesCli() override { fs::remove_all(folder_); }

    std::string file(const std::string& name) const { return (folder_ / name).string(); }

    CliRun cli(const std::vector<std::string>& steps) const {
        std::string command = KEMVO_CLI;
        for (const std::string& step : steps)
            command += " " + quoted(step);
        command += " >" + quoted(file("out.txt")) + " 2>" + quoted(file("err.txt"));
        int status = std::system(command.c_str());
        CliRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, contentOf(file("out.txt")),
                   contentOf(file("err.txt"))};
        fs::remove(file("out.txt"));
        fs::remove(file("err.txt"));
        return run;
    }

private:
    fs::path folder_;
};

TEST_F(FilesCli, SaveWritesTheParameterReport) {
    CliRun run = cli({"mnuSave=" + file("run.par")});
    EXPECT_EQ(run.status, 0) << run.err;
    // Before any intake: codes 0, the planar electrode, no points and no species.
    std::string report = contentOf(file("run.par"));
    EXPECT_TRUE(report.starts_with("Technique :\n 0\nMechisim :\n 0\nElectorde\n 1\n")) << report;
    EXPECT_TRUE(report.ends_with("No. OF DATA :\n 0\nNUMBER OF SPECIES :\n 0\n")) << report;
}

TEST_F(FilesCli, ExportBeforeAnyDataWritesAnEmptyFile) {
    CliRun run = cli({"mnuExport=" + file("curve.csv")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(file("curve.csv")));
    EXPECT_EQ(contentOf(file("curve.csv")), "");
}

TEST_F(FilesCli, UnwritableTargetIsReportedWithItsNameAndTheExistingFileStays) {
    std::string missing = file("missing/curve.csv");
    CliRun run = cli({"mnuExport=" + missing});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "message: Export Data Error: " + missing + ": No such file or directory\n");

    fs::create_directory(file("run.par"));
    run = cli({"mnuSave=" + file("run.par")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "message: Save Error: " + file("run.par") + ": Is a directory\n");
    EXPECT_TRUE(fs::is_directory(file("run.par")));
}

} // namespace
