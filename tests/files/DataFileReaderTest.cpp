#include "files/DataFileReader.h"

#include "shell/RuntimeError.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <streambuf>
#include <utility>
#include <vector>

namespace kemvo {
namespace {

using Pairs = std::vector<std::pair<double, double>>;
constexpr int kSlot = 3;

struct Store {
    PointArray potential;
    PointTable<6> curves;
    Pairs pairs(int count) const {
        Pairs read;
        for (int i = 1; i <= count; ++i)
            read.emplace_back(potential(i), curves(i, kSlot));
        return read;
    }
};

int read(const std::string &text, Store &store) {
    std::istringstream in(text);
    return readPairs(in, store.potential, store.curves, kSlot);
}

std::string failureOf(const std::string &text, Store &store) {
    try {
        read(text, store);
    } catch (const RuntimeError &error) {
        return error.what();
    }
    return "(read without an error)";
}

struct Accepted {
    const char *what;
    std::string text;
    Pairs expected;
};

class ReadPairsAccepts : public testing::TestWithParam<Accepted> {};

TEST_P(ReadPairsAccepts, ReadsEveryPair) {
    Store store;
    int count = read(GetParam().text, store);
    EXPECT_EQ(store.pairs(count), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ReadPairsAccepts,
    testing::Values(
        Accepted{
            "exported", " 0.25 , 1.5E-05 \n-0.25 ,-2E-06 \n", {{0.25, 1.5e-5}, {-0.25, -2e-6}}},
        Accepted{"bare comma, no last line end", "0.1,2e-6", {{0.1, 2e-6}}},
        Accepted{"CRLF", "0.1,1\r\n0.2,2\r\n", {{0.1, 1}, {0.2, 2}}},
        Accepted{"lone CR", "0.1,1\r0.2,2", {{0.1, 1}, {0.2, 2}}},
        Accepted{"byte-order mark",
                 "\xEF\xBB\xBF"
                 "0.1,1\n",
                 {{0.1, 1}}},
        Accepted{"trailing commas", "0.1,1,\n0.2,2 , \n0.3,3,", {{0.1, 1}, {0.2, 2}, {0.3, 3}}},
        Accepted{"one item a line", "0.1\n1\n\n0.2\n2\n", {{0.1, 1}, {0.2, 2}}},
        Accepted{"blanks and tabs", "  0.1 1\t0.2\t \t2  ", {{0.1, 1}, {0.2, 2}}},
        Accepted{"number forms", "+3.,-.5\n1E+05,1e-400\n", {{3, -0.5}, {1e5, 0}}},
        Accepted{"subnormal",
                 "4.9E-324,-2.2250738585072014E-308",
                 {{4.9e-324, -2.2250738585072014e-308}}},
        Accepted{"empty", "", {}}, Accepted{"blank lines only", "\n \r\n\t\n", {}},
        Accepted{"byte-order mark only", "\xEF\xBB\xBF", {}}),
    [](const testing::TestParamInfo<Accepted> &param) {
        std::string name;
        for (char c : std::string(param.param.what))
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

struct Rejected {
    std::string text;
    std::string message;
    int pairsLeft; // complete pairs in place after the failure
};

class ReadPairsRejects : public testing::TestWithParam<Rejected> {};

TEST_P(ReadPairsRejects, SaysWhereAndKeepsWhatWasRead) {
    Store store;
    EXPECT_EQ(failureOf(GetParam().text, store), GetParam().message);
    Pairs expected{{0.1, 1}, {0.2, 2}};
    expected.resize(static_cast<std::size_t>(GetParam().pairsLeft));
    EXPECT_EQ(store.pairs(GetParam().pairsLeft), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ReadPairsRejects,
    testing::Values(
        Rejected{"E,I\n0.1,1\n", "line 1, item 1: \"E\" is not a number", 0},
        Rejected{"0.1,1\n0.2,abc\n", "line 2, item 2: \"abc\" is not a number", 1},
        Rejected{"0.1,1\n0.2,2\n0.3;3\n", "line 3, item 1: \"0.3;3\" is not a number", 2},
        Rejected{"0.1,1\n0.2,1.5abc\n", "line 2, item 2: \"1.5abc\" is not a number", 1},
        Rejected{std::string("0.1,1\n0.2,\0\n", 11), "line 2, item 2: \"\\x00\" is not a number",
                 1},
        Rejected{"0.1,1\n,2\n", "line 2, item 1: nothing before the comma", 1},
        Rejected{"0.1,,1\n", "line 1, item 2: nothing between two commas", 0},
        Rejected{"0.1,1\n0.2 , , 2\n", "line 2, item 2: nothing between two commas", 1},
        Rejected{"0.1,1\n0.2,2\n0.3\n",
                 "line 3, item 1: the potential 0.3 has no value after it; the file ends there", 2},
        Rejected{"0.1,1\n1e999,2\n", "line 2, item 1: \"1e999\" is too large", 1},
        Rejected{"0.1,1\n" + std::string(1'000'000, '7') + "x,2\n",
                 "line 2, item 1: \"777777777777777777777777...\" is not a number", 1}));

// Items, line ends and the byte-order mark cut by every chunk boundary read the same.
TEST(ReadPairs, ChunkBoundariesDoNotChangeWhatIsRead) {
    const std::string text = "\xEF\xBB\xBF 0.125 ,-1.5E-05 \r\n0.25,\r\n2e-6 ,\r\n\r0.5\t7\n";
    const Pairs expected{{0.125, -1.5e-5}, {0.25, 2e-6}, {0.5, 7}};
    for (std::size_t chunk = 1; chunk <= 12; ++chunk) {
        Store store;
        std::istringstream in(text);
        int count = readPairs(in, store.potential, store.curves, kSlot, chunk);
        EXPECT_EQ(store.pairs(count), expected) << "chunks of " << chunk;
    }
}

std::string pairLines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += std::to_string(i) + "e-3, " + std::to_string(i) + "e-6\n";
    return text;
}

TEST(ReadPairs, FillsAllFourThousandPoints) {
    Store store;
    ASSERT_EQ(read(pairLines(4000), store), 4000);
    EXPECT_EQ(store.potential(4000), 4.0);
    EXPECT_EQ(store.curves(4000, kSlot), 4000e-6);
}

TEST(ReadPairs, StopsAtTheFourThousandAndFirstPairKeepingTheFirstFourThousand) {
    Store store;
    EXPECT_EQ(failureOf(pairLines(4001), store), "line 4001, item 1: more than 4000 data points");
    EXPECT_EQ(store.potential(4000), 4.0);
    EXPECT_EQ(store.curves(4000, kSlot), 4000e-6);
}

// An endless-looking file served piece by piece, counting what the reader took.
class GeneratedFile : public std::streambuf {
public:
    GeneratedFile(std::string pattern, std::size_t total)
        : pattern_(std::move(pattern)), remaining_(total) {}
    std::size_t served = 0;

protected:
    int_type underflow() override {
        if (remaining_ == 0)
            return traits_type::eof();
        chunk_.clear();
        while (chunk_.size() < 4096 && chunk_.size() < remaining_)
            chunk_ += pattern_;
        chunk_.resize(std::min(chunk_.size(), remaining_));
        remaining_ -= chunk_.size();
        served += chunk_.size();
        setg(chunk_.data(), chunk_.data(), chunk_.data() + chunk_.size());
        return traits_type::to_int_type(chunk_.front());
    }

private:
    std::string pattern_;
    std::string chunk_;
    std::size_t remaining_;
};

constexpr std::size_t k100MB = 100u << 20;

TEST(ReadPairs, HundredMegabytesOfPairsStopAtThe4001stWithoutReadingOn) {
    GeneratedFile file("0.001, 1e-6\n", k100MB);
    std::istream in(&file);
    Store store;
    EXPECT_THROW(readPairs(in, store.potential, store.curves, kSlot), RuntimeError);
    EXPECT_LT(file.served, std::size_t{1} << 20);
}

TEST(ReadPairs, HundredMegabyteLineWithoutSeparatorStopsAtOnce) {
    GeneratedFile file("x", k100MB);
    std::istream in(&file);
    Store store;
    EXPECT_THROW(readPairs(in, store.potential, store.curves, kSlot), RuntimeError);
    EXPECT_LT(file.served, std::size_t{1} << 20);
}

TEST(ReadPairs, HundredMegabytesOfBlankLinesEndWithNoPair) {
    GeneratedFile file(" \r\n", k100MB);
    std::istream in(&file);
    Store store;
    EXPECT_EQ(readPairs(in, store.potential, store.curves, kSlot), 0);
    EXPECT_EQ(file.served, k100MB);
}

TEST(QuoteItem, EscapesControlBytesAndCutsLongItemsBetweenCharacters) {
    EXPECT_EQ(quoteItem(std::string("a\0\x1F\x7F", 4)), "\"a\\x00\\x1F\\x7F\"");
    std::string micro = "\xC2\xB5"; // two bytes; 24 bytes of them hold twelve
    std::string twenty;
    for (int i = 0; i < 20; ++i)
        twenty += micro;
    std::string twelve;
    for (int i = 0; i < 12; ++i)
        twelve += micro;
    EXPECT_EQ(quoteItem(twenty), "\"" + twelve + "...\"");
    EXPECT_EQ(quoteItem("x" + twenty), "\"x" + twelve.substr(0, 22) + "...\"");
}

} // namespace
} // namespace kemvo
