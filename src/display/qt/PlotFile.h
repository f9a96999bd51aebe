#pragma once
// The plot picture as a file, for Export Plot and kemvo-cli: PNG, SVG or PDF of a size in
// pixels at a resolution, the picture painted on the file's own canvas.

#include "display/RecordingCanvas.h"
#include "shell/Platform.h"

#include <functional>
#include <string>

namespace kemvo::qt {

// Writes SVG for a name ending in ".svg", PDF (one page of the picture's size) for ".pdf" and
// PNG for ".png", with real text in SVG and PDF; any other name is refused before a file is
// touched. `paint` draws on a canvas of the file's size. The picture is painted in memory and
// saved like Export and Save (a temporary file renamed over the old one), so a failure keeps
// the old picture. Raises RuntimeError naming the file and the reason when it cannot be
// written.
void writePictureFile(const std::string &fileName, const PictureSize &size,
                      const std::function<void(Canvas &)> &paint);

// Writes a recorded picture at the size it was recorded for, 96 logical pixels to the inch.
void writePicture(const RecordingCanvas &picture, const std::string &fileName);

} // namespace kemvo::qt
