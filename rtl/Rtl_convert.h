// Integer conversion of the component library.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace rtl {

// Optional leading spaces, an optional sign, then decimal digits, or hexadecimal digits after
// `$`, `x`, `X`, `0x` or `0X`. Nothing may follow the digits and the value must fit in 32 bits
// (signed).
std::optional<int32_t> TryStrToInt(std::string_view text);

// TryStrToInt, or EConvertError "'%s' is not a valid integer value".
int32_t StrToInt(std::string_view text);

} // namespace rtl
