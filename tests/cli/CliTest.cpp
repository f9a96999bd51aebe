// kemvo-cli as a user scripts it: the real program, its output, its messages and exit status.
// The windows' own behaviour is proved by the subsystems' tests; these prove the contract.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

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

struct CliRun {
    int status;
    std::string out, err;
};

class Cli : public testing::Test {
protected:
    Cli() { fs::create_directories(folder_); }
    ~Cli() override { fs::remove_all(folder_); }

    std::string file(const std::string &name) const { return (folder_ / name).string(); }
    std::string withText(const std::string &name, const std::string &text) const {
        std::ofstream(file(name), std::ios::binary) << text;
        return file(name);
    }
    CliRun cli(const std::vector<std::string> &steps) const {
        std::string command = KEMVO_CLI;
        for (const std::string &step : steps)
            command.append(" ").append(quoted(step));
        command.append(" >").append(quoted(file("out.txt")));
        command.append(" 2>").append(quoted(file("err.txt")));
        int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, contentOf(file("out.txt")),
                contentOf(file("err.txt"))};
    }

private:
    fs::path folder_ =
        fs::temp_directory_path() / ("kemvo-cli-" + std::to_string(::getpid()) + "-" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
};

TEST_F(Cli, ShowsAndRefusesWithTheirStatuses) {
    CliRun run;
    // Steps the windows would not allow: a greyed menu, a box the planar electrode hides.
    for (const char *step : {"mnuFindPeak", "radius=0.3"}) {
        run = cli({"mnuExperimental", step});
        EXPECT_EQ(run.status, 2) << step;
        EXPECT_NE(run.err.find(std::string("refused: ") + step), std::string::npos) << run.err;
    }
    // show= reads controls and state fields: A + e = B pre-equilibrated at E start, worked
    // by hand in ParametersWindowTest: f = 38.923 /V, theta = exp(-0.2 f) = 4.161e-4.
    run = cli({"mnuExperimental", "show=Cinit(1)", "show=Cinit(2)", "FormExpr.OK",
               "show=state.cInit(2)"});
    EXPECT_EQ(run.status, 0) << run.err;
    // The labels round; the state takes the value itself, 4.1592e-7 M by hand.
    EXPECT_TRUE(run.out.starts_with("Cinit(1)=9.996e-4\nCinit(2)=4.159e-7\nstate.cInit(2)=4.1592"))
        << run.out;
}

TEST_F(Cli, MessagesGoToStandardErrorWithStatusOneAndTheRunGoesOn) {
    CliRun run = cli({"mnuExperimental", "Estep=abc", "mech(9)=1", "FormExpr.OK",
                      "show=state.eStep", "show=state.mechanism"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "message: E step (V): \"abc\" is not a number; it must be a number other than 0\n");
    // Nothing taken but the mechanism, which the shown window follows as soon as it is chosen.
    EXPECT_EQ(run.out, "state.eStep=0.005\nstate.mechanism=9\n");
    // 6001 points would overflow the arrays: refused before the run, so the plot menus stay
    // closed and the state keeps its count.
    run = cli({"Estep=1e-4", "mnuSimulate", "show=state.pointCount"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.starts_with("message: Digital simulation Error: the potential programme "
                                    "needs 6001 points, more than 4000 points"))
        << run.err;
    EXPECT_EQ(run.out, "state.pointCount=0\n");
    EXPECT_EQ(cli({"Estep=1e-4", "mnuSimulate", "mnuSemi"}).status, 2);
}

TEST_F(Cli, FileMenuWritesNamesFailuresAndKeepsWhatWasThere) {
    // Save after the intake: the mechanism 1 report written by hand, less the points not yet
    // simulated and with the pre-equilibrated concentrations at full precision: Nernst gives
    // cA = c/(1 + theta) and cB = c theta/(1 + theta), theta = exp(-0.2 F/RT) at 298.14 K.
    CliRun run = cli({"mnuExperimental", "FormExpr.OK", "mnuSave=" + file("m1.par")});
    EXPECT_EQ(run.status, 0) << run.err;
    std::string expected = contentOf(fs::path(KEMVO_TEST_DATA) / "files" / "mechanism1.par");
    for (auto [from, to] :
         {std::pair{"No. OF DATA :\n 121\n", "No. OF DATA :\n 0\n"},
          std::pair{"C :\n 0.001\n", "C :\n@\n"}, std::pair{"C :\n 0\n", "C :\n@\n"}}) {
        ASSERT_NE(expected.find(from), std::string::npos) << from;
        expected.replace(expected.find(from), std::string(from).size(), to);
    }
    const double theta = std::exp(-0.2 * 96484.6 / (8.31441 * 298.14));
    std::string written = contentOf(file("m1.par"));
    std::size_t at = 0;
    // The last digits depend on the order of the operations: 1e-12 of the value.
    for (double nernst : {1e-3 / (1 + theta), 1e-3 * theta / (1 + theta)}) {
        at = written.find("C :\n", at);
        ASSERT_NE(at, std::string::npos);
        at += 4;
        const std::size_t end = written.find('\n', at);
        EXPECT_NEAR(std::stod(written.substr(at, end - at)), nernst, 1e-12 * nernst);
        written.replace(at, end - at, "@");
    }
    EXPECT_EQ(written, expected);

    fs::create_directory(file("run.par"));
    const std::string missing = file("missing/curve.csv");
    run = cli({"mnuExperimental", "FormExpr.OK", "mnuSimulate", "mnuExport=" + missing,
               "mnuSave=" + file("run.par")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "message: Export Data Error: " + missing + ": No such file or directory\n" +
                           "message: Save Error: " + file("run.par") + ": it is a folder\n");
    EXPECT_TRUE(fs::is_directory(file("run.par")));
}

TEST_F(Cli, FineGridIsScriptableAndTheReportDoesNotRecordIt) {
    CliRun run = cli(
        {"CheckFine=1", "show=FormTech.CheckFine", "mnuSimulate", "mnuSave=" + file("fine.par")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "FormTech.CheckFine=1\n");
    run = cli({"mnuSimulate", "mnuSave=" + file("standard.par")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(contentOf(file("fine.par")), contentOf(file("standard.par")));
}

TEST_F(Cli, ImportPrimesTheWindowAndExportGivesTheSameNumbers) {
    const std::string measured = withText("measured.csv", "\xEF\xBB\xBF"
                                                          "0.5,1.25e-6\r\n0.45,-3e-7");
    CliRun run = cli({"mnuImport=" + measured, "show=state.pointCount", "show=FormExpr.Estart",
                      "show=FormExpr.Estep", "mnuExport=" + file("again.csv")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Number of data point =  2 \nE step =  0.05 \nstate.pointCount=2\n"
                       "FormExpr.Estart=0.5\nFormExpr.Estep=0.05\n");
    EXPECT_EQ(contentOf(file("again.csv")), " 0.5 , 1.25E-06 \n 0.45 ,-3E-07 \n");
}

TEST_F(Cli, SimulatedCurveExportsAndImportsBackDigitForDigit) {
    CliRun run = cli({"mnuExperimental", "FormExpr.OK", "mnuSimulate", "mnuExport=" + file("a.csv"),
                      "overlap=1", "mnuImport=" + file("a.csv"), "show=state.currentCurve",
                      "mnuExport=" + file("b.csv")});
    EXPECT_EQ(run.status, 0) << run.err;
    // A single sweep from 0.3 V to -0.3 V in 5 mV steps has 121 points.
    EXPECT_EQ(run.out, "Number of data point =  121 \nE step =  0.005 \nstate.currentCurve=2\n");
    const std::string first = contentOf(file("a.csv"));
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 121);
    EXPECT_EQ(contentOf(file("b.csv")), first);
}

TEST_F(Cli, AutoFitPrintsItsIterationsAndReportAndSeparatesTheSteps) {
    const std::string curve = file("cv.csv");
    CliRun run = cli({"CheckPreEqu=0", "CheckFitted(1)=0", "option10=1", "V=0.1", "ks(1)=0.01",
                      "mnuSimulate", "mnuExport=" + curve, "mnuImport=" + curve, "ks(1)=0.013",
                      "CheckFitted(5)=1", "mnuAutoSeparate", "show=CheckFitted(5)",
                      "show=state.curveCount"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Least square = "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nNo. of obj. fun. = "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nks(1)         "), std::string::npos) << run.out;
    EXPECT_TRUE(run.out.ends_with("CheckFitted(5)=1\nstate.curveCount=3\n")) << run.out;
}

TEST_F(Cli, AnalysisReportsGoToStandardOutput) {
    CliRun run = cli({"option10=1", "Estep=0.001", "mnuSimulate", "mnuFindPeak", "mnuFindHalfwaveE",
                      "mnuCompId"});
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::string> starts = {"Curve  1 :",
                                       "Peak  1 :     Ep = ",
                                       "Peak  2 :     Ep = ",
                                       "I pc/I pa = ",
                                       "Ep2 - Ep1 = ",
                                       "Peak Area = ",
                                       "Peak  1 :     E1/2 = ",
                                       "Theoretical limiting current:",
                                       "Rev Peak  1 : Ep = ",
                                       "Irrev Peak  1 :"};
    std::istringstream lines(run.out);
    std::string line;
    for (const std::string &start : starts) {
        ASSERT_TRUE(std::getline(lines, line)) << start;
        EXPECT_TRUE(line.starts_with(start)) << line;
    }
    EXPECT_FALSE(std::getline(lines, line)) << line;

    // An imported curve with one peak at 0.2 V; a drop time of zero stops Theoretical Peak.
    std::string points;
    for (int i = 0; i < 60; ++i) {
        double E = 0.5 - 0.01 * i;
        points += std::to_string(E) + "," +
                  std::to_string(std::exp(-std::pow((E - 0.2) / 0.05, 2))) + "\n";
    }
    run = cli({"mnuImport=" + withText("peak.csv", points), "mnuFindPeak", "optTech(2)=1", "td=0",
               "mnuCompId"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("Curve  1 :\nPeak  1 :     Ep =  0.2 "), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Theoretical"), std::string::npos) << run.out;
    EXPECT_EQ(run.err, "message: t drop  (s): must be a number greater than 0, not \"0\"\n");
}

// The curve is chosen in FormImport and taken at its OK; a run that leaves the window for
// another step, or ends, imports nothing.
TEST_F(Cli, ImportChoosesTheCurveAtOkAndALeftWindowImportsNothing) {
    const std::string mpt = std::string(KEMVO_TEST_DATA) + "/import/ec-lab-cv.mpt";
    CliRun run = cli({"mnuImport=" + mpt, "FormImport.ListCurve=3", "FormImport.OK",
                      "show=state.pointCount", "show=FormExpr.Option11", "mnuSimulate"});
    EXPECT_EQ(run.status, 0) << run.err;
    // Two cycles 0 -> 0.4 -> 0 V in 50 mV steps, 2.5 s apart: 34 points at 20 mV/s.
    EXPECT_EQ(run.out, "EC-Lab file: all, concatenated\nNumber of data point =  34 \n"
                       "E step =  0.05 \nE start =  0 \nE end =  0.4 \nv =  0.02 \n"
                       "Scan = 2 Cycles\nstate.pointCount=34\nFormExpr.Option11=1\n");

    run = cli(
        {"mnuImport=" + mpt, "FormImport.ListCurve=2", "show=state.pointCount", "FormImport.OK"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "state.pointCount=0\n");
    EXPECT_EQ(run.err, "refused: FormImport.OK: FormImport is not open\n");

    run = cli({"mnuImport=" + std::string(KEMVO_TEST_DATA) + "/import/ec-lab-peis.mpt"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "message: ReadData Error: this EC-Lab file holds Potentio Electrochemical "
                       "Impedance Spectroscopy, not a voltammogram\n");
}

// An instrument writes the vertex of a cycle once: an EC4 text file of the digital cycle
// (ks = 0.01 cm/s, 0.1 V/s, 5 mV steps) without the programme's second vertex point imports as
// 241 points beside the 242-point programme it sets, and the fit runs at the measured
// potentials, from ks 30 % and E0 20 mV away.
TEST_F(Cli, AutoFitRunsOnAnInstrumentCycleThatRecordsItsVertexOnce) {
    const std::string csv = file("cv.csv");
    CliRun run = cli({"CheckDigital=1", "CheckPreEqu=0", "CheckFitted(1)=0", "option10=1", "V=0.1",
                      "ks(1)=0.01", "mnuSimulate", "mnuExport=" + csv});
    ASSERT_EQ(run.status, 0) << run.err;
    std::ifstream exported(csv);
    std::ostringstream ec4;
    ec4.precision(15);
    ec4 << "EC4 File used by Nordic Electrochemistry Aps\nTechnique\tCyclic Voltammetry\n\n"
           "Time (s)\tE (V)\ti (A)\n";
    std::string line;
    double lastPotential = NAN;
    for (int k = 0; std::getline(exported, line);) {
        const double potential = std::stod(line);
        const double current = std::stod(line.substr(line.find(',') + 1));
        if (potential == lastPotential)
            continue; // the repeated vertex
        lastPotential = potential;
        ec4 << 0.05 * k++ << '\t' << potential << '\t' << current << '\n';
    }
    const std::string measured = withText("cv.txt", ec4.str());
    run = cli({"CheckDigital=1", "CheckPreEqu=0", "CheckFitted(1)=0", "mnuImport=" + measured,
               "ks(1)=0.013", "Eze(1)=0.12", "CheckFitted(5)=1", "CheckFitted(11)=1", "mnuAutoFit",
               "show=state.pointCount", "show=state.curveCount"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("Number of data point =  241 \n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Scan = Cycle\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nConvergence flag =          -1"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nks(1)          0.0"), std::string::npos) << run.out;
    EXPECT_TRUE(run.out.ends_with("state.pointCount=241\nstate.curveCount=2\n")) << run.out;
}

} // namespace
