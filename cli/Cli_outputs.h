// How the commands of trackwell-cli hand over what they made: results on standard output, and
// new files that never replace one the user has unless told to.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>

namespace cli {

// Writes text and flushes; rtl::Exception "The program could not write to standard output."
// when that fails, so that lost output ends in a failure exit code.
void WriteOutput(std::ostream& out, const std::string& text);

// The refusal to write over path: "The program cannot overwrite the file "…"."
[[noreturn]] void RaiseOverwrite(const std::string& path);
// Refuses to write over path unless force, with RaiseOverwrite's refusal.
void CheckOverwrite(const std::string& path, bool force);
// Writes data as the file path, which replaces a file there only with force; the refusal is
// CheckOverwrite's, also for a file that appeared while it was written.
void WriteNewFile(const std::string& path, std::span<const uint8_t> data, bool force);

} // namespace cli
