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
    // The cycle's two sweeps, 0 -> 0.6 V in 7 points and back, are split.
    {"ec4-cv.txt", "EC4", 2, 7, 0, 1, 0.1, 2.00151e-7, 0.05, false},
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
    // Gamry's impedance file is refused in ImportCommandTest.
    const Refusal refusals[] = {
        {readRegularFile(sample("ec-lab-peis.mpt")),
         "this EC-Lab file holds Potentio Electrochemical Impedance Spectroscopy, not a "
         "voltammogram"},
        {readRegularFile(sample("chi-impedance.txt")),
         "this CH Instruments file holds A.C. Impedance, not a voltammogram"},
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
        {"EXPLAIN\nTAG\tCV\n", "the Gamry file holds no CURVE table"},
    };
    for (const Refusal &r : refusals)
        EXPECT_EQ(failureOf(r.bytes), r.message) << r.bytes;
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
        {"EC4 File\nE (V)\ti (µA)\n0.1\t1\n0.2\t2.5\n", 0.2, 2.5e-6},
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

// Bytes as a file holds them, written by their values.
std::string bytes(std::initializer_list<unsigned char> values) {
    return {values.begin(), values.end()};
}

TEST(TextDecoding, EncodingsBecomeUtf8WithoutByteOrderMarks) {
    const std::pair<std::string, std::string> cases[] = {
        {bytes({0xFE, 0xFF, 0, 'E', 0, 0xB5, 0, 'A'}), "EµA"},         // UTF-16BE
        {bytes({0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE}), "\U0001F600"},   // a surrogate pair
        {bytes({'E', 0xB5, 'A', ' ', 0x80}), "EµA €"},                 // Windows-1252
        {bytes({0xEF, 0xBB, 0xBF, 'a', 0xEF, 0xBB, 0xBF, 'b'}), "ab"}, // marks, stray ones too
    };
    for (const auto &[encoded, text] : cases)
        EXPECT_EQ(decodeText(encoded), text);
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

// The single sweep and the plain cycle are read through Import Data in ImportCommandTest.
TEST(ImportProgramme, NoisyCyclesKeepTheirFarVertexAndStep) {
    for (int cycles : {1, 2}) {
        SweepProgramme programme = programmeOf({"", noisyCycle(cycles), {}, 0.1});
        EXPECT_EQ(programme.scan, cycles == 1 ? ScanChoice::Cycle : ScanChoice::TwoCycles);
        EXPECT_DOUBLE_EQ(programme.eStart, 0.299); // 0.3 V with the noise of the first point
        EXPECT_DOUBLE_EQ(programme.eEnd, -0.301);
        EXPECT_NEAR(programme.eStep, 0.005, 0.001); // the median spacing ignores the noise
    }
    EXPECT_EQ(sweepStarts(noisyCycle(1)).size(), 2u);
    // A repeated vertex point does not make the median spacing 0.
    EXPECT_EQ(programmeOf({"", {0.5, 0.4, 0.3, 0.3, 0.4}, {}, {}}).eStep, 0.1);
}

} // namespace
} // namespace kemvo
