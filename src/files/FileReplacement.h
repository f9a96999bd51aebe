#pragma once
// Saving a file so that a failure never destroys what was there before.

#include <string>
#include <string_view>

namespace kemvo {

// Writes `content` into a new temporary file in the target's folder and renames it over the
// target only when every byte is written and the file is closed; an existing target keeps its
// permissions. On any failure the temporary file is removed, the target is left as it was, and
// RuntimeError carries the system's reason ("No such file or directory", "No space left on
// device", ...).
void replaceFile(const std::string &path, std::string_view content);

} // namespace kemvo
