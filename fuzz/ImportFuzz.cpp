// libFuzzer target for the instrument-export readers. Any input must end in curves or in a
// short, precise message; every curve read holds as many currents as potentials, all finite;
// and the programme and the thinning of any usable curve stay finite and within the store.

#include "files/ImportProgramme.h"
#include "files/InstrumentExport.h"
#include "files/TimeAxis.h"
#include "shell/RuntimeError.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

using namespace kemvo;

constexpr std::size_t kLongestMessage = 400;
constexpr std::size_t kStorePoints = 4000;

void require(bool condition) {
    if (!condition)
        std::abort();
}

void checkCurve(const MeasuredCurve &curve) {
    require(curve.potential.size() == curve.current.size());
    for (std::size_t i = 0; i < curve.potential.size(); ++i)
        require(std::isfinite(curve.potential[i]) && std::isfinite(curve.current[i]));
    require(!curve.scanRate || (std::isfinite(*curve.scanRate) && *curve.scanRate > 0));
    if (!hasTwoDistinctPotentials(curve.potential))
        return;
    require(curve.time.empty() || curve.time.size() == curve.potential.size());
    // The holds of a time column leave a curve of at least two potentials, times alongside.
    const CurveHolds holds = holdsOf(curve.potential, curve.time);
    require(!holds.atStart ||
            (std::isfinite(holds.atStart->seconds) && holds.atStart->seconds > 0));
    const MeasuredCurve held = withoutHolds(curve, holds);
    require(held.current.size() == held.potential.size() &&
            hasTwoDistinctPotentials(held.potential));
    require(held.time.empty() || held.time.size() == held.potential.size());
    SweepProgramme programme = programmeOf(curve);
    require(!programme.scanRate || (std::isfinite(*programme.scanRate) && *programme.scanRate > 0));
    require(std::isfinite(programme.eEnd) && std::isfinite(programme.eStep));
    require(programme.eStep > 0);
    std::size_t every = 0;
    MeasuredCurve kept = thinned(curve, kStorePoints, every);
    require(kept.potential.size() <= kStorePoints && every >= 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char *>(data), size);
    try {
        if (auto file = readInstrumentExport(bytes))
            for (const MeasuredCurve &curve : file->curves)
                checkCurve(curve);
    } catch (const RuntimeError &error) {
        require(std::string_view(error.what()).size() <= kLongestMessage);
    }
    return 0;
}
