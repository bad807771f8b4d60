// The first byte picks what the rest of the input goes through, so that one corpus serves the
// splitter, the dequoter and the quote round trip alike.
#include "Vix_strings.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void PrintBytes(const char* label, const std::string& s) {
    std::fprintf(stderr, "fuzz: %s (%zu bytes):", label, s.size());
    for (const char c : s)
        std::fprintf(stderr, " %02X", static_cast<unsigned char>(c));
    std::fprintf(stderr, "\n");
}

// The round trip's failure shown byte by byte, as the crash stack alone does not tell it.
[[noreturn]] void FailRoundTrip(const std::string& s, const std::string& quoted,
                                const std::string& dequoted) {
    PrintBytes("text", s);
    PrintBytes("QuoteString", quoted);
    PrintBytes("DequoteString", dequoted);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const uint8_t mode = data[0] % 4;
    const std::string s(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (mode) {
    case 0:
        SplitString(s, ';', '"');
        break;
    case 1:
        SplitString(s, ',', '"');
        break;
    case 2:
        if (!s.empty() && s[0] == '"')
            DequoteString(s, '"');
        break;
    case 3:
        // A zero byte cannot survive: the program keeps such texts in C strings elsewhere.
        if (s.find('\0') == std::string::npos) {
            const std::string quoted = QuoteString(s, '"');
            const std::string dequoted = DequoteString(quoted, '"');
            if (dequoted != s)
                FailRoundTrip(s, quoted, dequoted);
        }
        break;
    }
    return 0;
}
