// Peak memory of Import Data's reading on the two hostile files that once took gigabytes: an
// EC4 file of blank lines after its first line, and a NOVA file whose Scan number changes every
// other row (a curve per two rows). Every allocation of this program is counted, so the peak
// is that of the reading itself; the bound is a ratio to the file's size, since the reading
// must hold the file's bytes once and the numbers it keeps, and nothing per blank line or per
// curve beyond the ones listed.

#include "files/CurveImport.h"
#include "files/TextTable.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <new>
#include <string>
#include <unistd.h>

namespace {

std::atomic<std::size_t> inUse{0};
std::atomic<std::size_t> peak{0};

void *counted(std::size_t size) {
    void *block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr)
        throw std::bad_alloc();
    std::size_t now = inUse += malloc_usable_size(block);
    for (std::size_t seen = peak; now > seen && !peak.compare_exchange_weak(seen, now);) {
    }
    return block;
}

void released(void *block) {
    if (block == nullptr)
        return;
    inUse -= malloc_usable_size(block);
    std::free(block);
}

} // namespace

void *operator new(std::size_t size) {
    return counted(size);
}
void *operator new[](std::size_t size) {
    return counted(size);
}
void operator delete(void *block) noexcept {
    released(block);
}
void operator delete[](void *block) noexcept {
    released(block);
}
void operator delete(void *block, std::size_t) noexcept {
    released(block);
}
void operator delete[](void *block, std::size_t) noexcept {
    released(block);
}

namespace kemvo {
namespace {

// 8 MB: large beside every fixed allocation of the reading, small for a test.
constexpr std::size_t kFileBytes = 8 * 1024 * 1024;
// The file's bytes once, the numbers kept (at most 32 bytes for a NOVA row of 45 bytes) and
// the line index (8 bytes a row); the former reading took 16 bytes per blank line (16 times an
// EC4 file of blank lines) and some 250 bytes per curve (over 5 times the NOVA file).
constexpr double kMostPerFileByte = 3;

struct PeakOfReading {
    std::size_t fileBytes = 0;
    std::size_t peakBytes = 0;
    std::size_t curves = 0;
    std::size_t omitted = 0;
};

PeakOfReading readWithPeak(const std::string &name, const std::string &text) {
    const std::string file =
        (std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid())))
            .string();
    std::ofstream(file, std::ios::binary) << text;
    PeakOfReading result;
    result.fileBytes = text.size();
    {
        const std::size_t before = inUse;
        peak = before;
        MeasuredFile read = readImportFile(file);
        result.peakBytes = peak - before;
        result.curves = read.curves.size();
        result.omitted = read.omittedCurves;
    }
    std::filesystem::remove(file);
    return result;
}

TEST(ImportMemory, BlankLinesAndManyCurvesStayWithinAFewTimesTheFile) {
    std::string ec4 = "EC4 File used by Nordic Electrochemistry Aps\n";
    ec4.append(kFileBytes, '\n');
    ec4 += "E (V)\ti (A)\n0.1\t1e-6\n0.2\t2e-6\n";

    // NOVA's layout with a decimal comma: 45 bytes a row, the scan number new every two rows.
    std::string nova = "Potential applied (V);Time (s);WE(1).Current (A);WE(1).Potential "
                       "(V);Scan\n";
    for (std::size_t row = 0; nova.size() < kFileBytes; ++row)
        nova += (row % 2 == 0 ? "0,0500000;" : "0,0600000;") + std::string("0,2450000;") +
                "5,96E-010;-0,0496000;" + std::to_string(row / 2 + 1) + "\n";

    for (const auto &[name, text] :
         {std::pair{"blank-lines.txt", &ec4}, std::pair{"many-scans.txt", &nova}}) {
        SCOPED_TRACE(name);
        PeakOfReading read = readWithPeak(name, *text);
        EXPECT_LE(static_cast<double>(read.peakBytes),
                  kMostPerFileByte * static_cast<double>(read.fileBytes))
            << read.peakBytes << " bytes at the peak for a file of " << read.fileBytes;
        if (text == &nova) {
            EXPECT_EQ(read.curves, kMaxCurves);
            EXPECT_GT(read.omitted, 0u);
        }
    }
}

} // namespace
} // namespace kemvo
