// What an import does at its limits: line ends of two converters, rows with a decimal comma in a
// file separated by commas, files of more curves than a list can offer, a long import stopped,
// and many sweeps thinned to the store's size. The expected numbers are read off the sample
// files' text or the rows written here.

#include "files/CurveImport.h"
#include "files/FilesFixture.h"
#include "files/FormImport.h"
#include "files/ImportProgramme.h"
#include "files/InstrumentExport.h"
#include "files/TextDecoding.h"
#include "files/TextTable.h"
#include "shell/RuntimeError.h"

#include <cmath>
#include <regex>

namespace kemvo {
namespace {

std::string sample(const std::string &name) {
    return std::string(KEMVO_TEST_DATA) + "/import/" + name;
}

std::string failureOf(const std::string &bytes) {
    try {
        readInstrumentExport(bytes);
    } catch (const RuntimeError &error) {
        return error.what();
    }
    return "(read)";
}

// A file passed through two converters ends each line in CR CR LF; it reads as the file itself
// (the EC-Lab, CH Instruments, Gamry and PSTrace readers once saw an empty line after each).
TEST(ImportLimits, CrCrLfIsOneLineEndInEveryReader) {
    for (const char *name : {"ec-lab-cv.mpt", "chi-cv.txt", "gamry-cv.DTA", "nova-cv.txt",
                             "pstrace-cv.csv", "ec4-cv.txt"}) {
        SCOPED_TRACE(name);
        const std::string text = decodeText(readRegularFile(sample(name)));
        const std::string doubled = std::regex_replace(
            std::regex_replace(text, std::regex("\r\n"), "\n"), std::regex("\n"), "\r\r\n");
        std::optional<MeasuredFile> original = readInstrumentExport(text);
        std::optional<MeasuredFile> converted;
        ASSERT_NO_THROW(converted = readInstrumentExport(doubled));
        ASSERT_TRUE(original && converted);
        ASSERT_EQ(converted->curves.size(), original->curves.size());
        for (std::size_t c = 0; c < original->curves.size(); ++c) {
            EXPECT_EQ(converted->curves[c].potential, original->curves[c].potential);
            EXPECT_EQ(converted->curves[c].current, original->curves[c].current);
        }
    }
    EXPECT_EQ(splitLines("a\r\r\nb\r\rc"), (std::vector<std::string_view>{"a", "b", "", "c"}));
}

// A decimal comma in one row of a file separated by commas splits a number in two: the row is
// refused by its line, not read as another number (-7 A once for the CH Instruments row).
TEST(ImportLimits, ARowOfAnotherFieldCountIsRefusedByItsLine) {
    std::string chi = decodeText(readRegularFile(sample("chi-cv.txt")));
    chi.replace(chi.find("0.150, 7.496e-07"), 16, "0.150, 7,496e-07"); // line 33
    const std::string nova = "Potential applied (V),WE(1).Current (A)\n0.1,1e-6\n0,2,2e-6\n";
    const std::string ps = "Date and time:,2024\nCV\nV,µA\n0.1,1\n0.2,2\n0,3,3\n";
    const std::pair<std::string, std::string> refusals[] = {
        {chi, "line 33 has 3 fields where the file's rows have 2; a decimal comma in a file "
              "separated by commas splits a number"},
        {nova, "line 3 has 3 fields where the file's rows have 2; a decimal comma in a file "
               "separated by commas splits a number"},
        {ps, "line 6 has 3 fields where the file's rows have 2; a decimal comma in a file "
             "separated by commas splits a number"},
    };
    for (const auto &[bytes, message] : refusals)
        EXPECT_EQ(failureOf(bytes), message);
}

// Messages that name what they found: a technique line left empty (it read "this EC-Lab file
// holds , not a voltammogram") and potentials whose span no double holds (a bare "Overflow").
TEST_F(FileCommands, EmptyTechniqueAndHugePotentialsAreNamed) {
    click("mnuImport", folder.withText("empty.mpt", "EC-Lab ASCII FILE\nNb header lines : 5\n\n\n"
                                                    "Ewe/V\tI/mA\n0,1\t1\n0,2\t2\n"));
    click("mnuImport", folder.withText("huge.csv", "1.79e308,1e-6\n-1.79e308,2e-6\n0,3e-6\n"));
    EXPECT_EQ(messages(),
              (std::vector<std::string>{
                  "ReadData Error: this EC-Lab file names no technique where its software writes "
                  "one, so it is not known to hold a voltammogram",
                  "ReadData Error: the potentials run from -1.79E+308 to 1.79E+308 V, farther "
                  "apart than any number can say: no potential programme spans them"}));
    EXPECT_EQ(app.state().pointCount, 0);
}

// Blank lines are skipped wherever they stand and keep the line numbers of what follows.
TEST(ImportLimits, LinesSkipBlankLinesAndKeepTheirNumbers) {
    const std::string text = "a\n\n\n\nb\r\r\nc";
    TextLines lines(text);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "a");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[4], "b");
    EXPECT_EQ(lines[5], "c");
    EXPECT_EQ(lines.nextNonEmpty(1), 4u);
    EXPECT_EQ(lines.nextNonEmpty(6), 6u);
    EXPECT_EQ(lines.rowsBetween(0, 6), 3u);
    // Read backwards after forwards: the remembered place does not mislead a lookup.
    EXPECT_EQ(lines[0], "a");
    EXPECT_EQ(failureOf("EC4 File\n\n\n\nE (V)\ti (A)\n\n0.1\t1\n\n0.2\tx\n"),
              "line 9, column \"i (A)\": \"x\" is not a number");
}

std::string novaOfScans(std::size_t scans) {
    std::string text = "Potential applied (V);WE(1).Current (A);Scan\n";
    for (std::size_t s = 1; s <= scans; ++s)
        text += "0,1;1E-6;" + std::to_string(s) + "\n0,2;2E-6;" + std::to_string(s) + "\n";
    return text;
}

class ImportAtLimits : public FileCommands {
protected:
    FormImport &chooser() { return app.form<FormImport>(); }
};

// A NOVA file whose Scan changes every other row once offered millions of curves; the list
// stops at kMaxCurves and says how many it left out.
TEST_F(ImportAtLimits, TheCurveListIsCappedWithAMessage) {
    click("mnuImport", folder.withText("scans.txt", novaOfScans(kMaxCurves + 7)));
    ASSERT_TRUE(chooser().visible());
    EXPECT_EQ(chooser().ListCurve.items().size(), kMaxCurves + 1); // and "all, concatenated"
    EXPECT_EQ(chooser().LabelFile.caption(),
              "NOVA file: 10000 curves; 7 more are left out, since at most 10000 are listed");
    EXPECT_TRUE(messages().empty());
}

// A stop during the reading ends the import with nothing changed.
TEST_F(ImportAtLimits, ALongImportShowsProgressAndStops) {
    const std::string file = folder.withText("long.txt", novaOfScans(40000));
    headless.progress.stopAtPoll = 2;
    click("mnuImport", file);
    EXPECT_EQ(messages(),
              (std::vector<std::string>{"Import stopped: the curves are as they were."}));
    EXPECT_EQ(headless.progress.runs, 1);
    EXPECT_FALSE(chooser().visible());
    EXPECT_EQ(app.state().pointCount, 0);

    headless.progress.stopAtPoll = -1;
    headless.messages.shown.clear();
    click("mnuImport", file);
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(chooser().visible());
    EXPECT_GT(headless.progress.polls, 4); // 80000 rows: polled as they are read
}

// Cycles 0.3 -> -0.3 -> 0.3 V of `points` points each.
MeasuredCurve cycles(int count, int points) {
    MeasuredCurve curve{"all, concatenated", {}, {}, 0.1};
    for (int c = 0; c < count; ++c)
        for (int k = 0; k < points; ++k) {
            double half = points / 2.0;
            double e = k < half ? 0.3 - 0.6 * k / half : -0.3 + 0.6 * (k - half) / half;
            curve.potential.push_back(e);
            curve.current.push_back(1e-6 * e);
        }
    return curve;
}

// Thinning "all, concatenated" keeps every vertex: each sweep keeps its ends; a file of so many
// cycles that a sweep would keep fewer than 20 points is refused, and the window stays open to
// choose a cycle.
TEST_F(ImportAtLimits, ThinningKeepsEverySweepsVerticesOrRefuses) {
    std::size_t every = 0;
    // 5 cycles of 2000 points, vertices at -0.3 V (k = 1000) and 0.3 V (end of each cycle).
    MeasuredCurve kept = thinned(cycles(5, 2000), 4000, every);
    EXPECT_LE(kept.potential.size(), 4000u);
    // 10 sweeps of about 1000 points: every 2nd point and the vertices make about 5010 points,
    // every 3rd about 3350.
    EXPECT_EQ(every, 3u);
    EXPECT_EQ(std::count(kept.potential.begin(), kept.potential.end(), -0.3), 5); // each vertex
    EXPECT_EQ(std::count(kept.potential.begin(), kept.potential.end(), 0.3), 5);
    EXPECT_EQ(sweepCount(kept.potential), 10u);

    std::string message;
    try {
        thinned(cycles(300, 100), 4000, every); // 600 sweeps of 50 points
    } catch (const RuntimeError &error) {
        message = error.what();
    }
    EXPECT_EQ(message, "the curve holds 30000 points in 600 sweeps; thinned to 4000 points a "
                       "sweep would keep fewer than 20 points, so that its peaks would be lost. "
                       "Choose one cycle or a few of them instead");

    std::string rows;
    MeasuredCurve many = cycles(300, 100);
    for (std::size_t i = 0; i < many.potential.size(); ++i)
        rows += std::to_string(many.potential[i]) + ";1E-6;" + std::to_string(i / 100 + 1) + "\n";
    std::replace(rows.begin(), rows.end(), '.', ','); // NOVA's decimal comma
    click("mnuImport",
          folder.withText("cycles.txt", "Potential applied (V);WE(1).Current (A);Scan\n" + rows));
    ASSERT_TRUE(chooser().visible()) << (messages().empty() ? "" : messages()[0]);
    chooser().ListCurve.setListIndex(300); // all, concatenated
    chooser().OK.click();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "ReadData Error: " + message);
    EXPECT_TRUE(chooser().visible());
    EXPECT_EQ(app.state().pointCount, 0);
}

} // namespace
} // namespace kemvo
