#include "Cli_rows.h"

#include "Cli_arguments.h"
#include "Rtl_exceptions.h"

namespace cli {

namespace {

// Compares two runs of decimal digits by value, whatever their length.
int CompareDecimal(std::string_view a, std::string_view b) {
    const auto strip = [](std::string_view s) {
        const size_t first = s.find_first_not_of('0');
        return first == std::string_view::npos ? std::string_view() : s.substr(first);
    };
    a = strip(a);
    b = strip(b);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

int64_t ParseRowNumber(std::string_view text) {
    if (text.empty())
        throw EUsageError("missing row number");
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            throw EUsageError("row number is not a decimal number");
        const int digit = c - '0';
        value = value > (INT64_MAX - digit) / 10 ? INT64_MAX : value * 10 + digit;
    }
    return value;
}

} // namespace

std::vector<TRowSpan> ParseRows(std::string_view text) {
    std::vector<TRowSpan> spans;
    size_t position = 0;
    for (;;) {
        const size_t comma = text.find(',', position);
        const std::string_view item = text.substr(
            position, comma == std::string_view::npos ? std::string_view::npos : comma - position);
        const size_t dash = item.find('-');
        const std::string_view first = item.substr(0, dash);
        const std::string_view last = dash == std::string_view::npos ? item : item.substr(dash + 1);
        TRowSpan span;
        span.First = ParseRowNumber(first);
        span.Last = ParseRowNumber(last);
        if (CompareDecimal(first, last) > 0)
            throw EUsageError("descending range");
        span.FirstText = std::string(first);
        span.LastText = std::string(last);
        spans.push_back(std::move(span));
        if (comma == std::string_view::npos)
            break;
        position = comma + 1;
    }
    return spans;
}

// Only a plain number: a list or range would hand the Enter dialog's value to several rows.
std::vector<TRowSpan> ParseSingleRow(std::string_view text) {
    if (text.find_first_of(",-") != std::string_view::npos)
        throw EUsageError("not a single row");
    return ParseRows(text);
}

std::vector<int> SelectRows(const std::vector<TRowSpan>& spans, int count) {
    const auto check = [count](int64_t row, const std::string& text) {
        if (row < 1 || row > count)
            throw rtl::Exception(
                rtl::Format("The program cannot accept the row number %s.", text.c_str()));
    };
    for (const TRowSpan& span : spans) {
        check(span.First, span.FirstText);
        check(span.Last, span.LastText);
    }
    // Every span lies within 1..count now, so marking them costs no more than count.
    std::vector<bool> chosen(static_cast<size_t>(count), false);
    for (const TRowSpan& span : spans)
        for (int64_t row = span.First; row <= span.Last; ++row)
            chosen[static_cast<size_t>(row - 1)] = true;
    std::vector<int> indexes;
    for (int i = 0; i < count; ++i)
        if (chosen[static_cast<size_t>(i)])
            indexes.push_back(i);
    return indexes;
}

std::vector<int> SelectRows(const std::optional<std::vector<TRowSpan>>& spans, int count) {
    if (spans)
        return SelectRows(*spans, count);
    std::vector<int> indexes;
    for (int i = 0; i < count; ++i)
        indexes.push_back(i);
    return indexes;
}

} // namespace cli
