// The instrument exports read by content: the sample files of tests/data/import (written after
// the published descriptions of each format, see its README) and variants built here. Every
// expected number is read off the sample file's text by hand and converted to V and A.

#include "files/CurveImport.h"
#include "files/ImportProgramme.h"
#include "files/InstrumentExport.h"
#include "files/TextDecoding.h"
#include "files/TextTable.h"
#include "shell/RuntimeError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

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
    return "";
}

struct SampleCase {
    const char *file;
    const char *format;
    std::size_t curves;
    std::size_t firstCurvePoints;
    std::size_t curve, point; // a point of the data read off the file: curve and index from 0
    double potential;         // [V]
    double current;           // [A] with the file's sign
    double scanRate;          // [V/s]; 0 where the file gives none
    bool reductionPositive;
};

// The scan rates come from the header (CH Instruments 0.1 V/s, Gamry 50 mV/s) or from the time
// axis: EC-Lab 0.05 V per 2.5 s, NOVA 0.05 V per 0.5 s, EC4 0.1 V per 2 s.
const SampleCase kSamples[] = {
    // Line 32: Ewe 1,0E-001 V, <I> 2,00151E-004 mA, cycle 2 (decimal comma, Windows-1252, CRLF).
    {"ec-lab-cv.mpt", "EC-Lab", 2, 17, 1, 2, 0.1, 2.00151e-7, 0.02, false},
    // Line 27: "0.450, -7.999e-06"; the first segment runs 0.5 -> -0.1 V in 13 points.
    {"chi-cv.txt", "CH Instruments", 2, 13, 0, 1, 0.45, -7.999e-6, 0.1, true},
    // CURVE2, Pt 1: Vf -1,5E-001 V, Im 1,2E-011 A; WE2CURVE is not a curve of the working
    // electrode.
    {"gamry-cv.DTA", "Gamry", 2, 21, 1, 1, -0.15, 1.2e-11, 0.05, false},
    // Line 3: the applied potential -0,05 V (not the measured -0,0496 V), 5,96E-010 A.
    {"nova-cv.txt", "NOVA", 2, 21, 0, 1, -0.05, 5.96e-10, 0.1, false},
    // UTF-16LE: scan 2, third row "0.200,5.00000" in µA; scan 2 ends after six rows.
    {"pstrace-cv.csv", "PSTrace", 2, 9, 1, 2, 0.2, 5e-6, 0, false},
    // Line 8: "2.0  0.1000  2.001510e-07"; a stray byte-order mark on line 2, no last line end.
    {"ec4-cv.txt", "EC4", 1, 13, 0, 1, 0.1, 2.00151e-7, 0.05, false},
};

TEST(InstrumentExports, SamplesReadInVoltsAndAmperesWithTheirCurves) {
    for (const SampleCase &c : kSamples) {
        SCOPED_TRACE(c.file);
        MeasuredFile file = readImportFile(sample(c.file));
        EXPECT_EQ(file.format, c.format);
        ASSERT_EQ(file.curves.size(), c.curves);
        EXPECT_EQ(file.curves[0].potential.size(), c.firstCurvePoints);
        const MeasuredCurve &curve = file.curves[c.curve];
        // The numbers are decimal texts converted once and scaled once: a few ulps at most.
        EXPECT_NEAR(curve.potential[c.point], c.potential, 1e-15);
        EXPECT_NEAR(curve.current[c.point], c.current, std::fabs(c.current) * 1e-14);
        if (c.scanRate > 0)
            EXPECT_NEAR(curve.scanRate.value_or(0), c.scanRate, c.scanRate * 1e-12);
        else
            EXPECT_FALSE(curve.scanRate);
        EXPECT_EQ(file.reductionPositive, c.reductionPositive);
    }
    EXPECT_EQ(readImportFile(sample("pstrace-cv.csv")).curves[1].potential.size(), 6u);
}

TEST(InstrumentExports, NonVoltammetricAndUnusableFilesAreRefusedWithTheReason) {
    struct Refusal {
        std::string bytes, message;
    };
    const std::string ecLabHead = "EC-Lab ASCII FILE\nNb header lines : 5\n\nCyclic Voltammetry\n";
    const Refusal refusals[] = {
        {readRegularFile(sample("ec-lab-peis.mpt")),
         "this EC-Lab file holds Potentio Electrochemical Impedance Spectroscopy, not a "
         "voltammogram"},
        {readRegularFile(sample("chi-impedance.txt")),
         "this CH Instruments file holds A.C. Impedance, not a voltammogram"},
        {readRegularFile(sample("gamry-eis.DTA")),
         "this Gamry file holds EISPOT, not a voltammogram"},
        {readRegularFile(sample("pstrace-eis.csv")),
         "this PSTrace file holds impedance spectroscopy, not a voltammogram"},
        {ecLabHead + "time/s\tcontrol/V\tI/mA\t\n1\t0,1\t2\t\n",
         "no usable potential and current columns; the columns found are \"time/s\", "
         "\"control/V\", \"I/mA\""},
        {ecLabHead + "Ewe/V\tI/mA\t\n0,1\t2\n0,2\tabc\n",
         "line 7, column \"I/mA\": \"abc\" is not a number"},
        {ecLabHead + "Ewe/V\tI/mA\t\n0,1\n",
         "line 6, column \"I/mA\": \"\" is empty, not a number"},
        {"EC-Lab ASCII FILE\nNb header lines : 90\n",
         "the EC-Lab file names 90 header lines but has 2 lines"},
        {"Potential applied (V),Time (s)\n0.1,0\n",
         "no usable potential and current columns; the columns found are \"Potential applied "
         "(V)\", \"Time (s)\""},
        {"EXPLAIN\nTAG\tCV\n", "the Gamry file holds no CURVE table"},
    };
    for (const Refusal &r : refusals)
        EXPECT_EQ(failureOf(r.bytes), r.message) << r.bytes;
}

TEST(InstrumentExports, BareFilesAreNotTakenForAnInstrumentsExport) {
    for (const char *bare : {"", "0.1,1e-6\n0.2,2e-6\n", "E,I\n", "\xEF\xBB\xBF 0.5 , 1E-06 \n"})
        EXPECT_FALSE(readInstrumentExport(bare)) << bare;
}

TEST(InstrumentExports, SeparatorsDecimalCommaAndUnitsOfTheTitles) {
    struct Variant {
        std::string bytes;
        double potential, current; // [V], [A] of the second row
    };
    const Variant variants[] = {
        {"Potential applied (V),WE(1).Current (A)\n0.1,1e-6\n0.2,2.5e-6\n", 0.2, 2.5e-6},
        {"Potential applied (V)\tWE(1).Current (A)\n0,1\t1e-6\n0,2\t2,5e-6\n", 0.2, 2.5e-6},
        {"EC4 File\nTime (s)\tE (mV)\ti (nA)\n0\t100\t1\n1\t200\t2.5\n", 0.2, 2.5e-9},
        {"EC4 File\nE (V)\ti (\xCE\xBC"
         "A)\n0.1\t1\n0.2\t2.5\n",
         0.2, 2.5e-6},
        {"EC4 File\nE (V)\ti (uA)\n0.1\t1\n0.2\t2.5\n", 0.2, 2.5e-6},
        {"EC4 File\nE (V)\ti (pA)\r\n0.1\t1\r\n0.2\t2.5", 0.2, 2.5e-12},
        {"EC-Lab ASCII FILE\r\nNb header lines : 5\r\n\r\nLinear Sweep Voltammetry\r\n"
         "Ewe/V\t<I>/mA\t\r\n0,1\t1\t\r\n0,2\t2,5\t\r\n",
         0.2, 2.5e-3},
    };
    for (const Variant &v : variants) {
        std::optional<MeasuredFile> file = readInstrumentExport(v.bytes);
        ASSERT_TRUE(file) << v.bytes;
        ASSERT_EQ(file->curves.size(), 1u) << v.bytes;
        EXPECT_NEAR(file->curves[0].potential[1], v.potential, 1e-15) << v.bytes;
        EXPECT_NEAR(file->curves[0].current[1], v.current, v.current * 1e-14) << v.bytes;
    }
}

TEST(TextDecoding, EncodingsBecomeUtf8WithoutByteOrderMarks) {
    const std::pair<std::string, std::string> cases[] = {
        {std::string("\xFF\xFE"
                     "E\0\xB5\0A\0",
                     8),
         "E\xC2\xB5"
         "A"}, // UTF-16LE
        {std::string("\xFE\xFF\0E\0\xB5\0A", 8), "E\xC2\xB5"
                                                 "A"}, // UTF-16BE
        {std::string("\xFF\xFE"
                     "=\xD8\0\xDE",
                     6),
         "\xF0\x9F\x98\x80"}, // a surrogate pair
        {"E\xB5"
         "A \xB0"
         "C",
         "E\xC2\xB5"
         "A \xC2\xB0"
         "C"},                    // Windows-1252
        {"\x80", "\xE2\x82\xAC"}, // the euro sign
        {"\xEF\xBB\xBF"
         "a\xEF\xBB\xBF"
         "b",
         "ab"}, // marks, also stray ones
        {"\xC2\xB5"
         "A",
         "\xC2\xB5"
         "A"}, // UTF-8 as it is
    };
    for (const auto &[bytes, text] : cases)
        EXPECT_EQ(decodeText(bytes), text);
    EXPECT_EQ(splitLines("a\r\nb\rc\n\nd"),
              (std::vector<std::string_view>{"a", "b", "c", "", "d"}));
}

// A cyclic axis 0.3 -> -0.3 -> 0.3 V in 5 mV steps with a measured potential's noise of
// +-1 mV: two sweeps, whatever the noise does near the vertex.
std::vector<double> noisyCycle(int cycles) {
    std::vector<double> e;
    for (int c = 0; c < cycles; ++c)
        for (int k = 0; k < 240; ++k) {
            double ideal = k <= 120 ? 0.3 - 0.005 * k : -0.3 + 0.005 * (k - 120);
            e.push_back(ideal + 0.001 * ((k * 7) % 3 - 1));
        }
    return e;
}

TEST(ImportProgramme, VerticesGiveTheScanChoiceAndTheFarVertexTheEndPotential) {
    struct Case {
        std::vector<double> potential;
        ScanChoice scan;
        double eEnd;
    };
    const Case cases[] = {
        {{-0.3, -0.2, -0.1, 0.0, 0.1}, ScanChoice::Single, 0.1},
        {{0.5, 0.4, 0.3, 0.4, 0.5}, ScanChoice::Cycle, 0.3},
        {noisyCycle(1), ScanChoice::Cycle, -0.301},
        {noisyCycle(2), ScanChoice::TwoCycles, -0.301},
    };
    for (const Case &c : cases) {
        SweepProgramme programme = programmeOf({"", c.potential, {}, 0.1});
        EXPECT_EQ(programme.scan, c.scan);
        EXPECT_DOUBLE_EQ(programme.eEnd, c.eEnd);
        EXPECT_DOUBLE_EQ(programme.eStart, c.potential.front());
        EXPECT_EQ(programme.scanRate, 0.1);
    }
    // The median spacing ignores a repeated vertex point and the noise: 0.1 V, 5 mV.
    EXPECT_EQ(programmeOf({"", {0.5, 0.4, 0.3, 0.3, 0.4}, {}, {}}).eStep, 0.1);
    EXPECT_NEAR(programmeOf({"", noisyCycle(1), {}, {}}).eStep, 0.005, 0.001);
    EXPECT_EQ(sweepStarts(noisyCycle(1)).size(), 2u);
}

TEST(ImportProgramme, ThinningKeepsEveryKthPointWithinTheStore) {
    struct Case {
        std::size_t total, kept, every;
        std::string note;
    };
    const Case cases[] = {{12000, 4000, 3, "12000 points thinned to 4000, every 3rd kept"},
                          {4001, 2001, 2, "4001 points thinned to 2001, every 2nd kept"},
                          {84000, 4000, 21, "84000 points thinned to 4000, every 21st kept"},
                          {44001, 3667, 12, "44001 points thinned to 3667, every 12th kept"}};
    for (const Case &c : cases) {
        MeasuredCurve curve{"", std::vector<double>(c.total), std::vector<double>(c.total), {}};
        for (std::size_t i = 0; i < c.total; ++i)
            curve.potential[i] = static_cast<double>(i);
        std::size_t every = 0;
        MeasuredCurve kept = thinned(curve, 4000, every);
        EXPECT_EQ(every, c.every);
        ASSERT_EQ(kept.potential.size(), c.kept);
        EXPECT_EQ(kept.potential[1], static_cast<double>(c.every));
        EXPECT_EQ(thinningNote(c.total, c.kept, c.every), c.note);
    }
}

} // namespace
} // namespace kemvo
