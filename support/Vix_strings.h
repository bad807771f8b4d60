// Quoting, dequoting, replacing and splitting of byte strings in code page 932.
#pragma once

#include "Rtl_exceptions.h"

#include <string>
#include <vector>

RTL_DECLARE_EXCEPTION(EStringError, rtl::Exception);

// quote + s with every quote doubled + quote. EStringError when quote is 0 or a lead byte.
std::string QuoteString(const std::string& s, char quote);
// The inverse of QuoteString; whatever follows the closing quote is dropped. EStringError when
// quote is 0 or a lead byte, s is empty, or s does not begin with quote.
std::string DequoteString(const std::string& s, char quote);
// Occurrences of oldPattern replaced by newPattern, left to right without overlap.
std::string ReplaceString(const std::string& s, const std::string& oldPattern,
                          const std::string& newPattern, bool replaceAll, bool caseSensitive);
// The items of a delimited text; unquoted bytes 0x01-0x20 separate items as the delimiter
// does, and a quoted item is read as DequoteString reads it.
std::vector<std::string> SplitString(const std::string& s, char delimiter, char quote);
// The lines of a text: a line ends at CR LF, a lone CR or a lone LF, and a break at the very end
// adds no empty line.
std::vector<std::string> SplitLines(const std::string& text);
// text with every control byte and DEL a space: one field of a line that tabs and line ends part.
std::string OneLine(std::string text);
