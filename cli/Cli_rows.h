// The ROWS and ROW arguments: rows from 1, comma-separated, with ranges, as the user typed them,
// and the images of a container they select.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

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
// A ROW argument: as ParseRows, and EUsageError for a list or a range too.
std::vector<TRowSpan> ParseSingleRow(std::string_view text);
// The 0-based indexes the spans select from count images, ascending and each once. A row of 0
// or beyond count raises rtl::Exception "The program cannot accept the row number N.", N the
// first such row in the order written.
std::vector<int> SelectRows(const std::vector<TRowSpan>& spans, int count);
// The same for a ROWS argument that may be left out: every index, ascending, when it is.
std::vector<int> SelectRows(const std::optional<std::vector<TRowSpan>>& spans, int count);

} // namespace cli
