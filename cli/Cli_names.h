// Image names as trackwell-cli prints and reads them: a name comes from a file, so a control
// character in it could steer the terminal or split a line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cli {

// A name decoded to UTF-8 as `list` and `names` print it. Each C0 control and DEL becomes \xNN
// with two upper-case hex digits, and a backslash becomes two so that the escapes stay
// unambiguous.
std::string EscapeName(std::string_view utf8Name);
// The text EscapeName gave back as the name it came from. Digits in either case are taken, and
// \xNN for any character below 0x80; nothing for a backslash that starts neither form.
std::optional<std::string> UnescapeName(std::string_view text);

} // namespace cli
