#include "files/InstrumentExport.h"

#include "files/CurveTable.h"
#include "files/InstrumentFormats.h"
#include "files/TextDecoding.h"

#include <array>

namespace kemvo {
namespace {

// Enough of the start of a file for every recogniser, which looks at the first lines only.
constexpr std::size_t kRecognitionBytes = 16 * 1024;

// NOVA's title line is recognised by column names that another format could also carry in its
// data titles, so the formats with a first-line signature are asked first.
constexpr std::array<InstrumentFormat, 7> kFormats = {{
    {"Kemvo curve table", isCurveTable, readCurveTable},
    {"EC-Lab", isEcLab, readEcLab},
    {"Gamry", isGamry, readGamry},
    {"PSTrace", isPsTrace, readPsTrace},
    {"EC4", isEc4, readEc4},
    {"CH Instruments", isChInstruments, readChInstruments},
    {"NOVA", isNova, readNova},
}};

} // namespace

std::optional<MeasuredFile> readInstrumentExport(std::string_view bytes,
                                                 const std::function<void(double)> &poll) {
    std::string start = decodeText(bytes.substr(0, kRecognitionBytes));
    TextLines firstLines(start);
    for (const InstrumentFormat &format : kFormats) {
        if (!format.recognises(firstLines))
            continue;
        std::string storage;
        TextLines lines(decodedText(bytes, storage), poll);
        return format.read(lines);
    }
    return std::nullopt;
}

} // namespace kemvo
