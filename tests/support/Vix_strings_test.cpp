#include "TestSupport.h"
#include "Vix_strings.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Items = std::vector<std::string>;

const char* const CannotQuoteMessage = "The program cannot quote the string.";
const char* const CannotDequoteMessage = "The program cannot dequote the string.";

// CP932 two-byte characters whose trail byte equals an ASCII character.
const std::string KatakanaSo = "\x83\x5C";      // trail byte is '\'
const std::string KatakanaA = "\x83\x41";       // trail byte is 'A'
const std::string KatakanaSmallYa = "\x83\x61"; // trail byte is 'a'

TEST(VixStringsTest, QuoteStringDoublesQuotesAndEnclosesText) {
    const std::string text = "ab\"c";
    const std::string quoted = QuoteString(text, '"');
    EXPECT_EQ(quoted, "\"ab\"\"c\"");
    EXPECT_EQ(quoted.size(), 7u);
    EXPECT_EQ(QuoteString("", '"'), "\"\"");
    EXPECT_EQ(QuoteString("\"", '"'), "\"\"\"\"");
    EXPECT_EQ(QuoteString("C:\\Disks", '"'), "\"C:\\Disks\"");
    EXPECT_EQ(QuoteString("it's \"x\"", '\''), "'it''s \"x\"'");
}

TEST(VixStringsTest, QuoteStringLeavesTrailBytesUndoubled) {
    EXPECT_EQ(QuoteString(KatakanaSo, '\\'), "\\" + KatakanaSo + "\\");
    EXPECT_EQ(QuoteString(KatakanaSo + "\\", '\\'), "\\" + KatakanaSo + "\\\\\\");
    // A half-width katakana byte is a single character, so a quote after it is doubled.
    EXPECT_EQ(QuoteString("\xB1\\", '\\'), "\\\xB1\\\\\\");
}

TEST(VixStringsTest, QuoteStringRefusesZeroOrLeadByteQuote) {
    for (char quote : {'\0', '\x81', '\x9F', '\xE0', '\xFC'})
        EXPECT_EQ(testsupport::MessageOf<EStringError>([quote] { QuoteString("abc", quote); }),
                  CannotQuoteMessage)
            << static_cast<int>(static_cast<unsigned char>(quote));
    EXPECT_EQ(QuoteString("a", '\xA0'), "\xA0"
                                        "a\xA0");
}

TEST(VixStringsTest, DequoteStringReadsUpToTheClosingQuote) {
    EXPECT_EQ(DequoteString("\"\"", '"'), "");
    EXPECT_EQ(DequoteString("\"abc\"", '"'), "abc");
    EXPECT_EQ(DequoteString("\"a\"\"b\"tail", '"'), "a\"b");
    EXPECT_EQ(DequoteString("\"a\" \"b\"", '"'), "a");
    EXPECT_EQ(DequoteString("\"\"\"\"", '"'), "\"");
    EXPECT_EQ(DequoteString("'it''s'", '\''), "it's");
}

TEST(VixStringsTest, DequoteStringWithoutClosingQuoteTakesTheRest) {
    EXPECT_EQ(DequoteString("\"", '"'), "");
    EXPECT_EQ(DequoteString("\"abc", '"'), "abc");
    EXPECT_EQ(DequoteString("\"a\"\"b", '"'), "a\"b");
    EXPECT_EQ(DequoteString("\"a\"\"", '"'), "a\"");
}

TEST(VixStringsTest, DequoteStringStepsOverTrailBytes) {
    EXPECT_EQ(DequoteString("\\" + KatakanaSo + "\\", '\\'), KatakanaSo);
    EXPECT_EQ(DequoteString("\\" + KatakanaSo + "x\\tail", '\\'), KatakanaSo + "x");
    EXPECT_EQ(DequoteString("\\\xB1\\tail", '\\'), "\xB1");
}

TEST(VixStringsTest, DequoteStringRefusesBadInput) {
    EXPECT_EQ(testsupport::MessageOf<EStringError>([] { DequoteString("", '"'); }),
              CannotDequoteMessage);
    EXPECT_EQ(testsupport::MessageOf<EStringError>([] { DequoteString("abc\"", '"'); }),
              CannotDequoteMessage);
    EXPECT_EQ(testsupport::MessageOf<EStringError>([] { DequoteString(" \"abc\"", '"'); }),
              CannotDequoteMessage);
    EXPECT_EQ(
        testsupport::MessageOf<EStringError>([] { DequoteString(std::string(1, '\0'), '\0'); }),
        CannotDequoteMessage);
    EXPECT_EQ(testsupport::MessageOf<EStringError>([] { DequoteString("\x81x\x81", '\x81'); }),
              CannotDequoteMessage);
}

TEST(VixStringsTest, QuoteThenDequoteRestoresTheText) {
    const std::vector<std::string> texts = {"",
                                            "plain",
                                            "\"",
                                            "\"\"",
                                            "ab\"c",
                                            "\"start and end\"",
                                            "/home/user/My \"Disks\"",
                                            KatakanaSo + "\"" + KatakanaSo,
                                            "\xB1\"\xDF"};
    for (const std::string& text : texts)
        EXPECT_EQ(DequoteString(QuoteString(text, '"'), '"'), text) << text;
    for (const std::string& text : {KatakanaSo, KatakanaSo + "\\" + KatakanaSo, std::string("\\")})
        EXPECT_EQ(DequoteString(QuoteString(text, '\\'), '\\'), text) << text;
}

TEST(VixStringsTest, ReplaceStringDoublesAmpersands) {
    EXPECT_EQ(ReplaceString("R&D", "&", "&&", true, true), "R&&D");
    EXPECT_EQ(ReplaceString("&&", "&", "&&", true, true), "&&&&");
    EXPECT_EQ(ReplaceString("Delete image", "&", "&&", true, true), "Delete image");
    EXPECT_EQ(ReplaceString("", "&", "&&", true, true), "");
}

TEST(VixStringsTest, ReplaceStringReplaceAllOrFirstOnly) {
    EXPECT_EQ(ReplaceString("a&b&c", "&", "&&", false, true), "a&&b&c");
    EXPECT_EQ(ReplaceString("a&b&c", "&", "&&", true, true), "a&&b&&c");
    EXPECT_EQ(ReplaceString("one two one", "one", "1", false, true), "1 two one");
    EXPECT_EQ(ReplaceString("one two one", "one", "", true, true), " two ");
}

TEST(VixStringsTest, ReplaceStringScansLeftToRightWithoutOverlap) {
    EXPECT_EQ(ReplaceString("aaa", "aa", "b", true, true), "ba");
    EXPECT_EQ(ReplaceString("aaaa", "aa", "b", true, true), "bb");
    // Replaced text is not scanned again.
    EXPECT_EQ(ReplaceString("aXa", "a", "aa", true, true), "aaXaa");
    EXPECT_EQ(ReplaceString("abc", "abcd", "x", true, true), "abc");
    EXPECT_EQ(ReplaceString("abc", "", "x", true, true), "abc");
}

TEST(VixStringsTest, ReplaceStringIgnoresAsciiCaseOnRequest) {
    EXPECT_EQ(ReplaceString("Disk DISK disk", "disk", "X", true, true), "Disk DISK X");
    EXPECT_EQ(ReplaceString("Disk DISK disk", "disk", "X", true, false), "X X X");
    EXPECT_EQ(ReplaceString("Disk DISK disk", "dIsK", "X", false, false), "X DISK disk");
    EXPECT_EQ(ReplaceString("[a]", "[A]", "b", true, false), "b");
    EXPECT_EQ(ReplaceString("@`", "`", "-", true, false), "@-");
}

TEST(VixStringsTest, ReplaceStringNeverMatchesInsideTwoByteCharacter) {
    EXPECT_EQ(ReplaceString(KatakanaSo + "\\", "\\", "/", true, true), KatakanaSo + "/");
    EXPECT_EQ(ReplaceString("x" + KatakanaA + "A", "A", "B", true, true), "x" + KatakanaA + "B");
    EXPECT_EQ(ReplaceString(KatakanaA + "a", "a", "b", true, false), KatakanaA + "b");
    // Case folding must not equate two characters that differ only in a trail byte.
    EXPECT_EQ(ReplaceString(KatakanaSmallYa, KatakanaA, "x", true, false), KatakanaSmallYa);
    EXPECT_EQ(ReplaceString(KatakanaA + KatakanaSo, KatakanaA, "x", true, false), "x" + KatakanaSo);
}

TEST(VixStringsTest, SplitStringReadsDelimitedItems) {
    EXPECT_EQ(SplitString("d77;d88", ';', '"'), (Items{"d77", "d88"}));
    EXPECT_EQ(SplitString("d88", ';', '"'), (Items{"d88"}));
    EXPECT_EQ(SplitString("", ';', '"'), Items{});
    EXPECT_EQ(SplitString(" \t\r\n", ';', '"'), Items{});
    EXPECT_EQ(SplitString("a;", ';', '"'), (Items{"a", ""}));
    EXPECT_EQ(SplitString(";", ';', '"'), (Items{"", ""}));
    EXPECT_EQ(SplitString("a;;b", ';', '"'), (Items{"a", "", "b"}));
    EXPECT_EQ(SplitString(";a", ';', '"'), (Items{"", "a"}));
    // The trailing empty item is added only when the delimiter is the very last byte.
    EXPECT_EQ(SplitString("a; ", ';', '"'), (Items{"a"}));
}

TEST(VixStringsTest, SplitStringTreatsBlanksAsSeparators) {
    EXPECT_EQ(SplitString(" a b;c", ';', '"'), (Items{"a", "b", "c"}));
    EXPECT_EQ(SplitString("  a  ", ';', '"'), (Items{"a"}));
    EXPECT_EQ(SplitString("a\tb\r\nc\x01"
                          "d",
                          ';', '"'),
              (Items{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitString("a ; b", ';', '"'), (Items{"a", "b"}));
}

TEST(VixStringsTest, SplitStringWithCommaDelimiter) {
    EXPECT_EQ(SplitString(",,", ',', '"'), (Items{"", "", ""}));
    EXPECT_EQ(SplitString("a,,b", ',', '"'), (Items{"a", "", "b"}));
    EXPECT_EQ(SplitString("a;b,c", ',', '"'), (Items{"a;b", "c"}));
}

TEST(VixStringsTest, SplitStringReadsQuotedItems) {
    EXPECT_EQ(SplitString("\"x;y\";z", ';', '"'), (Items{"x;y", "z"}));
    EXPECT_EQ(SplitString("\"a b\" c", ';', '"'), (Items{"a b", "c"}));
    EXPECT_EQ(SplitString("\"x\"\"y\";z", ';', '"'), (Items{"x\"y", "z"}));
    EXPECT_EQ(SplitString("\"\";x", ';', '"'), (Items{"", "x"}));
    EXPECT_EQ(SplitString("\"x\";", ';', '"'), (Items{"x", ""}));
    // Reading goes on right after the closing quote.
    EXPECT_EQ(SplitString("\"x\"y;z", ';', '"'), (Items{"x", "y", "z"}));
    // A quote inside an unquoted item is an ordinary character.
    EXPECT_EQ(SplitString("a\"b;c", ';', '"'), (Items{"a\"b", "c"}));
    // With no closing quote the rest of the text is the item.
    EXPECT_EQ(SplitString("a;\"b;c", ';', '"'), (Items{"a", "b;c"}));
    EXPECT_EQ(SplitString(QuoteString("/home/u/My \"Disks\"", '"') + ";d88", ';', '"'),
              (Items{"/home/u/My \"Disks\"", "d88"}));
}

TEST(VixStringsTest, SplitStringStepsOverTrailBytes) {
    EXPECT_EQ(SplitString(KatakanaSo + "\\b", '\\', '"'), (Items{KatakanaSo, "b"}));
    EXPECT_EQ(SplitString(KatakanaSo + ";" + KatakanaSo, ';', '"'),
              (Items{KatakanaSo, KatakanaSo}));
    // A blank cannot end a two-byte character, so the lead byte before it stands alone.
    EXPECT_EQ(SplitString("\x81 x;y", ';', '"'), (Items{"\x81", "x", "y"}));
    EXPECT_EQ(SplitString("\"" + KatakanaSo + "\";z", ';', '"'), (Items{KatakanaSo, "z"}));
    EXPECT_EQ(SplitString("\\" + KatakanaSo + "\\;z", ';', '\\'), (Items{KatakanaSo, "z"}));
    EXPECT_EQ(SplitString("a;\x83", ';', '"'), (Items{"a", "\x83"}));
}

TEST(VixStringsTest, ALeadByteWithoutItsPartnerStillRoundTrips) {
    // Found by fuzzing: a text ending in a lone lead byte lost its closing quote to it. UTF-8
    // paths end that way often ("/tmp/\xE3\x81\x81" is a hiragana letter).
    for (const std::string& text : {std::string("\x81"), std::string("/tmp/\xE3\x81\x81"),
                                    std::string("\x81\"\x81"), std::string("a\x9F")}) {
        const std::string quoted = QuoteString(text, '"');
        EXPECT_EQ(DequoteString(quoted, '"'), text);
        EXPECT_EQ(SplitString(quoted + ";x", ';', '"'), (Items{text, "x"}));
    }
}

TEST(VixStringsTest, SplitStringEndsAtZeroByte) {
    EXPECT_EQ(SplitString(std::string("a;b\0;c", 6), ';', '"'), (Items{"a", "b"}));
    EXPECT_EQ(SplitString(std::string("\0a", 2), ';', '"'), Items{});
}

TEST(VixStringsTest, SplitStringRefusesZeroOrLeadByteQuote) {
    for (char quote : {'\0', '\x81', '\xE0'})
        EXPECT_EQ(testsupport::MessageOf<EStringError>([quote] { SplitString("a;b", ';', quote); }),
                  CannotDequoteMessage)
            << static_cast<int>(static_cast<unsigned char>(quote));
}

} // namespace
