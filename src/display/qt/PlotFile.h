#pragma once
// The plot picture as a file, for Export Plot and kemvo-cli: a recorded picture painted afresh
// at the size of the file.

#include "display/RecordingCanvas.h"

#include <QSize>

#include <functional>

#include <string>

namespace kemvo::qt {

// Writes SVG for a name ending in ".svg", PDF (one page of the picture's size in points) for
// ".pdf" and PNG for ".png"; any other name is refused before a file is touched. The picture
// is painted in memory and saved like Export and Save (a temporary file renamed over the old
// one), so a failure keeps the old picture. Raises RuntimeError naming the file and the reason
// when it cannot be written.
void writePicture(const RecordingCanvas &picture, const std::string &fileName, QSize size);

// Size of a written plot [px].
inline const QSize kPictureFileSize(900, 600);

// The platform's writer of picture files: what `paint` draws, written as above at
// kPictureFileSize.
void writePictureFile(const std::string &fileName, const std::function<void(Canvas &)> &paint);

} // namespace kemvo::qt
