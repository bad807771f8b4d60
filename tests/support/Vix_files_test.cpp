#include "Vix_files.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <functional>
#include <string>

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

const char* const NotFileNameCharMessage =
    "The program cannot determine whether the character can be used for a file name.";
const char* const NotWildcardCharMessage =
    "The program cannot determine whether the character is a wildcard character.";
const char* const NoLongPathMessage = "The program could not get the long form of the path.";

// CP932 two-byte characters whose trail byte is a forbidden single-byte character.
const std::string KatakanaSo = "\x83\x5C";   // trail byte is '\'
const std::string KanjiWithBar = "\x95\x7C"; // trail byte is '|'

TEST(VixFilesTest, FileNameTableRefusesControlBytesAndNineCharacters) {
    const std::string forbidden = "\"*/:<>?\\|";
    int allowed = 0;
    for (int c = 0; c <= 0xFF; ++c) {
        const bool expected =
            c >= 0x20 && forbidden.find(static_cast<char>(c)) == std::string::npos;
        EXPECT_EQ(IsFileNameChar(c), expected) << "byte " << c;
        allowed += IsFileNameChar(c) ? 1 : 0;
    }
    EXPECT_EQ(allowed, 256 - 32 - 9);
    for (int c : {0x20, 0x2E, 0x3B, 0x3D, 0x5B, 0x5D, 0x7F, 0x80, 0x81, 0xA0, 0xFF})
        EXPECT_TRUE(IsFileNameChar(c)) << "byte " << c;
    for (int c : {0x00, 0x09, 0x1F})
        EXPECT_FALSE(IsFileNameChar(c)) << "byte " << c;
}

TEST(VixFilesTest, WildcardTableHoldsOnlyStarAndQuestionMark) {
    for (int c = 0; c <= 0xFF; ++c)
        EXPECT_EQ(IsWildcardChar(c), c == '*' || c == '?') << "byte " << c;
}

TEST(VixFilesTest, CharacterTablesRefuseValuesOutsideAByte) {
    for (int c : {-1, 256, INT_MIN, INT_MAX}) {
        EXPECT_EQ(testsupport::MessageOf<EFileError>([c] { IsFileNameChar(c); }),
                  NotFileNameCharMessage);
        EXPECT_EQ(testsupport::MessageOf<EFileError>([c] { IsWildcardChar(c); }),
                  NotWildcardCharMessage);
    }
    // A high byte read through a signed char is negative; callers must widen via unsigned char.
    EXPECT_EQ(
        testsupport::MessageOf<EFileError>([] { IsFileNameChar(static_cast<signed char>(0xE0)); }),
        NotFileNameCharMessage);
    EXPECT_TRUE(IsFileNameChar(static_cast<unsigned char>(0xE0)));
}

TEST(VixFilesTest, FindNonFileNameCharGivesOneBasedPositionOfFirstBadCharacter) {
    EXPECT_EQ(FindNonFileNameChar(""), -1);
    EXPECT_EQ(FindNonFileNameChar("disk image [1].d88"), -1);
    EXPECT_EQ(FindNonFileNameChar("/abc"), 1);
    EXPECT_EQ(FindNonFileNameChar("a/b:c"), 2);
    EXPECT_EQ(FindNonFileNameChar("abc|"), 4);
    EXPECT_EQ(FindNonFileNameChar("ab\tc"), 3);
    EXPECT_EQ(FindNonFileNameChar(std::string("ab\0c", 4)), 3);
}

TEST(VixFilesTest, FindNonFileNameCharStepsOverTrailBytes) {
    EXPECT_EQ(FindNonFileNameChar(KatakanaSo), -1);
    EXPECT_EQ(FindNonFileNameChar(KanjiWithBar), -1);
    EXPECT_EQ(FindNonFileNameChar("x" + KatakanaSo + KanjiWithBar + "y"), -1);
    EXPECT_EQ(FindNonFileNameChar(KatakanaSo + "\\"), 3);
    EXPECT_EQ(FindNonFileNameChar(KanjiWithBar + "a|"), 4);
    EXPECT_EQ(FindNonFileNameChar("\xFC\x7C|"), 3); // 0xFC is the last lead byte
    // 0x80, 0xA0-0xDF and 0xFD-0xFF are single bytes, so the byte after them is tested.
    EXPECT_EQ(FindNonFileNameChar("\x80|"), 2);
    EXPECT_EQ(FindNonFileNameChar("\xB1\\"), 2);
    EXPECT_EQ(FindNonFileNameChar("\xDF\\"), 2);
    EXPECT_EQ(FindNonFileNameChar("\xFD|"), 2);
    // A lead byte as the last byte is tested itself and ends the scan.
    EXPECT_EQ(FindNonFileNameChar("ab\x83"), -1);
}

TEST(VixFilesTest, FindWildcardCharFindsStarOrQuestionMarkOutsideTrailBytes) {
    EXPECT_EQ(FindWildcardChar(""), -1);
    EXPECT_EQ(FindWildcardChar("a/b:c|d"), -1);
    EXPECT_EQ(FindWildcardChar("*.d88"), 1);
    EXPECT_EQ(FindWildcardChar("disk?.d88"), 5);
    EXPECT_EQ(FindWildcardChar("a?b*"), 2);
    // A wildcard can never end a two-byte character: the lead byte before one stands alone.
    EXPECT_EQ(FindWildcardChar("\x81*"), 2);
    EXPECT_EQ(FindWildcardChar("\x83\x5C?"), 3);
    EXPECT_EQ(FindWildcardChar("\xB1*"), 2);
}

TEST(VixFilesTest, MakeFileNameReplacesEveryBadCharacter) {
    EXPECT_EQ(MakeFileName("A/B:C*", '_'), "A_B_C_");
    EXPECT_EQ(MakeFileName("a\tb", '_'), "a_b");
    EXPECT_EQ(MakeFileName("\"*/:<>?\\|", '_'), "_________");
    EXPECT_EQ(MakeFileName(std::string("a\0b\x1F", 4), '_'), "a_b_");
    // DEL is allowed in file names, yet no name made for the user may hold a control byte.
    EXPECT_TRUE(IsFileNameChar(0x7F));
    EXPECT_EQ(MakeFileName("\x1B[2Ja\x7F\n", '_'), "_[2Ja__");
    EXPECT_EQ(MakeFileName("\x81\x7F", '_'), "\x81_");
    EXPECT_EQ(MakeFileName("Game Disk [A].d88", '_'), "Game Disk [A].d88");
    EXPECT_EQ(MakeFileName("", '_'), "");
    EXPECT_EQ(MakeFileName("a<b>c", '-'), "a-b-c");
}

TEST(VixFilesTest, MakeFileNameKeepsTwoByteCharactersIntact) {
    EXPECT_EQ(MakeFileName(KatakanaSo, '_'), KatakanaSo);
    EXPECT_EQ(MakeFileName(KanjiWithBar, '_'), KanjiWithBar);
    EXPECT_EQ(MakeFileName(KatakanaSo + "\\" + KanjiWithBar + "|", '_'),
              KatakanaSo + "_" + KanjiWithBar + "_");
    EXPECT_EQ(MakeFileName("\xB1\\", '_'), "\xB1_");
}

TEST(VixFilesTest, HasDriveFollowsTheWindowsRule) {
    for (const char* path :
         {"C:", "C:file.d88", "C:\\dir\\file.d88", "z:/x", "\\\\server\\share\\file.d88", "\\\\"})
        EXPECT_TRUE(HasDrive(path)) << path;
    for (const char* path :
         {"", "C", "file.d88", ".\\file.d88", "\\dir\\file.d88", "\\x", "/dir/file.d88", "ab:c"})
        EXPECT_FALSE(HasDrive(path)) << path;
}

#ifdef _WIN32
TEST(VixFilesTest, IsRelativePathIsTrueWithoutDrive) {
    for (const char* path : {"file.d88", ".\\file.d88", "\\dir\\file.d88"})
        EXPECT_TRUE(IsRelativePath(path)) << path;
    for (const char* path : {"C:file.d88", "C:\\dir\\file.d88", "\\\\server\\share\\file.d88"})
        EXPECT_FALSE(IsRelativePath(path)) << path;
}
#else
TEST(VixFilesTest, IsRelativePathIsTrueUnlessRootedAtSlash) {
    for (const char* path : {"", "file.d88", "./file.d88", "../file.d88", "C:file.d88", "~/x"})
        EXPECT_TRUE(IsRelativePath(path)) << path;
    for (const char* path : {"/", "/dir/file.d88", "//server/share"})
        EXPECT_FALSE(IsRelativePath(path)) << path;
}
#endif

// A temporary folder whose own path is already canonical, so expected long paths can be built
// from it even where the temporary folder lies behind a symbolic link.
class VixLongPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        Root = fs::canonical(Dir.Path()).string();
        testsupport::WriteFileBytes(Root + "/disk.d88", {0x01});
        fs::create_directory(Root + "/sub");
    }
    TempDir Dir;
    std::string Root;
};

TEST_F(VixLongPathTest, ExistingPathsResolveToCanonicalForm) {
    std::string longPath;
    ASSERT_TRUE(TryGetLongPath(Dir.File("disk.d88"), longPath));
    EXPECT_EQ(longPath, Root + "/disk.d88");
    ASSERT_TRUE(TryGetLongPath(Root + "/sub/../disk.d88", longPath));
    EXPECT_EQ(longPath, Root + "/disk.d88");
    ASSERT_TRUE(TryGetLongPath(Root + "/./sub//", longPath));
    EXPECT_EQ(longPath, Root + "/sub");
    fs::create_symlink(Root + "/disk.d88", Root + "/sub/link.d88");
    ASSERT_TRUE(TryGetLongPath(Root + "/sub/link.d88", longPath));
    EXPECT_EQ(longPath, Root + "/disk.d88");
    fs::create_directory_symlink(Root + "/sub", Root + "/alias");
    ASSERT_TRUE(TryGetLongPath(Root + "/alias", longPath));
    EXPECT_EQ(longPath, Root + "/sub");
    EXPECT_EQ(GetLongPath(Root + "/sub/link.d88"), Root + "/disk.d88");
}

TEST_F(VixLongPathTest, RelativePathResolvesAgainstCurrentFolder) {
    const fs::path saved = fs::current_path();
    fs::current_path(Root + "/sub");
    std::string longPath;
    const bool found = TryGetLongPath("../disk.d88", longPath);
    fs::current_path(saved);
    ASSERT_TRUE(found);
    EXPECT_EQ(longPath, Root + "/disk.d88");
}

TEST_F(VixLongPathTest, UnobtainablePathsGiveFalseAndLeaveResultAlone) {
    // "*" and "?" are ordinary characters of a file name here.
    testsupport::WriteFileBytes(Root + "/a*b.d88", {0x01});
    testsupport::WriteFileBytes(Root + "/a?b.d88", {0x01});
    std::string longPath;
    ASSERT_TRUE(TryGetLongPath(Root + "/a*b.d88", longPath));
    EXPECT_EQ(longPath, Root + "/a*b.d88");
    ASSERT_TRUE(TryGetLongPath(Root + "/a?b.d88", longPath));
    const std::string paths[] = {
        "",
        Root + "/missing.d88",
        Root + "/missing/../disk.d88",
        Root + "/disk.d88/",
        Root + "/*.d88",
        Root + std::string("/disk.d88\0/x", 12),
    };
    for (const std::string& path : paths) {
        std::string longPath = "untouched";
        EXPECT_FALSE(TryGetLongPath(path, longPath)) << path;
        EXPECT_EQ(longPath, "untouched") << path;
        EXPECT_EQ(testsupport::MessageOf<EFileError>([&path] { GetLongPath(path); }),
                  NoLongPathMessage)
            << path;
    }
}

TEST_F(VixLongPathTest, PathAtTheLengthLimitIsRefused) {
    // Redundant slashes name the same existing file at any length.
    const std::string tail = "/disk.d88";
    const auto padded = [&](std::size_t length) {
        return Root + std::string(length - Root.size() - tail.size(), '/') + tail;
    };
    std::string longPath;
    const std::string justUnder = padded(PATH_MAX - 1);
    ASSERT_EQ(justUnder.size(), static_cast<std::size_t>(PATH_MAX - 1));
    ASSERT_TRUE(TryGetLongPath(justUnder, longPath));
    EXPECT_EQ(longPath, Root + tail);
    for (std::size_t length : {std::size_t{PATH_MAX}, std::size_t{PATH_MAX} + 1}) {
        const std::string tooLong = padded(length);
        ASSERT_EQ(tooLong.size(), length);
        EXPECT_FALSE(TryGetLongPath(tooLong, longPath)) << length;
        EXPECT_EQ(testsupport::MessageOf<EFileError>([&tooLong] { GetLongPath(tooLong); }),
                  NoLongPathMessage);
    }
}

} // namespace
