// libFuzzer target for the data-file reader. Any input must end in pairs or in a short,
// precise message; what was read must export and read back to the same doubles; and the size
// of the chunks the file is taken in must not change the outcome.

#include "files/DataFileReader.h"
#include "files/DataFileWriter.h"
#include "shell/RuntimeError.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

namespace {

using namespace kemvo;

constexpr int kSlot = 2;
constexpr std::size_t kLongestMessage = 160;

struct Outcome {
    int count = -1;
    std::string error;
};

Outcome readAll(const std::string &text, CurveStore &store, std::size_t chunkSize) {
    std::istringstream in(text);
    Outcome outcome;
    try {
        outcome.count = readPairs(in, store.potential, store.curves, kSlot, chunkSize);
    } catch (const RuntimeError &error) {
        outcome.error = error.what();
    }
    return outcome;
}

void require(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static auto first = std::make_unique<CurveStore>();
    static auto second = std::make_unique<CurveStore>();
    const std::string text(reinterpret_cast<const char *>(data), size);

    Outcome whole = readAll(text, *first, DataItemReader::kChunkSize);
    require(whole.error.size() <= kLongestMessage);
    require(whole.count <= kMaxPoints);
    Outcome small = readAll(text, *second, 1 + size % 7);
    require(small.count == whole.count && small.error == whole.error);
    if (whole.count < 0)
        return 0;

    std::ostringstream exported;
    ExportCurve(exported, 1, whole.count, first->potential, first->curves, kSlot);
    Outcome again = readAll(exported.str(), *second, DataItemReader::kChunkSize);
    require(again.count == whole.count && again.error.empty());
    for (int i = 1; i <= whole.count; ++i) {
        require(second->potential(i) == first->potential(i));
        require(second->curves(i, kSlot) == first->curves(i, kSlot));
    }
    return 0;
}
