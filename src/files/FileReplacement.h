#pragma once
// Saving a file so that a failure never destroys what was there before.

#include <string>
#include <string_view>

namespace kemvo {

// Writes `content` into a new temporary file (of a short name) in the target's folder and
// renames it over the target only when every byte is written and the file is closed; an
// existing target keeps its mode and owner. A target of several hard links, or one whose owner
// the program cannot give to a new file, is written in place once the temporary copy is
// complete, so that its links, owner and mode stay. The names "." and ".." are refused as
// folders. Only a regular file is ever replaced: a folder, a device, a FIFO or a socket is
// refused, a read-only file is refused as read-only, and a symbolic link is followed so that
// the file it points to is replaced and the link stays. On any failure nothing is left behind,
// the target is as it was, and RuntimeError says why in plain words ("the disk is full", ...).
void replaceFile(const std::string &path, std::string_view content);

} // namespace kemvo
