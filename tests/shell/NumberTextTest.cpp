#include "shell/NumberText.h"
#include "shell/ReportLine.h"
#include "shell/RuntimeError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace kemvo;

TEST(LeadingValue, TakesTheLongestLeadingNumber) {
    struct Case {
        const char *text;
        double value;
    };
    // Hand-read values: what a chemist typing into a box expects the program to take.
    const Case cases[] = {
        {"0.3", 0.3},   {"  -0.005", -0.005}, {"1e-3", 1e-3}, {"1E+4", 1e4},
        {"2.5 V", 2.5}, {"1.2.3", 1.2},       {".5", 0.5},    {"+2", 2},
        {"1e", 1},      {"1e-", 1},           {"7-", 7},      {"abc", 0},
        {"", 0},        {" - 3", 0},          {"\t25", 25},   {"1e-400", 0},
    };
    for (const Case &c : cases)
        EXPECT_DOUBLE_EQ(leadingValue(c.text), c.value) << '"' << c.text << '"';
    EXPECT_THROW(leadingValue("1e999"), RuntimeError); // an overflow, not infinity
}

TEST(StrictValue, AcceptsOnlyAWholeNumber) {
    EXPECT_DOUBLE_EQ(strictValue(" 2.5 "), 2.5);
    EXPECT_DOUBLE_EQ(strictValue("-0.005"), -0.005);
    for (const char *bad : {"", "abc", "2.5x", "1,5", "--1"}) {
        EXPECT_FALSE(isNumber(bad)) << bad;
        EXPECT_THROW(strictValue(bad), RuntimeError) << bad;
    }
}

TEST(RoundToInt16, RoundsHalfToEvenWithinSixteenBits) {
    EXPECT_EQ(roundToInt16(2.5), 2);
    EXPECT_EQ(roundToInt16(3.5), 4);
    EXPECT_EQ(roundToInt16(-2.5), -2);
    EXPECT_EQ(roundToInt16(120.4999), 120);
    EXPECT_EQ(roundToInt16(32767.4), 32767);
    EXPECT_EQ(roundToInt16(-32768.0), -32768);
    EXPECT_THROW(roundToInt16(32767.5), RuntimeError);
    EXPECT_THROW(roundToInt16(NAN), RuntimeError);
    EXPECT_THROW(roundToInt16(INFINITY), RuntimeError);
}

TEST(FormatNumber, DisplayFormatsOfTheWindows) {
    struct Case {
        double value;
        const char *pattern;
        const char *text;
    };
    const Case cases[] = {
        {4e-6, "0.#E-0", "4E-6"},      // plot label: no bare point
        {-3.04e-3, "0.#E-0", "-3E-3"}, // one decimal, the zero dropped
        {0.36, "0.#E-0", "3.6E-1"},
        {1.00004, "0.##e-0", "1e0"}, // area of a sphere of radius 0.2821
        {12.566, "0.##e-0", "1.26e1"},
        {4.1588e-7, "0.###e-#", "4.159e-7"}, // initial concentration
        {9.99996, "0.###e-#", "1e1"},        // rounding carries into the exponent
        {1000, "#.###e-#", "1e3"},           // equilibrium constant 10/0.01
        {0.5, "#.###e-#", "5e-1"},
        {0, "0.###e-#", "0e0"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(formatNumber(c.value, c.pattern), c.text) << c.value << ' ' << c.pattern;
}

TEST(GeneralNumber, ReadableAndReadsBackExactly) {
    EXPECT_EQ(generalNumber(298.14), "298.14");
    EXPECT_EQ(generalNumber(1.5e-5), "1.5E-05");
    EXPECT_EQ(signedField(0.25), " 0.25");

    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-300, 300);
    for (int i = 0; i < 2000; ++i) {
        double value = mantissa(random) * std::pow(10.0, exponent(random));
        EXPECT_EQ(strictValue(generalNumber(value)), value) << generalNumber(value);
    }
}

// Report lines print numbers as the windows do: a sign place and a trailing blank.
TEST(ReportLine, JoinsDirectlyOrAtTheNextPrintZone) {
    EXPECT_EQ(ReportLine().text("Curve Number is ").number(1).str(), "Curve Number is  1 ");
    EXPECT_EQ(ReportLine().text("No.").nextZone().text("x").str(), "No.           x");
    // A text that fills a zone exactly moves on to the zone after.
    EXPECT_EQ(ReportLine().text(std::string(14, 'a')).nextZone().str().size(), 28u);
    EXPECT_EQ(ReportLine().nextZone().str().size(), 14u);
    EXPECT_EQ(ReportLine().number(-2.5).str(), "-2.5 ");
}
