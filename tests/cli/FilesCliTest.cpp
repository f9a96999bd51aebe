// kemvo-cli driving the File menu's file commands as a user scripts them.

#include <gtest/gtest.h>

#include <algorithm>
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

std::string contentOf(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string quoted(const std::string &argument) {
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

    std::string file(const std::string &name) const { return (folder_ / name).string(); }
    std::string withText(const std::string &name, const std::string &text) const {
        std::ofstream(file(name), std::ios::binary) << text;
        return file(name);
    }

    CliRun cli(const std::vector<std::string> &steps) const {
        std::string command = KEMVO_CLI;
        for (const std::string &step : steps)
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

std::vector<std::string> linesOf(const std::string &text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// The parameters window's OK takes its initial texts into the state; Save writes them.
TEST_F(FilesCli, SaveAfterTheIntakeWritesTheMechanismOneReport) {
    CliRun run = cli({"mnuExperimental", "FormExpr.OK", "mnuSave=" + file("m1.par")});
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::string> expected =
        linesOf(contentOf(fs::path(KEMVO_TEST_DATA) / "files" / "mechanism1.par"));
    ASSERT_EQ(expected.size(), 54u);
    expected[23] = " 0"; // No. OF DATA: nothing simulated yet
    // The window pre-equilibrates A + e = B at E start: cB/cA = exp(-F/RT (0.3 - 0.1)) with
    // F/RT = 96484.6 / (8.31441 * 298.14) = 38.923 /V, so cB/cA = 4.1606e-4 and, from 1e-3 M
    // of A, cA = 9.9958e-4 M and cB = 4.1589e-7 M, shown to four digits ("0.###e-#").
    expected[31] = " 0.0009996";
    expected[45] = " 4.159E-07";
    std::vector<std::string> written = linesOf(contentOf(file("m1.par")));
    ASSERT_EQ(written.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(written[i], expected[i]) << "line " << i + 1;
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

TEST_F(FilesCli, ImportReportsPrimesAndExportsTheSameNumbers) {
    std::string measured = withText("measured.csv", "\xEF\xBB\xBF"
                                                    "0.5,1.25e-6\r\n0.45,-3e-7");
    CliRun run = cli({"mnuImport=" + measured, "show=state.pointCount", "show=FormExpr.Estart",
                      "show=FormExpr.Estep", "mnuExport=" + file("again.csv")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Number of data point =  2 \nE step =  0.05 \nstate.pointCount=2\n"
                       "FormExpr.Estart=0.5\nFormExpr.Estep=0.05\n");
    EXPECT_EQ(contentOf(file("again.csv")), " 0.5 , 1.25E-06 \n 0.45 ,-3E-07 \n");
}

TEST_F(FilesCli, SimulatedCurveExportsAndImportsBackDigitForDigit) {
    CliRun run = cli({"mnuExperimental", "FormExpr.OK", "mnuSimulate", "mnuExport=" + file("a.csv"),
                      "overlap=1", "mnuImport=" + file("a.csv"), "show=state.currentCurve",
                      "mnuExport=" + file("b.csv")});
    EXPECT_EQ(run.status, 0) << run.err;
    // A single sweep from 0.3 V to -0.3 V in 5 mV steps has 121 points.
    EXPECT_EQ(run.out, "Number of data point =  121 \nE step =  0.005 \nstate.currentCurve=2\n");
    std::string first = contentOf(file("a.csv"));
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 121);
    EXPECT_EQ(contentOf(file("b.csv")), first);
}

TEST_F(FilesCli, ImportOfTextSaysWhereItIs) {
    CliRun run = cli({"mnuImport=" + withText("header.csv", "E,I\n0.1,1\n")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "message: ReadData Error: line 1, item 1: \"E\" is not a number\n");
}

} // namespace
