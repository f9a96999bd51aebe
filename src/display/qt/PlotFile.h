#pragma once
// The plot picture as a file, for kemvo-cli: a recorded picture painted afresh at the size of
// the file.

#include "display/RecordingCanvas.h"

#include <QSize>

#include <string>

namespace kemvo::qt {

// Writes SVG for a name ending in ".svg", otherwise an image in the format its suffix names
// (".png", ".jpg", ".bmp"). Raises RuntimeError when the file cannot be written.
void writePicture(const RecordingCanvas &picture, const std::string &fileName, QSize size);

} // namespace kemvo::qt
