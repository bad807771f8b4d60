// The texts the program shows, in the reader's language. English is the source: every text is
// written in English where it is used, marked with Tr or TrNoop so that the translation tools
// find it (they know both as the "rtl" context's translation calls), and Tr hands it to the
// translator the window installs. Without one, as in the CLI and the tests, Tr gives the English
// back, so what scripts parse and what tests compare never changes.
#pragma once

#include <functional>
#include <string>

namespace rtl {

// The translation of a source text, or an empty string when there is none.
using TTranslator = std::function<std::string(const char* source)>;

// Replaces the translator and returns the one it replaces; an empty one means English.
TTranslator SetTranslator(TTranslator translator);

// The text in the reader's language, valid for the life of the program. A translation whose
// printf conversions differ from the source's (another count or type; the order may change with
// %1$s-style positions) is not used, so that a translation's mistake cannot make Format read
// the wrong arguments.
const char* Tr(const char* source) __attribute__((format_arg(1)));

// Marks a text that is stored before it is shown, such as a message kept in a constant; Tr
// translates it where it is used.
constexpr const char* TrNoop(const char* source) {
    return source;
}

// Whether a translation takes the same printf arguments as its source, by position; a source
// that is no printf format takes any translation.
bool SameConversions(const std::string& source, const std::string& translation);

} // namespace rtl
