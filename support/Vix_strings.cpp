#include "Vix_strings.h"

#include "Rtl_codepage.h"
#include "Rtl_texts.h"

#include <algorithm>

namespace {

bool IsLeadByte(char c) {
    return rtl::IsDBCSLeadByte(static_cast<unsigned char>(c));
}

// A lead-byte quote could never be told apart from the start of a two-byte character.
bool IsUsableQuote(char quote) {
    return quote != '\0' && !IsLeadByte(quote);
}

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

// The quoted text that opens at s[start]; `end` is set just past its closing quote. A text with
// no closing quote is our choice to settle: the rest of the text is taken as the item, so
// nothing the user typed is lost.
std::string ReadQuoted(const std::string& s, std::size_t start, char quote, std::size_t& end) {
    std::string result;
    std::size_t i = start + 1;
    while (i < s.size()) {
        if (rtl::CharLength(s, i) == 2) {
            result.append(s, i, 2);
            i += 2;
        } else if (s[i] != quote) {
            result += s[i];
            ++i;
        } else if (i + 1 < s.size() && s[i + 1] == quote) {
            result += quote;
            i += 2;
        } else {
            end = i + 1;
            return result;
        }
    }
    end = s.size();
    return result;
}

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool MatchesAt(const std::string& s, std::size_t pos, const std::string& pattern,
               bool caseSensitive) {
    if (s.size() - pos < pattern.size())
        return false;
    // A trail byte in 0x41-0x5A is not a letter: folding it would equate two different
    // two-byte characters.
    bool trail = false;
    for (std::size_t k = 0; k < pattern.size(); ++k) {
        const char a = s[pos + k];
        const char b = pattern[k];
        const bool fold = !caseSensitive && !trail;
        if (fold ? FoldAscii(a) != FoldAscii(b) : a != b)
            return false;
        trail = !trail && rtl::CharLength(s, pos + k) == 2;
    }
    return true;
}

} // namespace

std::string QuoteString(const std::string& s, char quote) {
    if (!IsUsableQuote(quote))
        throw EStringError(rtl::Tr("The program cannot quote the string."));
    // Trail bytes are copied untouched: doubling one that equals the quote would make
    // DequoteString, which steps over trail bytes, end the text early.
    std::string result(1, quote);
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (rtl::CharLength(s, i) == 2) {
            result += s[i];
            result += s[++i];
            continue;
        }
        if (s[i] == quote)
            result += quote;
        result += s[i];
    }
    result += quote;
    return result;
}

std::string DequoteString(const std::string& s, char quote) {
    if (!IsUsableQuote(quote) || s.empty() || s[0] != quote)
        throw EStringError(rtl::Tr("The program cannot dequote the string."));
    std::size_t end = 0;
    return ReadQuoted(s, 0, quote, end);
}

std::string ReplaceString(const std::string& s, const std::string& oldPattern,
                          const std::string& newPattern, bool replaceAll, bool caseSensitive) {
    // An empty pattern would match everywhere without advancing.
    if (oldPattern.empty())
        return s;
    std::string result;
    std::size_t i = 0;
    bool replaced = false;
    while (i < s.size()) {
        if (!(replaced && !replaceAll) && MatchesAt(s, i, oldPattern, caseSensitive)) {
            result += newPattern;
            i += oldPattern.size();
            replaced = true;
            continue;
        }
        // Matches start only on character boundaries, so a trail byte is never rewritten.
        const std::size_t step = rtl::CharLength(s, i);
        result.append(s, i, step);
        i += step;
    }
    return result;
}

std::vector<std::string> SplitString(const std::string& s, char delimiter, char quote) {
    if (!IsUsableQuote(quote))
        throw EStringError(rtl::Tr("The program cannot dequote the string."));
    // A zero byte ends the text, as it ends the C string the list is kept in elsewhere; it also
    // could not otherwise be consumed, being neither skipped as a blank nor part of an item.
    const std::string text = s.substr(0, s.find('\0'));
    const std::size_t n = text.size();
    std::vector<std::string> items;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < n && IsBlank(text[i]))
            ++i;
    };
    skipBlanks();
    while (i < n) {
        if (text[i] == quote) {
            items.push_back(ReadQuoted(text, i, quote, i));
        } else {
            const std::size_t start = i;
            while (i < n && !IsBlank(text[i]) && text[i] != delimiter)
                i += rtl::CharLength(text, i);
            items.push_back(text.substr(start, i - start));
        }
        skipBlanks();
        if (i < n && text[i] == delimiter) {
            if (i == n - 1)
                items.emplace_back();
            ++i;
            skipBlanks();
        }
    }
    return items;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    bool pending = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            pending = false;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line += c;
            pending = true;
        }
    }
    if (pending)
        lines.push_back(line);
    return lines;
}

std::string OneLine(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return text;
}
