#pragma once
// The text of an instrument's export as UTF-8 lines, whatever encoding its software wrote:
// UTF-16 with a byte-order mark, UTF-8 (with or without its mark), or Windows-1252 where the
// bytes are not valid UTF-8. Line ends may be CRLF, LF or CR.

#include <string>
#include <string_view>
#include <vector>

namespace kemvo {

// The bytes as UTF-8 without any byte-order mark, also one that stands inside the text.
std::string decodeText(std::string_view bytes);

// The lines of a text, without their line ends; a last line without its end is a line.
std::vector<std::string_view> splitLines(std::string_view text);

} // namespace kemvo
