#pragma once
// The plot picture as a file, for kemvo-cli: a recorded picture painted afresh at the size of
// the file.

#include "display/RecordingCanvas.h"

#include <QSize>

#include <string>

namespace kemvo::qt {

// Writes SVG for a name ending in ".svg" and PNG for one ending in ".png"; any other name is
// refused before a file is touched. The picture is painted in memory and saved like Export
// and Save (a temporary file renamed over the old one), so a failure keeps the old picture.
// Raises RuntimeError naming the file and the reason when it cannot be written.
void writePicture(const RecordingCanvas &picture, const std::string &fileName, QSize size);

} // namespace kemvo::qt
