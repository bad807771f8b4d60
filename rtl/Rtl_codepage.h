// The program's fixed ANSI code page is 932 (Shift-JIS), the code page of the D88 world.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rtl {

// True when the byte starts a two-byte character of code page 932 (0x81-0x9F, 0xE0-0xFC).
constexpr bool IsDBCSLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// True when the byte can end a two-byte character of code page 932 (0x40-0x7E, 0x80-0xFC).
constexpr bool IsDBCSTrailByte(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// The length of the character at s[i]: 2 for a lead byte followed by a byte that can end the
// character, else 1. A lead byte with no such partner (at the end of the text, or before a
// quote, a slash or a space) stands alone, so that it never swallows a character that matters.
constexpr size_t CharLength(std::string_view s, size_t i) {
    return IsDBCSLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() &&
                   IsDBCSTrailByte(static_cast<unsigned char>(s[i + 1]))
               ? 2
               : 1;
}

// Decodes code page 932 bytes to UTF-8. A byte that does not start a valid character becomes
// U+FFFD and decoding goes on with the next byte.
std::string Cp932ToUtf8(std::string_view bytes);

// Encodes UTF-8 text to code page 932; nothing when the text is not valid UTF-8 or holds a
// character the code page lacks.
std::optional<std::string> Utf8ToCp932(std::string_view text);

} // namespace rtl
