#pragma once
// Import Data: the whole file is read and checked before anything of the program changes; only
// then is the chosen curve taken into a new curve slot, with the programme it implies.

#include "files/MeasuredCurve.h"

#include <cstdint>
#include <functional>
#include <string>

namespace kemvo {

class Application;

// No real curve file comes near this size [bytes]; a larger one is refused with its size.
inline constexpr std::uintmax_t kMaxImportBytes = 200ull * 1024 * 1024;

// The bytes of a regular file of at most kMaxImportBytes. A folder, a pipe or a device is
// refused at once (reading a pipe could wait for ever), as is a larger file.
std::string readRegularFile(const std::string &file);

// Reads and checks the file whole: an instrument export recognised by its content, or else the
// bare two-column format (format ""). Every curve kept has at least two distinct potentials;
// raises RuntimeError saying why when there is none. poll, when given, is called with the
// share of the file read (0 ... 1) every few thousand lines and may end the reading by
// throwing (StopRequested).
MeasuredFile readImportFile(const std::string &file, const std::function<void(double)> &poll = {});

struct ImportChoice {
    bool setProgramme = true; // E start, E end, E step, v and the scan choice from the curve
    bool reverseSign = false; // the file writes reduction current positive
};

// Takes the curve into a new curve slot (thinned to the store's size), reports it on FormResult
// and primes the parameters window. A bare file always sets E start, E step, E end and the scan
// choice, as its import always has.
void takeImportedCurve(Application &app, const MeasuredFile &file, const MeasuredCurve &curve,
                       ImportChoice choice);

// After a curve was taken: the plot, the result window and the plot menus.
void finishImport(Application &app);

} // namespace kemvo
