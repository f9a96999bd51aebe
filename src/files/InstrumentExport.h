#pragma once
// Recognises an instrument's text export by its content and reads its curves.

#include "files/MeasuredCurve.h"

#include <functional>
#include <optional>
#include <string_view>

namespace kemvo {

// The curves of the export, or nothing when the bytes are no instrument export that Kemvo knows
// (a bare two-column file). An export that is not a voltammogram or whose data cannot be used
// raises RuntimeError with the reason.
// poll, when given, is called with the share of the file read (0 ... 1) every few thousand
// lines; it may end the reading by throwing (StopRequested).
std::optional<MeasuredFile> readInstrumentExport(std::string_view bytes,
                                                 const std::function<void(double)> &poll = {});

} // namespace kemvo
