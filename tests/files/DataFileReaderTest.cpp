#include "files/DataFileReader.h"

#include "shell/RuntimeError.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace kemvo {
namespace {

using Pairs = std::vector<std::pair<double, double>>;
constexpr int kSlot = 3;

// Reads the text into curve kSlot; the pairs in place and the error, if any.
struct Reading {
    explicit Reading(const std::string &text, std::size_t chunk = DataItemReader::kChunkSize) {
        std::istringstream in(text);
        try {
            count = readPairs(in, potential, curves, kSlot, chunk);
        } catch (const RuntimeError &error) {
            failure = error.what();
        }
    }
    Pairs pairs(int n) const {
        Pairs read;
        for (int i = 1; i <= n; ++i)
            read.emplace_back(potential(i), curves(i, kSlot));
        return read;
    }
    PointArray potential;
    PointTable<6> curves;
    int count = 0;
    std::string failure;
};

TEST(ReadPairs, AcceptsTheLayoutsFilesComeIn) {
    struct Accepted {
        const char *what;
        std::string text;
        Pairs expected;
    };
    const Accepted cases[] = {
        {"exported", " 0.25 , 1.5E-05 \n-0.25 ,-2E-06 \n", {{0.25, 1.5e-5}, {-0.25, -2e-6}}},
        {"single pair, no line end", "0.1,2e-6", {{0.1, 2e-6}}},
        {"CRLF", "0.1,1\r\n0.2,2\r\n", {{0.1, 1}, {0.2, 2}}},
        {"lone CR", "0.1,1\r0.2,2", {{0.1, 1}, {0.2, 2}}},
        {"CR CR LF", "0.1,1\r\r\n0.2,2\r\r\n", {{0.1, 1}, {0.2, 2}}},
        {"byte-order mark", std::string("\xEF\xBB\xBF") + "0.1,1\n", {{0.1, 1}}},
        {"trailing commas", "0.1,1,\n0.2,2 , \n0.3,3,", {{0.1, 1}, {0.2, 2}, {0.3, 3}}},
        {"one item a line", "0.1\n1\n\n0.2\n2\n", {{0.1, 1}, {0.2, 2}}},
        {"blanks and tabs", "  0.1 1\t0.2\t \t2  ", {{0.1, 1}, {0.2, 2}}},
        {"number forms", "+3.,-.5\n1E+05,1e-400\n", {{3, -0.5}, {1e5, 0}}},
        {"empty", "", {}},
        {"byte-order mark and blank lines only", "\xEF\xBB\xBF\n \r\n\t\n", {}}};
    for (const Accepted &c : cases) {
        Reading r(c.text);
        EXPECT_EQ(r.failure, "") << c.what;
        EXPECT_EQ(r.pairs(r.count), c.expected) << c.what;
    }
}

TEST(ReadPairs, RejectsSayingWhereAndKeepsThePairsBefore) {
    struct Rejected {
        std::string text, message;
        int pairsLeft; // of 0.1,1 and 0.2,2
    };
    const Rejected cases[] = {
        {"E,I\n0.1,1\n", "line 1, item 1: \"E\" is not a number", 0},
        {"0.1,1\n0.2,abc\n", "line 2, item 2: \"abc\" is not a number", 1},
        {"0.1,1\n0.2,2\n0.3;3\n", "line 3, item 1: \"0.3;3\" is not a number", 2},
        // A CRLF is one line end, a lone CR too: the fault is on line 3 either way.
        {"0.1,1\r\n0.2,2\r\n0.3;3\r\n", "line 3, item 1: \"0.3;3\" is not a number", 2},
        {"0.1,1\r0.2,2\r0.3;3\r", "line 3, item 1: \"0.3;3\" is not a number", 2},
        {"0.1,1\r\r\n0.2,2\r\r\n0.3;3\r\r\n", "line 3, item 1: \"0.3;3\" is not a number", 2},
        {std::string("0.1,1\n0.2,\0\n", 11), "line 2, item 2: \"\\x00\" is not a number", 1},
        {"0.1,1\n,2\n", "line 2, item 1: nothing before the comma", 1},
        {"0.1,1\n0.2 , , 2\n", "line 2, item 2: nothing between two commas", 1},
        {"0.1\n1\n0.2\n2\n0.3\n",
         "line 5, item 1: the potential 0.3 has no value after it; the file ends there", 2},
        // A line of more or fewer numbers than the others is refused, not paired across lines:
        // a decimal comma turns "0.2,2,5" into three numbers.
        {"0.1,1\n0.2,2\n0,3,3\n0.4,4\n",
         "line 3 holds 3 numbers where the lines before it hold 2 (a decimal comma splits a "
         "number in two)",
         2},
        {"0.1,1\n0.2,2\n0.3\n",
         "line 3 holds 1 numbers where the lines before it hold 2 (a decimal comma splits a "
         "number in two)",
         2},
        {"0.1,1\n1e999,2\n", "line 2, item 1: \"1e999\" is too large", 1},
        {"0.1,1\n" + std::string(1'000'000, '7') + "x,2\n",
         "line 2, item 1: \"777777777777777777777777...\" is not a number", 1}};
    for (const Rejected &c : cases) {
        Reading r(c.text);
        EXPECT_EQ(r.failure, c.message);
        Pairs expected{{0.1, 1}, {0.2, 2}};
        expected.resize(static_cast<std::size_t>(c.pairsLeft));
        EXPECT_EQ(r.pairs(c.pairsLeft), expected) << c.message;
    }
}

// Items, line ends and the byte-order mark cut by every chunk boundary read the same.
TEST(ReadPairs, ChunkBoundariesDoNotChangeWhatIsRead) {
    const std::string text = "\xEF\xBB\xBF 0.125 ,-1.5E-05 \r\n0.25,2e-6 ,\r\r\n\r0.5\t7\n";
    for (std::size_t chunk = 1; chunk <= 12; ++chunk) {
        Reading r(text, chunk);
        EXPECT_EQ(r.pairs(r.count), (Pairs{{0.125, -1.5e-5}, {0.25, 2e-6}, {0.5, 7}})) << chunk;
    }
}

TEST(QuoteItem, EscapesControlBytesAndCutsLongItemsBetweenCharacters) {
    EXPECT_EQ(quoteItem(std::string("a\0\x1F\x7F", 4)), "\"a\\x00\\x1F\\x7F\"");
    std::string twelve; // "µ" is two bytes: 24 bytes of them hold twelve
    for (int i = 0; i < 12; ++i)
        twelve += "\xC2\xB5";
    const std::string twenty = twelve + twelve.substr(0, 16);
    EXPECT_EQ(quoteItem(twenty), "\"" + twelve + "...\"");
    EXPECT_EQ(quoteItem("x" + twenty), "\"x" + twelve.substr(0, 22) + "...\"");
    // Escapes count against the limit, so a title of control bytes cannot swell a message to
    // four times its share (the import fuzzer found a 407-byte message of such titles).
    EXPECT_EQ(shownText(std::string(40, '\0'), 12), "\\x00\\x00\\x00...");
}

} // namespace
} // namespace kemvo
