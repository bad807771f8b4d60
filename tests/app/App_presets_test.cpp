#include "App_presets.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using testsupport::MessageOf;

namespace {

const char* const ConvertMessage = "The program could not convert the string to a preset item.";

std::vector<std::string> NamesOf(const TPresetList& list) {
    std::vector<std::string> names;
    for (const auto& item : list.Items)
        names.push_back(item->Name);
    return names;
}

} // namespace

TEST(PresetItem, ReadsQuotedNamesAndDecimalOrHexadecimalNumbers) {
    const auto item = ParsePresetItem("\"PC-98, 1.25 MB\",2HD,77,2,8,3");
    EXPECT_EQ(item->Name, "PC-98, 1.25 MB");
    EXPECT_EQ(item->DiskFormat, (TDiskFormat{0x20, 77, 2, 8, 3}));

    // Blanks around items are dropped; the file puts no range on the numbers.
    const auto hex = ParsePresetItem(" \"Say \"\"hi\"\"\" , 2DD , $FF,0x10,X1F,-1");
    EXPECT_EQ(hex->Name, "Say \"hi\"");
    EXPECT_EQ(hex->DiskFormat, (TDiskFormat{0x10, 255, 16, 31, -1}));

    EXPECT_EQ(ParsePresetItem("Plain,2D,40,2,16,1")->DiskFormat, (TDiskFormat{0x00, 40, 2, 16, 1}));
}

TEST(PresetItem, EveryMalformedLineRaisesTheOneConversionMessage) {
    const std::vector<std::string> lines = {
        "A,2hd,77,2,8,3",         // the disk type is case-sensitive
        "A,2HD,77,2,8",           // five items
        "A,2HD,77,2,8,3,1",       // seven items
        "PC 98,2HD,77,2,8,3",     // an unquoted space splits the name
        "A,2HD,C,2,8,3",          // not a number
        "A,2HD,2147483648,2,8,3", // beyond 32 bits
        "A,2HD,77,2,8,$",         // a prefix without digits
        "",                       // an empty line is no preset either
        "A,,77,2,8,3",            // no disk type
    };
    for (const std::string& line : lines) {
        EXPECT_EQ(MessageOf<rtl::EConvertError>([&] { ParsePresetItem(line); }), ConvertMessage)
            << line;
    }
    EXPECT_EQ(ParsePresetItem("A,2HD,-2147483648,2,8,3")->DiskFormat.C, INT32_MIN);
}

TEST(PresetList, ReadsEveryLineWhateverItsBreakAndStopsAtTheFirstBadOne) {
    testsupport::TempDir dir;
    const std::string path = dir.File("Presets.dat");

    testsupport::WriteFileText(
        path, "One,2D,40,2,16,1\r\nTwo,2DD,80,2,8,2\rThree,2HD,77,2,8,3\nFour,2HD,80,2,18,2");
    TPresetList list = ReadPresets(path);
    EXPECT_TRUE(list.Complete);
    EXPECT_EQ(NamesOf(list), (std::vector<std::string>{"One", "Two", "Three", "Four"}));
    EXPECT_EQ(list.Items[2]->DiskFormat, (TDiskFormat{0x20, 77, 2, 8, 3}));

    testsupport::WriteFileText(path,
                               "One,2D,40,2,16,1\r\nTwo,2hd,80,2,8,2\r\nThree,2HD,77,2,8,3\r\n");
    list = ReadPresets(path);
    EXPECT_FALSE(list.Complete);
    EXPECT_EQ(NamesOf(list), std::vector<std::string>{"One"});

    // The second break makes an empty last line, which is a bad line like any other.
    testsupport::WriteFileText(path, "One,2D,40,2,16,1\r\nTwo,2DD,80,2,8,2\r\n\r\n");
    list = ReadPresets(path);
    EXPECT_FALSE(list.Complete);
    EXPECT_EQ(NamesOf(list), (std::vector<std::string>{"One", "Two"}));

    // Whatever follows a zero byte is not read, bad lines included.
    testsupport::WriteFileText(path,
                               std::string("One,2D,40,2,16,1\nTwo,2DD,80,2,8,2\0\nbroken", 41));
    list = ReadPresets(path);
    EXPECT_TRUE(list.Complete);
    EXPECT_EQ(NamesOf(list), (std::vector<std::string>{"One", "Two"}));

    testsupport::WriteFileText(path, "");
    list = ReadPresets(path);
    EXPECT_TRUE(list.Complete);
    EXPECT_TRUE(list.Items.empty());
}

TEST(PresetList, AFileThatCannotBeReadGivesAnIncompleteEmptyList) {
    testsupport::TempDir dir;
    for (const std::string& path : {dir.File("missing.dat"), dir.Path()}) {
        const TPresetList list = ReadPresets(path);
        EXPECT_FALSE(list.Complete) << path;
        EXPECT_TRUE(list.Items.empty()) << path;
    }
}

// A typo in the shipped list would reach every user, so each of its formats is built and its
// size checked against the D88 layout: the header, then a 16-byte header before every sector.
TEST(PresetList, TheShippedListIsCompleteAndEveryFormatBuildsItsBlankImage) {
    const TPresetList list =
        ReadPresets(std::string(TRACKWELL_SAMPLES_DIR) + "/../../../resources/Presets.dat");
    ASSERT_TRUE(list.Complete);
    ASSERT_GE(list.Items.size(), 7u);
    for (const auto& item : list.Items) {
        const TDiskFormat& f = item->DiskFormat;
        SCOPED_TRACE(item->Name);
        EXPECT_TRUE(f.DiskType == 0x00 || f.DiskType == 0x10 || f.DiskType == 0x20);
        for (const int32_t value : {f.C, f.H, f.R, f.N}) {
            EXPECT_GE(value, 0);
            EXPECT_LE(value, 255);
        }
        const TDiskImage image(f);
        EXPECT_EQ(image.Size(), 688 + f.C * f.H * f.R * (16 + (128 << f.N)));
        EXPECT_EQ(image.DiskType(), f.DiskType);
    }
}
