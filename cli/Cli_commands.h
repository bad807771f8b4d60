// The subcommands of trackwell-cli and the argument rules they share. Scripts depend on the exact
// output, messages and exit codes, so everything that shapes them lives here, apart from main.
#pragma once

#include "App_diskformats.h"
#include "Rtl_exceptions.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

constexpr int ExitSuccess = 0;
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

// Raised for a command line that does not follow the usage text; it is answered with the usage
// text rather than a message, so it carries none worth showing.
RTL_DECLARE_EXCEPTION(EUsageError, rtl::Exception);

// The text shown by --help and after every usage error.
const std::string& UsageText();

// One item of a ROWS argument: a single row has First == Last. The texts are kept as typed so
// that a refusal names the row the way the user wrote it, even one too large for any integer.
struct TRowSpan {
    int64_t First = 0;
    int64_t Last = 0;
    std::string FirstText;
    std::string LastText;
};

// "1,3-5" into its spans, in the order written. EUsageError for anything but comma-separated
// decimal numbers and ranges a-b with a <= b. Numbers beyond int64 saturate.
std::vector<TRowSpan> ParseRows(std::string_view text);
// The 0-based indexes the spans select from count images, ascending and each once. A row of 0
// or beyond count raises rtl::Exception "The program cannot accept the row number N.", N the
// first such row in the order written.
std::vector<int> SelectRows(const std::vector<TRowSpan>& spans, int count);

// The list fields that tolerate bytes the editor has no text for: 0x followed by two upper-case
// hex digits for those.
std::string WriteProtectedField(int32_t value);
std::string DiskTypeField(int32_t value);
// One line of `list`, without its line break.
std::string ListLine(int row, const TScannedImage& image);

// A name decoded to UTF-8 as `list` and `names` print it: a name comes from a file, so a control
// character could steer the terminal or split a line. Each C0 control and DEL becomes \xNN with
// two upper-case hex digits, and a backslash becomes two so that the escapes stay unambiguous.
std::string EscapeName(std::string_view utf8Name);
// The text EscapeName gave back as the name it came from. Digits in either case are taken, and
// \xNN for any character below 0x80; nothing for a backslash that starts neither form.
std::optional<std::string> UnescapeName(std::string_view text);

// The blank disk the arguments describe, checked in the order TYPE, C, H, R, N; rtl::Exception
// with the message of the first that is refused.
TDiskFormat ParseDiskFormat(const std::string& type, const std::string& c, const std::string& h,
                            const std::string& r, const std::string& n);

// Refuses an ambiguous plain dump that no --format settled: rtl::Exception naming the file and
// every candidate.
TFormatChooser FormatChooser();

// Writes text and flushes; rtl::Exception "The program could not write to standard output."
// when that fails, so that lost output ends in a failure exit code.
void WriteOutput(std::ostream& out, const std::string& text);

// Runs one command line (without the program name). Input comes from in, results go to out, the
// usage text and messages to err; returns the exit code. Never throws.
int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err);
// Run with the process's standard input.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace cli
