#include "Cli_names.h"

namespace cli {

// Bytes below 0x80 are whole characters in UTF-8, so testing byte by byte never splits one; a
// code page 932 character whose trail byte is 0x5C is one multi-byte character by now.
std::string EscapeName(std::string_view utf8Name) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(utf8Name.size());
    for (const char c : utf8Name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            text += "\\x";
            text += Digits[byte >> 4];
            text += Digits[byte & 0x0F];
        } else if (c == '\\') {
            text += "\\\\";
        } else {
            text += c;
        }
    }
    return text;
}

std::optional<std::string> UnescapeName(std::string_view text) {
    const auto hexDigit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    std::string name;
    name.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            name += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '\\') {
            name += '\\';
            ++i;
        } else if (i + 3 < text.size() && text[i + 1] == 'x' && hexDigit(text[i + 2]) >= 0 &&
                   hexDigit(text[i + 3]) >= 0) {
            const int value = hexDigit(text[i + 2]) * 16 + hexDigit(text[i + 3]);
            // Above 0x7F the byte would be a piece of some UTF-8 character, not a character.
            if (value > 0x7F)
                return std::nullopt;
            name += static_cast<char>(value);
            i += 3;
        } else {
            return std::nullopt;
        }
    }
    return name;
}

} // namespace cli
