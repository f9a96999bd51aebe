#pragma once
// The text exports of the potentiostats' own software, each recognised by its content (never by
// the file name) and read into curves in V and A. Each reader raises RuntimeError with the
// reason when the file is not a voltammogram or its data cannot be used.

#include "files/MeasuredCurve.h"
#include "files/TextDecoding.h"

#include <string_view>
#include <vector>

namespace kemvo {

struct InstrumentFormat {
    const char *name;
    bool (*recognises)(const TextLines &lines);
    MeasuredFile (*read)(const TextLines &lines);
};

// Each format's recogniser looks only at the first lines.
bool isEcLab(const TextLines &lines);
MeasuredFile readEcLab(const TextLines &lines);
bool isChInstruments(const TextLines &lines);
MeasuredFile readChInstruments(const TextLines &lines);
bool isGamry(const TextLines &lines);
MeasuredFile readGamry(const TextLines &lines);
bool isNova(const TextLines &lines);
MeasuredFile readNova(const TextLines &lines);
bool isPsTrace(const TextLines &lines);
MeasuredFile readPsTrace(const TextLines &lines);
bool isEc4(const TextLines &lines);
MeasuredFile readEc4(const TextLines &lines);

} // namespace kemvo
