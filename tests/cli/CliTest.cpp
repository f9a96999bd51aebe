// kemvo-cli as a user scripts it: the real program, its exit status, which stream gets what,
// and what only the command line wires (file names for the dialogs, show=, plot=FILE). What
// the commands compute is proved by the subsystems' own tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// 0: clean; 1: a message box was shown, on standard error, and the run went on; 2: a step the
// windows would not allow (a greyed menu, a box the planar electrode hides) stopped the run.
TEST_F(Cli, ExitStatusAndStreamsSayHowTheRunWent) {
    CliRun run =
        cli({"mnuExperimental", "Estep=0.002", "show=Estep", "FormExpr.OK", "show=state.eStep"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Estep=0.002\nstate.eStep=0.002\n");
    EXPECT_EQ(run.err, "");

    run = cli({"mnuExperimental", "Estep=abc", "mech(9)=1", "FormExpr.OK", "show=state.mechanism"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "message: E step (V): \"abc\" is not a number; it must be a number other than 0\n");
    EXPECT_EQ(run.out, "state.mechanism=9\n");

    for (const char *step : {"mnuFindPeak", "radius=0.3"}) {
        run = cli({"mnuExperimental", step, "show=state.mechanism"});
        EXPECT_EQ(run.status, 2) << step;
        EXPECT_TRUE(run.err.starts_with(std::string("refused: ") + step)) << run.err;
        EXPECT_EQ(run.out, "") << step;
    }
}

// The file steps name what the dialogs would ask for. The finer grid changes the simulation
// only: Save writes the same report with or without it.
TEST_F(Cli, FileStepsWriteAndReadTheNamedFiles) {
    CliRun run = cli({"mnuExperimental", "FormExpr.OK", "mnuSimulate", "mnuExport=" + file("a.csv"),
                      "mnuSave=" + file("standard.par"), "overlap=1", "mnuImport=" + file("a.csv"),
                      "show=state.currentCurve", "mnuExport=" + file("b.csv")});
    EXPECT_EQ(run.status, 0) << run.err;
    // A single sweep from 0.3 V to -0.3 V in 5 mV steps has 121 points.
    EXPECT_EQ(run.out, "Number of data point =  121 \nE step =  0.005 \nstate.currentCurve=2\n");
    const std::string first = contentOf(file("a.csv"));
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 121);
    EXPECT_EQ(contentOf(file("b.csv")), first);

    run = cli({"mnuExperimental", "FormExpr.OK", "CheckFine=1", "show=FormTech.CheckFine",
               "mnuSimulate", "mnuSave=" + file("fine.par")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "FormTech.CheckFine=1\n");
    EXPECT_NE(contentOf(file("standard.par")), "");
    EXPECT_EQ(contentOf(file("fine.par")), contentOf(file("standard.par")));
}

// A potentiostat's programme typed as steps: 0.3 -> 0.7 -> 0.2 -> 0.3 V at 5 mV is 81 + 101
// + 21 points a cycle; three cycles of it end at 0.2 V and then run to E final, 0.3 V:
// 81 + 5 x 101 + 21 = 607 points. A cycle count that is no multiple of 0.5 is refused.
TEST_F(Cli, TheCyclicProgrammeOfAPotentiostat) {
    CliRun run =
        cli({"Eend=0.7", "Evertex2=0.2", "option10=1", "mnuSimulate", "show=state.pointCount",
             "Option12=1", "TextCycles=3", "mnuSimulate", "show=state.pointCount",
             "show=state.eFinal", "TextCycles=1.2", "mnuSimulate"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "state.pointCount=203\nstate.pointCount=607\nstate.eFinal=0.3\n");
    EXPECT_EQ(run.err, "message: Cycles: the number of cycles (1.2) must be a multiple of 0.5\n");
}

// The vertex hold is typed as a step and taken strictly; it holds the sweep only (the pulse
// techniques take 0), and a hold that is no number of 0 or more is refused by its caption.
TEST_F(Cli, TheVertexHoldIsABoxOfTheSweep) {
    CliRun run =
        cli({"option10=1", "FormExpr.TextVertexHold=5", "mnuSimulate", "show=state.vertexHold",
             "show=state.pointCount", "optTech(2)=1", "mnuSimulate", "show=state.vertexHold",
             "optTech(1)=1", "TextVertexHold=-1", "mnuSimulate"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "state.vertexHold=5\nstate.pointCount=242\nstate.vertexHold=0\n");
    EXPECT_EQ(run.err, "message: Vertex hold (s): must be a number of 0 or more, not \"-1\"\n");
}

// The curve is chosen in FormImport and taken at its OK; a run that leaves the window for
// another step imports nothing.
TEST_F(Cli, ImportChoosesTheCurveAtOkAndALeftWindowImportsNothing) {
    const std::string mpt = std::string(KEMVO_TEST_DATA) + "/import/ec-lab-cv.mpt";
    CliRun run = cli({"mnuImport=" + mpt, "FormImport.ListCurve=3", "FormImport.OK",
                      "show=state.pointCount", "show=FormExpr.Option11"});
    EXPECT_EQ(run.status, 0) << run.err;
    // Two cycles 0 -> 0.4 -> 0 V in 50 mV steps, 2.5 s apart: 34 points at 20 mV/s.
    EXPECT_TRUE(run.out.starts_with("EC-Lab file: all, concatenated\n")) << run.out;
    EXPECT_TRUE(run.out.ends_with("state.pointCount=34\nFormExpr.Option11=1\n")) << run.out;

    run = cli(
        {"mnuImport=" + mpt, "FormImport.ListCurve=2", "show=state.pointCount", "FormImport.OK"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "state.pointCount=0\n");
    EXPECT_EQ(run.err, "refused: FormImport.OK: FormImport is not open\n");
}

// plot=FILE writes the plot window's picture, 900 x 600; Export Plot draws the plot at the size
// typed before it, 160 x 100 mm at 300 dpi unless told otherwise, in the format of the suffix.
TEST_F(Cli, PlotFilesHoldThePictureInTheFormatOfTheirSuffix) {
    // Fixed limits and the grid: a frame, labels and grid lines without any curve.
    CliRun run = cli(
        {"Xauto=0", "Yauto=0", "CheckGrid=1", "formOption.OK", "plot=" + file("a.png"),
         "mnuSimulate", "mnuExportPlot=" + file("b.svg"), "mnuExportPlot=" + file("c.pdf"),
         "mnuExportPlot=" + file("d.png"), "PlotWidthMm=85", "PlotHeightMm=60", "PlotDpi=600",
         "mnuExportPlot=" + file("e.png"), "PlotWidthPx=1200", "mnuExportPlot=" + file("f.png")});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(cli({"plot=" + file("blank.png")}).status, 0);
    // The header chunk: width and height as 32-bit big-endian numbers. 900 x 600 = 0x384 x
    // 0x258; 160 x 100 mm at 300 dpi = 1890 x 1181 px (mm / 25.4 * dpi) = 0x762 x 0x49d;
    // 85 x 60 mm at 600 dpi = 2008 x 1417 = 0x7d8 x 0x589; 1200 x 600 px = 0x4b0 x 0x258.
    for (const auto &[name, header] :
         {std::pair{"a.png", std::string("IHDR\0\0\x03\x84\0\0\x02\x58", 12)},
          {"d.png", std::string("IHDR\0\0\x07\x62\0\0\x04\x9d", 12)},
          {"e.png", std::string("IHDR\0\0\x07\xd8\0\0\x05\x89", 12)},
          {"f.png", std::string("IHDR\0\0\x04\xb0\0\0\x02\x58", 12)}}) {
        std::string png = contentOf(file(name));
        ASSERT_GT(png.size(), 24u) << name;
        EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n") << name;
        EXPECT_EQ(png.substr(12, 12), header) << name;
    }
    // A picture never drawn is one flat colour and compresses to far less.
    EXPECT_GT(contentOf(file("a.png")).size(), 2 * contentOf(file("blank.png")).size());
    // Real text in the vector formats: the caption (fixed limits of 1 mA) is a text element of
    // the SVG, 160 mm wide.
    const std::string svg = contentOf(file("b.svg"));
    EXPECT_NE(svg.find(">I /mA</text>"), std::string::npos);
    EXPECT_NE(svg.find("width=\"160."), std::string::npos);
    const std::string pdf = contentOf(file("c.pdf"));
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    // One page of the picture's size in points: 160 x 100 mm = 453.5 x 283.5 pt.
    EXPECT_NE(pdf.find("/MediaBox [0 0 454"), std::string::npos);
}

// After a separation Export All Curves holds the measured curve, the fit and the component
// under their names, one E column and a row per point; the table imports back, a curve chosen
// among its columns. File > Export keeps its two columns without a header.
TEST_F(Cli, ExportAllCurvesAfterAFitHoldsEveryCurveAndImportsBack) {
    CliRun run = cli({"option10=1", "mnuSimulate", "mnuExport=" + file("measured.csv"),
                      "mnuImport=" + file("measured.csv"), "mnuManualSeparate",
                      "mnuExportAll=" + file("all.csv"), "mnuExport=" + file("fit.csv"),
                      "mnuImport=" + file("all.csv"), "FormImport.ListCurve=2", "FormImport.OK",
                      "show=state.pointCount", "show=state.curveCount"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out.ends_with("state.pointCount=242\nstate.curveCount=1\n")) << run.out;
    const std::string table = contentOf(file("all.csv"));
    EXPECT_TRUE(table.starts_with("E /V,measured /A,fit /A,component 1 (A+e=B) /A\n")) << table;
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 1 + 242);
    // The cycle 0.3 -> -0.3 -> 0.3 V in 5 mV steps: 242 points, the first at 0.3 V written with
    // 17 significant digits (the double nearest 0.3 is 0.299999999999999988898).
    EXPECT_NE(table.find("\n0.29999999999999999,"), std::string::npos);
    EXPECT_TRUE(contentOf(file("fit.csv")).starts_with(" 0.3 ,")) << contentOf(file("fit.csv"));
}

// A name that is no picture's keeps what it holds; a folder that does not exist is named.
// (Files that may not be replaced are the ReplaceFile tests': the same rule guards every writer.)
TEST_F(Cli, RefusedPlotFilesAreNamedAndKeepWhatTheyHold) {
    const std::string notes = file("notes.txt"), missing = file("no-such-folder/plot.png");
    std::ofstream(notes) << "the chemist's notes\n";
    for (const auto &[name, reason] :
         {std::pair{notes, "a picture is written only as .png, .svg or .pdf"},
          std::pair{missing, "No such file or directory"}}) {
        CliRun run = cli({"plot=" + name});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "message: Plot Error: Cannot write " + name + ": " + reason + "\n");
    }
    EXPECT_EQ(contentOf(notes), "the chemist's notes\n");
}

// The typed baseline of Find Peak is set with the plot options' controls; its boxes take only
// numbers, and a box that is not one names itself in the message.
TEST_F(Cli, FindPeakTakesTheTypedBaselineRange) {
    CliRun run = cli({"option10=1", "mnuSimulate", "BaseFromText=0.3"});
    EXPECT_EQ(run.status, 2); // hidden while the automatic baseline is ticked
    run = cli({"option10=1", "mnuSimulate", "BaselineAuto=0", "BaseFromText=0.3", "BaseToText=0.2",
               "mnuFindPeak"});
    EXPECT_EQ(run.status, 0) << run.err;
    // The line through 0.3..0.2 V takes in the foot's rise and cuts 8 % off the -8.48e-5 A peak
    // (the automatic baseline, flat, gives -8.45e-5 A).
    EXPECT_NE(run.out.find("Ip (baseline) = -7.7"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Ip rev/Ip fwd (Nicholson) = "), std::string::npos);
    run = cli({"option10=1", "mnuSimulate", "BaselineAuto=0", "BaseToText=x", "mnuFindPeak"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "message: Find Peak Error: to E: \"x\" is not a number\n");
}

TEST_F(Cli, FitResultsAreTakenIntoTheBoxesAndSaved) {
    // A cycle with ks = 0.01 fitted from 0.03: Take Fitted Values types the rounded value into
    // ks(1), which show= reads back, and Save writes the fit beside the experiment.
    const std::string par = file("fit.par");
    CliRun run = cli({"option10=1", "V=0.1", "ks(1)=0.01", "Noise=1", "mnuSimulate", "Noise=0",
                      "ks(1)=0.03", "CheckFitted(1)=0", "CheckFitted(5)=1", "CheckFitted(11)=1",
                      "TextStarts=0", "mnuAutoFit", "mnuTakeFitted", "show=ks(1)", "mnuSave=" + par,
                      "mnuUseAsMeasured", "mnuManualFit"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("converged"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("ks(1)=0.010"), std::string::npos) << run.out;
    // The fit itself as the measured curve: Manual Fit with the taken values matches it to the
    // rounding of the taken values.
    EXPECT_NE(run.out.find("rms residual (A) = "), std::string::npos) << run.out;
    const std::string saved = contentOf(par);
    EXPECT_NE(saved.find("Fit :\nconverged\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Fitted ks(1) :"), std::string::npos);
    run = cli({"mnuTakeFitted"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "message: Take Fitted Values Error: there is no fit to take; run Auto Fit first\n");
}

// Ctrl+C stops the running command as its Stop button does (a square wave at a microdisc of
// 3974 points takes seconds), and the program exits at once with a message and status 130
// instead of running the steps after it. The interrupt is sent only once the program has
// answered its first step, so a slow start on a busy machine cannot outrun the handler.
TEST_F(Cli, CtrlCStopsTheRunningCommandAndEndsTheRun) {
    std::string program = std::string(KEMVO_CLI);
    for (const char *step :
         {"show=state.pointCount", "optTech(5)", "FormTech.CmdOK", "optElectrode(4)",
          "FormExpr.Estep=0.000151", "mnuSimulate", "show=state.pointCount"})
        program.append(" ").append(quoted(step));
    const std::string out = quoted(file("out.txt"));
    const std::string script = program + " >" + out + " 2>" + quoted(file("err.txt")) +
                               " & pid=$!; tries=0; while [ ! -s " + out +
                               " ] && [ $tries -lt 400 ]; do sleep 0.05; tries=$((tries+1)); "
                               "done; sleep 0.3; kill -INT $pid; wait $pid";
    int status = std::system(("sh -c " + quoted(script)).c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_EQ(contentOf(file("err.txt")),
              "message: Simulation stopped: the curves are as they were.\n"
              "stopped by Ctrl+C during mnuSimulate; the steps after it were not run\n");
    // Only the first show= ran: the stopped simulation left no curve and the last step was skipped.
    const std::string shown = contentOf(file("out.txt"));
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 1) << shown;
}

} // namespace

namespace batch {

std::vector<std::string> csvLines(const std::string &text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

std::vector<std::string> fields(const std::string &line) {
    std::vector<std::string> out(1);
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

// The value of `name` in the table of a fit report printed by Auto Fit.
double reportedValue(const std::string &report, const std::string &name) {
    for (const std::string &line : csvLines(report))
        if (line.starts_with(name + " "))
            return std::stod(line.substr(name.size()));
    ADD_FAILURE() << name << " not reported in\n" << report;
    return 0;
}

} // namespace batch

// --batch: three files, one broken. Each good file gives the row that Auto Fit gives on it in
// the window; the broken one a row with its message; the first row is the header.
TEST_F(Cli, BatchFitsEachFileAndReportsABrokenOneInItsRow) {
    for (const char *ks : {"0.01", "0.02"}) {
        const std::string name = file(std::string("cv-") + ks + ".csv");
        CliRun made = cli({"option10=1", "V=0.1", std::string("ks(1)=") + ks, "Noise=1",
                           "mnuSimulate", "mnuExport=" + name});
        ASSERT_EQ(made.status, 0) << made.err;
    }
    std::ofstream(file("broken.csv")) << "potential,current\nnot a number,at all\n";
    const std::vector<std::string> steps = {
        "V=0.1",        "ks(1)=0.03", "CheckFitted(1)=0", "CheckFitted(5)=1", "CheckFitted(11)=1",
        "TextStarts=0", "mnuAutoFit"};
    std::vector<std::string> args = {"--batch",          file("results.csv"), file("cv-0.01.csv"),
                                     file("broken.csv"), file("cv-0.02.csv"), "--"};
    args.insert(args.end(), steps.begin(), steps.end());
    CliRun run = cli(args);
    EXPECT_EQ(run.status, 1) << run.err; // a row holds a failure
    const std::vector<std::string> lines = batch::csvLines(contentOf(file("results.csv")));
    ASSERT_EQ(lines.size(), 4u) << contentOf(file("results.csv"));
    const std::vector<std::string> header = batch::fields(lines[0]);
    const std::vector<std::string> expected = {"file",
                                               "curve",
                                               "status",
                                               "least square",
                                               "rms residual (A)",
                                               "ks(1)",
                                               "ks(1) std. error",
                                               "ks(1) flag",
                                               "E0(1)",
                                               "E0(1) std. error",
                                               "E0(1) flag"};
    EXPECT_EQ(header, expected);
    const std::vector<std::string> broken = batch::fields(lines[2]);
    ASSERT_EQ(broken.size(), 3u);
    EXPECT_EQ(broken[0], "broken.csv");
    EXPECT_TRUE(broken[2].starts_with("ReadData Error: ")) << broken[2];
    for (int row : {1, 3}) {
        const std::vector<std::string> got = batch::fields(lines[static_cast<std::size_t>(row)]);
        ASSERT_EQ(got.size(), header.size());
        SCOPED_TRACE(got[0]);
        EXPECT_EQ(got[2], "converged");
        // The window's Auto Fit on the same file.
        std::vector<std::string> window = {"mnuImport=" + file(got[0])};
        window.insert(window.end(), steps.begin(), steps.end());
        CliRun alone = cli(window);
        ASSERT_EQ(alone.status, 0) << alone.err;
        for (std::size_t column : {5u, 8u}) {
            const double shown = batch::reportedValue(alone.out, header[column]);
            EXPECT_NEAR(std::stod(got[column]), shown, 1e-6 * std::fabs(shown)) << header[column];
        }
    }
    EXPECT_NEAR(std::stod(batch::fields(lines[1])[5]), 0.01, 0.001);
    EXPECT_NEAR(std::stod(batch::fields(lines[3])[5]), 0.02, 0.002);

    // Each cycle of an instrument's file on a row of its own.
    const std::string mpt = std::string(KEMVO_TEST_DATA) + "/import/ec-lab-cv.mpt";
    run = cli({"--batch", file("cycles.csv"), "--curves=cycles", mpt, "--", "CheckFitted(1)=0",
               "CheckFitted(11)=1", "TextStarts=0", "mnuAutoFit"});
    const std::vector<std::string> cycles = batch::csvLines(contentOf(file("cycles.csv")));
    ASSERT_EQ(cycles.size(), 3u) << contentOf(file("cycles.csv")) << run.err;
    EXPECT_EQ(batch::fields(cycles[1])[1], "cycle 1");
    EXPECT_EQ(batch::fields(cycles[2])[1], "cycle 2");

    run = cli({"--batch", file("none.csv"), file("cv-0.01.csv")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "refused: --batch needs -- and the steps after the files\n");
}

// Global Fit from the command line: curves added from the current curve, fitted by the window's
// Auto Fit, the report on standard output and the plot of the window written by globalplot=.
TEST_F(Cli, GlobalFitStepsAndItsPlot) {
    CliRun run = cli({"option10=1", "ks(1)=0.01", "Noise=1", "V=0.1", "mnuSimulate", "mnuGlobalFit",
                      "FormGlobalFit.Add", "V=1", "mnuSimulate", "FormGlobalFit.Add", "Noise=0",
                      "ks(1)=0.03", "CheckFitted(1)=0", "CheckFitted(5)=1", "FormGlobalFit.AutoFit",
                      "globalplot=" + file("g.png"), "show=FormGlobalFit.LabelCurves"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Global fit of 2 curves"), std::string::npos) << run.out;
    EXPECT_TRUE(run.out.ends_with("FormGlobalFit.LabelCurves=2 of at most 8 curves\n")) << run.out;
    EXPECT_TRUE(contentOf(file("g.png")).starts_with("\x89PNG"));
}
