#include "Rtl_inifiles.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using rtl::EIniFileError;
using rtl::TMemIniFile;
using testsupport::MessageOf;
using testsupport::MessageWithReasonOf;

namespace {

// A document read from text, as if from a file; the path is never written.
std::string Reformatted(const std::string& text) {
    TMemIniFile file("/nonexistent-trackwell-folder/Settings.ini");
    file.SetText(text);
    return file.GetText();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Reading the file

TEST(IniFileOpen, AMissingFileGivesAnEmptyDocumentAndCreatesNothing) {
    testsupport::TempDir dir;
    const std::string path = dir.File("Settings.ini");
    TMemIniFile file(path);
    EXPECT_EQ(file.FileName(), path);
    EXPECT_EQ(file.GetText(), "");
    EXPECT_EQ(file.ReadString("ViewHandler", "ShowToolbar", "none"), "none");
    EXPECT_TRUE(testsupport::ListFolder(dir.Path()).empty());

    // A folder on the way that is a file is no file either.
    testsupport::WriteFileText(dir.File("plain"), "x");
    TMemIniFile below(dir.File("plain/Settings.ini"));
    EXPECT_EQ(below.GetText(), "");
}

TEST(IniFileOpen, AFolderAtThePathIsASettingsFileError) {
    testsupport::TempDir dir;
    const std::string path = dir.File("Settings.ini");
    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
    EXPECT_EQ(MessageOf<EIniFileError>([&] { TMemIniFile file(path); }),
              "Cannot open file \"" + path + "\". " + std::strerror(EISDIR));
}

TEST(IniFileOpen, AFifoAtThePathIsRefusedWithoutWaitingForAWriter) {
    testsupport::TempDir dir;
    const std::string path = dir.File("Settings.ini");
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    EXPECT_EQ(MessageOf<EIniFileError>([&] { TMemIniFile file(path); }),
              "Cannot open file \"" + path + "\". " + std::strerror(EINVAL));
}

TEST(IniFileOpen, ReadsTheWholeFileOfEveryLineEnding) {
    testsupport::TempDir dir;
    const std::string path = dir.File("Settings.ini");
    testsupport::WriteFileText(path, "[A]\r\none=1\ntwo=2\rthree=3\r\n\n\r[B]\rfour=4");
    TMemIniFile file(path);
    EXPECT_EQ(file.ReadString("A", "one", ""), "1");
    EXPECT_EQ(file.ReadString("A", "two", ""), "2");
    EXPECT_EQ(file.ReadString("A", "three", ""), "3");
    EXPECT_EQ(file.ReadString("B", "four", ""), "4");
    EXPECT_EQ(file.GetText(), "[A]\r\none=1\r\ntwo=2\r\nthree=3\r\n\r\n[B]\r\nfour=4\r\n\r\n");
}

// ---------------------------------------------------------------------------------------------
// The format's rules

TEST(IniFileFormat, TrimsSpacesAndControlCharactersAroundLinesNamesKeysAndValues) {
    const std::string text = " \t[  View Handler \t]\x01\r\n"
                             "\t Width \x1f=\t 16 words  apart \x0b\r\n"
                             "  \x7f"
                             "kept=\x7f  \r\n";
    TMemIniFile file("/nonexistent-trackwell-folder/Settings.ini");
    file.SetText(text);
    EXPECT_EQ(file.ReadString("View Handler", "Width", ""), "16 words  apart");
    // Only bytes up to the space are trimmed; DEL and the upper half are text.
    EXPECT_EQ(file.ReadString("View Handler",
                              "\x7f"
                              "kept",
                              ""),
              "\x7f");
    EXPECT_EQ(file.GetText(), "[View Handler]\r\nWidth=16 words  apart\r\n\x7f"
                              "kept=\x7f\r\n\r\n");
}

TEST(IniFileFormat, CommentsBlankLinesAndLinesBeforeTheFirstSectionAreNotWrittenBack) {
    EXPECT_EQ(Reformatted("orphan=1\r\n; first comment\r\nloose line\r\n"
                          "[S]\r\n\r\n   \r\n  ; indented comment\r\nkey=;not a comment\r\n"
                          ";key=hidden\r\n\t\r\n"),
              "[S]\r\nkey=;not a comment\r\n\r\n");
    TMemIniFile file("/nonexistent-trackwell-folder/Settings.ini");
    file.SetText("orphan=1\r\n[S]\r\n;key=hidden\r\n");
    EXPECT_EQ(file.ReadString("S", "orphan", "default"), "default");
    EXPECT_EQ(file.ReadString("S", ";key", "default"), "default");
    EXPECT_EQ(file.ReadString("S", "key", "default"), "default");
}

TEST(IniFileFormat, LinesWithoutEqualsAreKeptInPlaceButAreNoKeys) {
    TMemIniFile file("/nonexistent-trackwell-folder/Settings.ini");
    file.SetText("[S]\r\n  a line  of text \r\nkey=1\r\n[not a header\r\n");
    EXPECT_EQ(file.ReadString("S", "a line  of text", "default"), "default");
    EXPECT_EQ(file.ReadString("S", "[not a header", "default"), "default");
    file.WriteString("S", "added", "2");
    EXPECT_EQ(file.GetText(),
              "[S]\r\na line  of text\r\nkey=1\r\n[not a header\r\nadded=2\r\n\r\n");
}

TEST(IniFileFormat, SplitsKeyAndValueAtTheFirstEquals) {
    TMemIniFile file("/nonexistent-trackwell-folder/Settings.ini");
    file.SetText("[S]\r\nkey = a = b\r\nempty=\r\n=no key\r\n");
    EXPECT_EQ(file.ReadString("S", "key", ""), "a = b");
    EXPECT_EQ(file.ReadString("S", "empty", "default"), "");
    EXPECT_EQ(file.ReadString("S", "", "default"), "no key");
    EXPECT_EQ(file.GetText(), "[S]\r\nkey=a = b\r\nempty=\r\n=no key\r\n\r\n");
}

TEST(IniFileFormat, SectionHeadersNeedBothBracketsAndMayBeEmpty) {
    TMemIniFile file("/nonexistent-trackwell-folder/Settings.ini");
    file.SetText("[\r\n]\r\n[ ]\r\nin=empty\r\n[]\r\n[[x]]\r\ny=1\r\n");
    EXPECT_EQ(file.ReadString("", "in", ""), "empty");
    EXPECT_EQ(file.ReadString("[x]", "y", ""), "1");
    // "[" and "]" came before any section and are dropped; the two empty names stay apart.
    EXPECT_EQ(file.GetText(), "[]\r\nin=empty\r\n\r\n[]\r\n\r\n[[x]]\r\ny=1\r\n\r\n");
}

TEST(IniFileFormat, NamesMatchWithoutCaseAndTheFirstOccurrenceWins) {
    TMemIniFile file("/nonexistent-trackwell-folder/Settings.ini");
    file.SetText("[viewhandler]\r\nshowtoolbar=0\r\nShowToolbar=1\r\n"
                 "[VIEWHANDLER]\r\nShowToolbar=1\r\nRowSelect=1\r\n");
    EXPECT_FALSE(file.ReadBool("ViewHandler", "ShowToolbar", true));
    // The second section is never looked at, not even for keys the first one lacks.
    EXPECT_FALSE(file.ReadBool("ViewHandler", "RowSelect", false));

    // A write goes to the first occurrence too, in the caller's spelling of the key.
    file.WriteBool("VIEWHANDLER", "SHOWTOOLBAR", true);
    file.WriteBool("ViewHandler", "RowSelect", true);
    EXPECT_TRUE(file.ReadBool("viewhandler", "showtoolbar", false));
    EXPECT_EQ(file.GetText(), "[viewhandler]\r\nSHOWTOOLBAR=1\r\nShowToolbar=1\r\nRowSelect=1\r\n"
                              "\r\n[VIEWHANDLER]\r\nShowToolbar=1\r\nRowSelect=1\r\n\r\n");
}

TEST(IniFileFormat, CaseFoldsAsciiLettersOnly) {
    TMemIniFile file("/nonexistent-trackwell-folder/Settings.ini");
    file.SetText("[\xc3\x84]\r\n\xc3\xa4=1\r\n");
    EXPECT_EQ(file.ReadString("\xc3\x84", "\xc3\xa4", ""), "1");
    EXPECT_EQ(file.ReadString("\xc3\xa4", "\xc3\xa4", "default"), "default");
    EXPECT_EQ(file.ReadString("\xc3\x84", "\xc3\x84", "default"), "default");
}

// ---------------------------------------------------------------------------------------------
// Writing strings

TEST(IniFileWrite, CreatesSectionsAtTheEndReplacesInPlaceAndAppendsNewKeys) {
    TMemIniFile file("/nonexistent-trackwell-folder/Settings.ini");
    file.SetText("[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n");
    file.WriteString("A", "x", "one");
    file.WriteString("a", "new", "n");
    file.WriteString("C", "c", "");
    file.WriteString("B", "z", "  spaced  ");
    EXPECT_EQ(file.ReadString("A", "x", ""), "one");
    EXPECT_EQ(file.ReadString("B", "z", ""), "  spaced  ");
    EXPECT_EQ(file.ReadString("C", "c", "default"), "");
    EXPECT_EQ(file.GetText(), "[A]\r\nx=one\r\ny=2\r\nnew=n\r\n\r\n[B]\r\nz=  spaced  \r\n\r\n"
                              "[C]\r\nc=\r\n\r\n");
}

TEST(IniFileWrite, ReadsMissingSectionsAndKeysAsTheDefault) {
    TMemIniFile file("/nonexistent-trackwell-folder/Settings.ini");
    file.WriteString("S", "k", "v");
    EXPECT_EQ(file.ReadString("T", "k", "default"), "default");
    EXPECT_EQ(file.ReadString("S", "other", "default"), "default");
    EXPECT_EQ(file.ReadInteger("T", "k", -7), -7);
    EXPECT_TRUE(file.ReadBool("T", "k", true));
    EXPECT_FALSE(file.ReadBool("T", "k", false));
}

// ---------------------------------------------------------------------------------------------
// Typed values

TEST(IniFileIntegers, ReadsDecimalHexadecimalAndFallsBackOnAnythingElse) {
    TMemIniFile file("/nonexistent-trackwell-folder/Settings.ini");
    file.SetText("[W]\r\n"
                 "spaced= 16 \r\nhex=0x10\r\nupper=0XfF\r\ndollar=$20\r\nx=x11\r\n"
                 "negative=-5\r\nplus=+5\r\nletters=abc\r\nempty=\r\nprefix=0x\r\n"
                 "negativehex=0x-5\r\nmixed=12ab\r\ntoolarge=2147483648\r\nlowest=-2147483648\r\n"
                 "hextoolarge=0x80000000\r\ninner=1 2\r\n");
    EXPECT_EQ(file.ReadInteger("W", "spaced", -1), 16);
    EXPECT_EQ(file.ReadInteger("W", "hex", -1), 16);
    EXPECT_EQ(file.ReadInteger("W", "upper", -1), 255);
    EXPECT_EQ(file.ReadInteger("W", "dollar", -1), 32);
    EXPECT_EQ(file.ReadInteger("W", "x", -1), 17);
    EXPECT_EQ(file.ReadInteger("W", "negative", -1), -5);
    EXPECT_EQ(file.ReadInteger("W", "plus", -1), 5);
    EXPECT_EQ(file.ReadInteger("W", "lowest", -1), INT32_MIN);
    for (const char* key :
         {"letters", "empty", "prefix", "negativehex", "mixed", "toolarge", "hextoolarge", "inner"})
        EXPECT_EQ(file.ReadInteger("W", key, -99), -99) << key;
}

TEST(IniFileIntegers, WritesSignedDecimalThatReadsBack) {
    TMemIniFile file("/nonexistent-trackwell-folder/Settings.ini");
    for (const int32_t value : {0, 7, -7, INT32_MAX, INT32_MIN}) {
        file.WriteInteger("I", "v", value);
        EXPECT_EQ(file.ReadString("I", "v", ""), std::to_string(value));
        EXPECT_EQ(file.ReadInteger("I", "v", 1), value);
    }
}

TEST(IniFileBools, ReadsNonZeroAsTrueAndWritesOneOrZero) {
    TMemIniFile file("/nonexistent-trackwell-folder/Settings.ini");
    file.SetText("[B]\r\ntwo=2\r\nzero=0\r\nminus=-1\r\nhex=0x0\r\nword=yes\r\nfalse=false\r\n");
    EXPECT_TRUE(file.ReadBool("B", "two", false));
    EXPECT_TRUE(file.ReadBool("B", "minus", false));
    EXPECT_FALSE(file.ReadBool("B", "zero", true));
    EXPECT_FALSE(file.ReadBool("B", "hex", true));
    // Words are no integers: the default decides.
    EXPECT_TRUE(file.ReadBool("B", "word", true));
    EXPECT_FALSE(file.ReadBool("B", "word", false));
    EXPECT_TRUE(file.ReadBool("B", "false", true));

    file.WriteBool("B", "two", false);
    file.WriteBool("B", "new", true);
    EXPECT_EQ(file.ReadString("B", "two", ""), "0");
    EXPECT_EQ(file.ReadString("B", "new", ""), "1");
}

// ---------------------------------------------------------------------------------------------
// Writing the file

TEST(IniFileUpdate, WritesTheDocumentWithCrLfAndKeepsWhatNobodyWrote) {
    testsupport::TempDir dir;
    const std::string path = dir.File("Settings.ini");
    testsupport::WriteFileText(
        path, "; written by hand\n[Other]\nkeep = this\n\n[ViewHandler]\nShowToolbar=0\n"
              "note without equals\n[Unknown]\n");
    TMemIniFile file(path);
    file.WriteBool("ViewHandler", "ShowToolbar", true);
    file.WriteInteger("ViewHandler.Placement.ListView.Column:0", "Width", 120);
    file.UpdateFile();
    const std::string expected = "[Other]\r\nkeep=this\r\n\r\n"
                                 "[ViewHandler]\r\nShowToolbar=1\r\nnote without equals\r\n\r\n"
                                 "[Unknown]\r\n\r\n"
                                 "[ViewHandler.Placement.ListView.Column:0]\r\nWidth=120\r\n\r\n";
    EXPECT_EQ(testsupport::ReadFileText(path), expected);
    EXPECT_EQ(testsupport::ListFolder(dir.Path()), std::vector<std::string>{"Settings.ini"});

    // Written once more unchanged, the file stays the same to the byte.
    TMemIniFile again(path);
    EXPECT_EQ(again.GetText(), expected);
    again.UpdateFile();
    EXPECT_EQ(testsupport::ReadFileText(path), expected);
}

TEST(IniFileUpdate, AnEmptyDocumentMakesAnEmptyFile) {
    testsupport::TempDir dir;
    const std::string path = dir.File("Settings.ini");
    TMemIniFile file(path);
    file.UpdateFile();
    EXPECT_EQ(testsupport::ReadFileText(path), "");
    testsupport::WriteFileText(path, "before the first section=1\r\n");
    TMemIniFile dropped(path);
    dropped.UpdateFile();
    EXPECT_EQ(testsupport::ReadFileText(path), "");
}

TEST(IniFileUpdate, KeepsThePermissionsAndReplacesTheTargetOfALink) {
    testsupport::TempDir dir;
    const std::string path = dir.File("real.ini");
    const std::string link = dir.File("Settings.ini");
    testsupport::WriteFileText(path, "[S]\r\nk=old\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("real.ini", link.c_str()), 0);
    TMemIniFile file(link);
    EXPECT_EQ(file.ReadString("S", "k", ""), "old");
    file.WriteString("S", "k", "new");
    file.UpdateFile();

    struct stat info {};
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(testsupport::ReadFileText(path), "[S]\r\nk=new\r\n\r\n");
    EXPECT_EQ(testsupport::ListFolder(dir.Path()),
              (std::vector<std::string>{"Settings.ini", "real.ini"}));
}

TEST(IniFileUpdate, AWriteThatFailsHalfWayLeavesTheOldFileByteIdenticalAndNoTemporary) {
    testsupport::TempDir dir;
    const std::string path = dir.File("Settings.ini");
    const std::string old = "[Old]\r\nkey=value\r\n; a comment that a save would drop\r\n";
    testsupport::WriteFileText(path, old);
    TMemIniFile file(path);
    for (int i = 0; i < 5000; ++i)
        file.WriteInteger("Big", "Key" + std::to_string(i), i);
    {
        testsupport::FileSizeLimit limit(4096);
        EXPECT_EQ(MessageWithReasonOf<EIniFileError>([&] { file.UpdateFile(); }),
                  "Cannot write file \"" + path + "\".\n" + std::strerror(EFBIG) + ": " + path);
    }
    EXPECT_EQ(testsupport::ReadFileText(path), old);
    EXPECT_EQ(testsupport::ListFolder(dir.Path()), std::vector<std::string>{"Settings.ini"});

    // The document itself is untouched by the failure and can be written later.
    file.UpdateFile();
    TMemIniFile written(path);
    EXPECT_EQ(written.ReadInteger("Big", "key4999", -1), 4999);
    EXPECT_EQ(written.ReadString("Old", "key", ""), "value");
}

TEST(IniFileUpdate, FailsWithoutCreatingAnythingWhenTheFolderIsMissingOrAFolderIsInTheWay) {
    testsupport::TempDir dir;
    const std::string missing = dir.File("missing/Settings.ini");
    TMemIniFile file(missing);
    file.WriteString("S", "k", "v");
    EXPECT_EQ(MessageWithReasonOf<EIniFileError>([&] { file.UpdateFile(); }),
              "Cannot write file \"" + missing + "\".\n" + std::strerror(ENOENT) + ": " + missing);
    EXPECT_TRUE(testsupport::ListFolder(dir.Path()).empty());

    // A folder that appeared at the path since the document was read cannot be replaced:
    // the rename fails and the temporary goes.
    const std::string path = dir.File("Settings.ini");
    TMemIniFile late(path);
    late.WriteString("S", "k", "v");
    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
    testsupport::WriteFileText(path + "/inside", "x");
    EXPECT_EQ(MessageWithReasonOf<EIniFileError>([&] { late.UpdateFile(); }),
              "Cannot write file \"" + path + "\".\n" + std::strerror(EISDIR) + ": " + path);
    EXPECT_EQ(testsupport::ListFolder(dir.Path()), std::vector<std::string>{"Settings.ini"});
    EXPECT_EQ(testsupport::ListFolder(path), std::vector<std::string>{"inside"});
}

// ---------------------------------------------------------------------------------------------
// Large documents

TEST(IniFileLarge, ManyKeysAndSectionsAreReadAndWrittenInLinearTime) {
    // Lookups that walk the lines or sections would take minutes here instead of a moment.
    const int count = 50000;
    std::string text = "[Keys]\r\n";
    for (int i = 0; i < count; ++i)
        text += "Key" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    text += "key0=duplicate\r\n";
    for (int i = 0; i < count; ++i)
        text += "[Section" + std::to_string(i) + "]\r\n";
    TMemIniFile file("/nonexistent-trackwell-folder/Settings.ini");
    file.SetText(text);
    EXPECT_EQ(file.ReadInteger("keys", "KEY0", -1), 0);
    EXPECT_EQ(file.ReadInteger("keys", "key49999", -1), count - 1);
    for (int i = 0; i < count; ++i)
        file.WriteInteger("section" + std::to_string(i), "k", i);
    for (int i = 0; i < count; ++i)
        file.WriteInteger("Keys", "New" + std::to_string(i), i);
    EXPECT_EQ(file.ReadInteger("Section12345", "K", -1), 12345);
    EXPECT_EQ(file.ReadInteger("Keys", "new49999", -1), count - 1);

    TMemIniFile reread("/nonexistent-trackwell-folder/Settings.ini");
    reread.SetText(file.GetText());
    EXPECT_EQ(reread.GetText(), file.GetText());
    EXPECT_EQ(reread.ReadString("Keys", "key0", ""), "0");
}
