#include "Vix_shelllinks.h"

#include "Rtl_bytes.h"
#include "TestSupport.h"
#include "Vix_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using testsupport::Bytes;
using testsupport::MessageOf;
using testsupport::TempDir;

const char* const LoadMessage = "The program could not load a shell link.";
const char* const SaveMessage = "The program could not save a shell link.";
const char* const SetMessage = "The program could not set a property of a shell link.";
const char* const ResolveMessage = "The program could not resolve a shell link.";

// ---------------------------------------------------------------------------------------------
// Shortcuts made by hand from the public description of the format ([MS-SHLLINK]).

void PutU16(Bytes& out, uint16_t value) {
    rtl::AppendLe16(out, value);
}

void PutU32(Bytes& out, uint32_t value) {
    rtl::AppendLe32(out, value);
}

void PutText(Bytes& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

uint32_t U32At(const Bytes& data, size_t at) {
    uint32_t value = 0;
    for (int k = 3; k >= 0; --k)
        value = (value << 8) | data.at(at + static_cast<size_t>(k));
    return value;
}

uint16_t U16At(const Bytes& data, size_t at) {
    return static_cast<uint16_t>(data.at(at) | (data.at(at + 1) << 8));
}

const uint32_t HasLinkTargetIDList = 0x01;
const uint32_t HasLinkInfo = 0x02;
const uint32_t HasIconLocation = 0x40;
const uint32_t IsUnicode = 0x80;

const uint8_t LinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                               0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// ShellLinkHeader: 0x4C bytes, times and attributes zero, SW_SHOWNORMAL.
Bytes Header(uint32_t flags, int32_t iconIndex = 0) {
    Bytes out;
    PutU32(out, 0x4C);
    out.insert(out.end(), std::begin(LinkClsid), std::end(LinkClsid));
    PutU32(out, flags);
    for (int k = 0; k < 8; ++k)
        PutU32(out, 0); // attributes, three FILETIMEs, file size
    PutU32(out, static_cast<uint32_t>(iconIndex));
    PutU32(out, 1);
    for (int k = 0; k < 3; ++k)
        PutU32(out, 0); // hot key and reserved fields
    return out;
}

// LinkInfo with the short (0x1C) header: VolumeID and the ANSI LocalBasePath and
// CommonPathSuffix only, as older Windows writes it.
Bytes AnsiLinkInfo(const std::string& basePath, const std::string& suffix = "") {
    Bytes volume;
    PutU32(volume, 0x11); // VolumeIDSize
    PutU32(volume, 3);    // DRIVE_FIXED
    PutU32(volume, 0x1234ABCD);
    PutU32(volume, 0x10); // VolumeLabelOffset
    volume.push_back(0);

    const uint32_t headerSize = 0x1C;
    const uint32_t volumeOffset = headerSize;
    const auto basePathOffset = static_cast<uint32_t>(volumeOffset + volume.size());
    const auto suffixOffset = static_cast<uint32_t>(basePathOffset + basePath.size() + 1);
    const auto total = static_cast<uint32_t>(suffixOffset + suffix.size() + 1);

    Bytes out;
    PutU32(out, total);
    PutU32(out, headerSize);
    PutU32(out, 1); // VolumeIDAndLocalBasePath
    PutU32(out, volumeOffset);
    PutU32(out, basePathOffset);
    PutU32(out, 0); // no CommonNetworkRelativeLink
    PutU32(out, suffixOffset);
    out.insert(out.end(), volume.begin(), volume.end());
    PutText(out, basePath);
    out.push_back(0);
    PutText(out, suffix);
    out.push_back(0);
    return out;
}

// A StringData entry of a Unicode shortcut: a count of UTF-16 units, then the units.
Bytes UnicodeString(const std::u16string& text) {
    Bytes out;
    PutU16(out, static_cast<uint16_t>(text.size()));
    for (char16_t unit : text)
        PutU16(out, unit);
    return out;
}

// A LinkTargetIDList holding the root item of "My Computer" (its CLSID) and the terminal ID.
Bytes MyComputerIDList() {
    const Bytes item = {0x14, 0x00, 0x1F, 0x50, 0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A,
                        0x69, 0x10, 0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};
    Bytes out;
    PutU16(out, static_cast<uint16_t>(item.size() + 2));
    out.insert(out.end(), item.begin(), item.end());
    PutU16(out, 0);
    return out;
}

// An EnvironmentVariableDataBlock: 0x314 bytes, an ANSI and a Unicode target of fixed size.
Bytes EnvironmentBlock(const std::string& ascii) {
    Bytes out;
    PutU32(out, 0x314);
    PutU32(out, 0xA0000001);
    Bytes ansi(260, 0);
    std::copy(ascii.begin(), ascii.end(), ansi.begin());
    out.insert(out.end(), ansi.begin(), ansi.end());
    Bytes unicode(520, 0);
    for (size_t k = 0; k < ascii.size(); ++k)
        unicode[2 * k] = static_cast<uint8_t>(ascii[k]);
    out.insert(out.end(), unicode.begin(), unicode.end());
    return out;
}

// An ANSI StringData entry of a shortcut without IsUnicode.
Bytes AnsiString(const std::string& text) {
    Bytes out;
    PutU16(out, static_cast<uint16_t>(text.size()));
    PutText(out, text);
    return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

const Bytes Terminal = {0, 0, 0, 0};

// ---------------------------------------------------------------------------------------------

struct TLinkValues {
    std::string Path;
    std::string IconLocation;
    int IconIndex;
};

TLinkValues ValuesOf(TShellLink& link) {
    TLinkValues values{link.GetPath(), "", 0};
    link.GetIconLocation(values.IconLocation, values.IconIndex);
    return values;
}

void ExpectValues(TShellLink& link, const TLinkValues& expected, const std::string& context) {
    const TLinkValues actual = ValuesOf(link);
    EXPECT_EQ(actual.Path, expected.Path) << context;
    EXPECT_EQ(actual.IconLocation, expected.IconLocation) << context;
    EXPECT_EQ(actual.IconIndex, expected.IconIndex) << context;
}

TLinkValues LoadValues(const std::string& fileName) {
    TShellLink link;
    link.LoadFromFile(fileName);
    return ValuesOf(link);
}

// A link holding values that no test file has, to see that a failed load leaves them alone.
void FillWithSentinels(TShellLink& link) {
    link.SetPath("/sentinel/path.d88");
    link.SetIconLocation("/sentinel/icon.ico", 77);
}
const TLinkValues Sentinels{"/sentinel/path.d88", "/sentinel/icon.ico", 77};

Bytes SavedBytes(const TempDir& dir, const TLinkValues& values) {
    TShellLink link;
    link.SetPath(values.Path);
    link.SetIconLocation(values.IconLocation, values.IconIndex);
    const std::string fileName = dir.File("saved.lnk");
    link.SaveToFile(fileName);
    return testsupport::ReadFileBytes(fileName);
}

// Writes a fresh file each time: rewriting one in place makes ext4 flush it at every close,
// which turns the many small files of the damage tests into seconds of waiting.
void WriteFreshFile(const std::string& fileName, const Bytes& bytes) {
    fs::remove(fileName);
    testsupport::WriteFileBytes(fileName, bytes);
}

// Changes the current folder for one scope.
class TCurrentFolder {
public:
    explicit TCurrentFolder(const std::string& path) : FPrevious(fs::current_path()) {
        fs::current_path(path);
    }
    ~TCurrentFolder() { fs::current_path(FPrevious); }
    TCurrentFolder(const TCurrentFolder&) = delete;
    TCurrentFolder& operator=(const TCurrentFolder&) = delete;

private:
    fs::path FPrevious;
};

// ---------------------------------------------------------------------------------------------

TEST(VixShellLinkTest, WrittenShortcutsReadBackThroughLiblnk) {
    TempDir dir;
    const std::vector<TLinkValues> cases = {
        {"/home/user/games/disk.d88", "/usr/share/icons/disk.ico", 3},
        {"/tmp/x.d77", "", 0},
        {"/tmp/x.d77", "", -7}, // an index without a location string lives in the header
        {"", "/icons/only.ico", -2},
        {"", "", 0},
        // Code page 932 characters, characters the code page lacks, one outside the BMP.
        {"/ゲーム/ディスク 1.d88", "/アイコン/表.ico", 1},
        {"/café/naïve-€.d88", "/icons/表€.ico", 2147483647},
        {std::string("/") + std::string(300, 'p') + ".d88", std::string(400, 'i'), -2147483647 - 1},
    };
    for (const TLinkValues& values : cases) {
        const std::string context = "path " + values.Path.substr(0, 40);
        TShellLink writer;
        writer.SetPath(values.Path);
        writer.SetIconLocation(values.IconLocation, values.IconIndex);
        ExpectValues(writer, values, context + " (before saving)");
        const std::string fileName = dir.File("round.lnk");
        writer.SaveToFile(fileName);

        TShellLink reader;
        FillWithSentinels(reader);
        reader.LoadFromFile(fileName);
        ExpectValues(reader, values, context);

        // Saving what was loaded gives the same file again.
        const std::string again = dir.File("again.lnk");
        reader.SaveToFile(again);
        EXPECT_EQ(testsupport::ReadFileBytes(again), testsupport::ReadFileBytes(fileName))
            << context;
    }
    EXPECT_EQ(testsupport::ListFolder(dir.Path()),
              (std::vector<std::string>{"again.lnk", "round.lnk"}));
}

TEST(VixShellLinkTest, WriterLaysOutHeaderLinkInfoAndIconString) {
    TempDir dir;
    // "ゲ" is 0x83 0x51 in code page 932; "é" is not in it and is written as '?'.
    const Bytes data = SavedBytes(dir, {"/ゲé/a.d88", "/i.ico", -5});

    ASSERT_GE(data.size(), 0x4Cu);
    EXPECT_EQ(U32At(data, 0), 0x4Cu);
    EXPECT_TRUE(std::equal(std::begin(LinkClsid), std::end(LinkClsid), data.begin() + 4));
    EXPECT_EQ(U32At(data, 0x14), HasLinkInfo | HasIconLocation | IsUnicode);
    EXPECT_EQ(static_cast<int32_t>(U32At(data, 0x38)), -5);
    EXPECT_EQ(U32At(data, 0x3C), 1u); // SW_SHOWNORMAL
    for (size_t at = 0x18; at < 0x38; ++at)
        EXPECT_EQ(data[at], 0) << "attributes, times or size at " << at;

    const size_t info = 0x4C;
    const uint32_t infoSize = U32At(data, info);
    EXPECT_EQ(U32At(data, info + 4), 0x24u);
    EXPECT_EQ(U32At(data, info + 8), 1u);
    const uint32_t volumeOffset = U32At(data, info + 12);
    EXPECT_GT(U32At(data, info + volumeOffset), 0x10u);
    EXPECT_EQ(U32At(data, info + 20), 0u); // no network link

    const Bytes ansi(data.begin() + info + U32At(data, info + 16),
                     data.begin() + info + U32At(data, info + 16) + 11);
    EXPECT_EQ(ansi, (Bytes{'/', 0x83, 0x51, '?', '/', 'a', '.', 'd', '8', '8', 0}));
    EXPECT_EQ(data.at(info + U32At(data, info + 24)), 0); // empty CommonPathSuffix
    const size_t unicode = info + U32At(data, info + 28);
    const std::vector<uint16_t> expectedUnicode = {'/', 0x30B2, 0x00E9, '/', 'a',
                                                   '.', 'd',    '8',    '8', 0};
    for (size_t k = 0; k < expectedUnicode.size(); ++k)
        EXPECT_EQ(U16At(data, unicode + 2 * k), expectedUnicode[k]) << "unit " << k;
    EXPECT_EQ(U16At(data, info + U32At(data, info + 32)), 0); // empty Unicode suffix
    ASSERT_LE(info + infoSize, data.size());

    const size_t icon = info + infoSize;
    EXPECT_EQ(U16At(data, icon), 6);
    for (size_t k = 0; k < 6; ++k)
        EXPECT_EQ(U16At(data, icon + 2 + 2 * k), static_cast<uint8_t>("/i.ico"[k]));
    EXPECT_EQ(data.size(), icon + 2 + 12 + 4);
    EXPECT_EQ(U32At(data, data.size() - 4), 0u);

    // Without a path there is no link info at all, and without an icon no string data.
    const Bytes bare = SavedBytes(dir, {"", "", 9});
    EXPECT_EQ(bare.size(), 0x4Cu + 4);
    EXPECT_EQ(U32At(bare, 0x14), IsUnicode);
    EXPECT_EQ(U32At(bare, 0x38), 9u);
}

TEST(VixShellLinkTest, HandMadeShortcutsGiveTheirStoredValues) {
    TempDir dir;
    const std::string fileName = dir.File("hand.lnk");

    // A Windows target is handed back as stored; on this host the long-form step refuses it.
    testsupport::WriteFileBytes(
        fileName, Concat({Header(HasLinkInfo), AnsiLinkInfo("C:\\Games\\disk.d88"), Terminal}));
    TShellLink link;
    link.LoadFromFile(fileName);
    ExpectValues(link, {"C:\\Games\\disk.d88", "", 0}, "Windows path");
    std::string longPath;
    EXPECT_FALSE(TryGetLongPath(link.GetPath(), longPath));
    EXPECT_EQ(MessageOf<EShellLinkError>([&] { link.Resolve(0); }), ResolveMessage);

    // ANSI fields are code page 932 and come back as UTF-8.
    testsupport::WriteFileBytes(
        fileName, Concat({Header(HasLinkInfo),
                          AnsiLinkInfo("C:\\\x83\x51\x81\x5B\x83\x80\\disk.d88"), Terminal}));
    EXPECT_EQ(LoadValues(fileName).Path, "C:\\ゲーム\\disk.d88");

    // The base path and the common suffix are joined.
    testsupport::WriteFileBytes(
        fileName, Concat({Header(HasLinkInfo), AnsiLinkInfo("C:\\Games\\", "disk.d88"), Terminal}));
    EXPECT_EQ(LoadValues(fileName).Path, "C:\\Games\\disk.d88");

    // A Unicode icon location string after the link info, with a negative index.
    testsupport::WriteFileBytes(
        fileName,
        Concat({Header(HasLinkInfo | HasIconLocation | IsUnicode, -3),
                AnsiLinkInfo("/srv/disks/a.d88"), UnicodeString(u"C:\\icons\\x.ico"), Terminal}));
    EXPECT_EQ(LoadValues(fileName).IconLocation, "C:\\icons\\x.ico");
    EXPECT_EQ(LoadValues(fileName).IconIndex, -3);
    EXPECT_EQ(LoadValues(fileName).Path, "/srv/disks/a.d88");

    // Every part before and after the link info: an ID list, an ANSI string, an extra block.
    testsupport::WriteFileBytes(
        fileName,
        Concat({Header(HasLinkTargetIDList | HasLinkInfo | HasIconLocation, 5), MyComputerIDList(),
                AnsiLinkInfo("C:\\Games\\disk.d88"), AnsiString("C:\\i.ico"),
                EnvironmentBlock("%HOMEDRIVE%\\disk.d88"), Terminal}));
    {
        const TLinkValues values = LoadValues(fileName);
        EXPECT_EQ(values.Path, "C:\\Games\\disk.d88");
        EXPECT_EQ(values.IconLocation, "C:\\i.ico");
        EXPECT_EQ(values.IconIndex, 5);
    }

    // A surrogate pair comes out of liblnk as another character; such a text is refused rather
    // than handed on as the name of some other file.
    testsupport::WriteFileBytes(
        fileName, Concat({Header(HasLinkInfo | HasIconLocation | IsUnicode), AnsiLinkInfo("/a"),
                          UnicodeString(u"/\xD83D\xDE00.ico"), Terminal}));
    TShellLink damaged;
    FillWithSentinels(damaged);
    EXPECT_EQ(MessageOf<EShellLinkError>([&] { damaged.LoadFromFile(fileName); }), LoadMessage);
    ExpectValues(damaged, Sentinels, "surrogate pair");
}

TEST(VixShellLinkTest, ShortcutWithoutLocalPathGivesEmptyPath) {
    TempDir dir;
    const std::string fileName = dir.File("nopath.lnk");
    const std::vector<Bytes> files = {
        Concat({Header(0), Terminal}),
        Concat({Header(IsUnicode | HasIconLocation, 4), UnicodeString(u"/i.ico"), Terminal}),
        SavedBytes(dir, {"", "/i.ico", 4}),
    };
    for (size_t k = 0; k < files.size(); ++k) {
        testsupport::WriteFileBytes(fileName, files[k]);
        TShellLink link;
        FillWithSentinels(link);
        link.LoadFromFile(fileName);
        EXPECT_EQ(link.GetPath(), "") << "file " << k;
        EXPECT_EQ(MessageOf<EShellLinkError>([&] { link.Resolve(0); }), ResolveMessage);
    }
    EXPECT_EQ(LoadValues(fileName).IconLocation, "/i.ico");
    EXPECT_EQ(LoadValues(fileName).IconIndex, 4);
}

TEST(VixShellLinkTest, LoadRefusesWhatIsNotAReadableShortcut) {
    TempDir dir;
    const Bytes valid = Concat({Header(HasLinkInfo), AnsiLinkInfo("C:\\a.d88"), Terminal});
    Bytes wrongClsid = valid;
    wrongClsid[4] ^= 0x01;
    Bytes wrongHeaderSize = valid;
    wrongHeaderSize[0] = 0x4D;
    Bytes linkInfoPastTheEnd = valid;
    linkInfoPastTheEnd[0x4C + 1] = 0x10; // LinkInfoSize far beyond the file
    // Sizes that reach past the end of the file; liblnk would first allocate what they claim.
    Bytes hugeLinkInfo = valid;
    hugeLinkInfo[0x4C + 3] = 0xEF;
    const Bytes hugeExtraBlock = Concat(
        {Header(HasLinkInfo), AnsiLinkInfo("C:\\a.d88"), {0x00, 0x00, 0x00, 0x7F}, Terminal});
    const Bytes hugeIDList = Concat({Header(HasLinkTargetIDList), {0xFF, 0xFF}, Terminal});
    const Bytes longString =
        Concat({Header(HasIconLocation | IsUnicode), {0x10, 0x00}, Bytes(30, 0x41)});
    const std::string text = "[InternetShortcut]\r\nURL=file:///C:/a.d88\r\n";
    const std::vector<std::pair<std::string, Bytes>> files = {
        {"empty", {}},
        {"text", Bytes(text.begin(), text.end())},
        {"disk image", testsupport::SampleBytes("cpm-x1turbo-2d.d88")},
        {"wrong class id", wrongClsid},
        {"wrong header size", wrongHeaderSize},
        {"link info past the end", linkInfoPastTheEnd},
        {"huge link info", hugeLinkInfo},
        {"huge extra block", hugeExtraBlock},
        {"huge ID list", hugeIDList},
        {"string past the end", longString},
    };
    for (const auto& [name, bytes] : files) {
        const std::string fileName = dir.File(name + ".lnk");
        testsupport::WriteFileBytes(fileName, bytes);
        TShellLink link;
        FillWithSentinels(link);
        EXPECT_EQ(MessageOf<EShellLinkError>([&] { link.LoadFromFile(fileName); }), LoadMessage)
            << name;
        ExpectValues(link, Sentinels, name);
    }

    // Names that lead to no regular file. A FIFO must be refused, not waited on. A name with a
    // NUL must not be cut short to the valid file before it.
    testsupport::WriteFileBytes(dir.File("valid.lnk"), valid);
    const std::string fifo = dir.File("fifo.lnk");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& fileName : {dir.File("missing.lnk"), dir.Path(), fifo, std::string(),
                                        dir.File("valid.lnk") + std::string(1, '\0') + "tail"}) {
        TShellLink link;
        FillWithSentinels(link);
        EXPECT_EQ(MessageOf<EShellLinkError>([&] { link.LoadFromFile(fileName); }), LoadMessage)
            << fileName;
        ExpectValues(link, Sentinels, fileName);
    }
    // The same valid bytes do load, so the refusals above are not a harness fault.
    EXPECT_EQ(LoadValues(dir.File("valid.lnk")).Path, "C:\\a.d88");
}

TEST(VixShellLinkTest, LoadRefusesFilesOverTheSizeLimit) {
    TempDir dir;
    const Bytes valid = Concat({Header(HasLinkInfo), AnsiLinkInfo("/srv/a.d88"), Terminal});
    const std::string fileName = dir.File("big.lnk");

    // liblnk ignores bytes after the terminal block, so only the size decides here.
    Bytes atLimit = valid;
    atLimit.resize(TShellLink::MaxFileSize, 0xAA);
    testsupport::WriteFileBytes(fileName, atLimit);
    EXPECT_EQ(LoadValues(fileName).Path, "/srv/a.d88");

    Bytes overLimit = atLimit;
    overLimit.push_back(0xAA);
    testsupport::WriteFileBytes(fileName, overLimit);
    TShellLink link;
    FillWithSentinels(link);
    EXPECT_EQ(MessageOf<EShellLinkError>([&] { link.LoadFromFile(fileName); }), LoadMessage);
    ExpectValues(link, Sentinels, "over the limit");
}

TEST(VixShellLinkTest, EveryTruncatedShortcutFailsOrLoadsWhole) {
    TempDir dir;
    const std::vector<std::pair<Bytes, TLinkValues>> shortcuts = {
        {SavedBytes(dir, {"/srv/disks/ゲーム.d88", "/icons/a.ico", -4}),
         {"/srv/disks/ゲーム.d88", "/icons/a.ico", -4}},
        {Concat({Header(HasLinkInfo | HasIconLocation | IsUnicode, 2),
                 AnsiLinkInfo("C:\\Games\\", "disk.d88"), UnicodeString(u"C:\\x.ico"), Terminal}),
         {"C:\\Games\\disk.d88", "C:\\x.ico", 2}},
    };
    const std::string fileName = dir.File("cut.lnk");
    for (const auto& [whole, expected] : shortcuts) {
        int loaded = 0;
        for (size_t length = 0; length <= whole.size(); ++length) {
            WriteFreshFile(fileName, Bytes(whole.begin(), whole.begin() + length));
            TShellLink link;
            FillWithSentinels(link);
            const std::string context = "length " + std::to_string(length);
            try {
                link.LoadFromFile(fileName);
                ++loaded;
                // Only the terminal block may be missing from a shortcut that loads.
                EXPECT_GE(length, whole.size() - 4) << context;
                ExpectValues(link, expected, context);
            } catch (const EShellLinkError& e) {
                EXPECT_EQ(e.Message(), LoadMessage) << context;
                EXPECT_LT(length, whole.size()) << context;
                ExpectValues(link, Sentinels, context);
            }
        }
        EXPECT_GE(loaded, 1);
    }
}

TEST(VixShellLinkTest, RandomlyDamagedShortcutsLoadOrFailCleanly) {
    TempDir dir;
    const Bytes whole = SavedBytes(dir, {"/srv/disks/ゲーム.d88", "/icons/a.ico", -4});
    const std::string fileName = dir.File("damaged.lnk");
    std::mt19937 random(0x5EED1A7);
    std::uniform_int_distribution<size_t> position(0, whole.size() - 1);
    std::uniform_int_distribution<int> byteValue(0, 255);
    std::uniform_int_distribution<int> flipCount(1, 4);
    int loaded = 0;
    int refused = 0;
    for (int round = 0; round < 4000; ++round) {
        Bytes damaged = whole;
        for (int flips = flipCount(random); flips > 0; --flips)
            damaged[position(random)] = static_cast<uint8_t>(byteValue(random));
        WriteFreshFile(fileName, damaged);
        TShellLink link;
        FillWithSentinels(link);
        try {
            link.LoadFromFile(fileName);
            ++loaded;
            // Whatever came back must be usable as a text and savable or refused cleanly.
            const TLinkValues values = ValuesOf(link);
            EXPECT_EQ(values.Path.find('\0'), std::string::npos) << "round " << round;
            if (loaded % 8 == 0) {
                try {
                    link.SaveToFile(dir.File("resaved.lnk"));
                } catch (const EShellLinkError& e) {
                    EXPECT_EQ(e.Message(), SaveMessage) << "round " << round;
                }
            }
        } catch (const EShellLinkError& e) {
            ++refused;
            EXPECT_EQ(e.Message(), LoadMessage) << "round " << round;
            ExpectValues(link, Sentinels, "round " + std::to_string(round));
        }
    }
    // Damage to the times, reserved fields or text bytes is harmless; damage to sizes and
    // offsets is not. Both kinds must have been met for the rounds to have tested anything.
    EXPECT_GT(loaded, 100);
    EXPECT_GT(refused, 100);
}

TEST(VixShellLinkTest, ResolveNeedsAnExistingTargetRootedAtSlash) {
    TempDir dir;
    const std::string target = dir.File("disk.d88");
    testsupport::WriteFileBytes(target, {1, 2, 3});
    TShellLink writer;
    writer.SetPath(target);
    writer.SaveToFile(dir.File("a.lnk"));

    TShellLink link;
    link.LoadFromFile(dir.File("a.lnk"));
    EXPECT_EQ(link.Resolve(0), 0);
    EXPECT_EQ(link.Resolve(0xFFFFFFFFu), 0);
    fs::remove(target);
    EXPECT_EQ(MessageOf<EShellLinkError>([&] { link.Resolve(0); }), ResolveMessage);
    EXPECT_EQ(link.GetPath(), target); // the stored path stays as it was

    // A folder is something that exists; a dangling symbolic link is not.
    link.SetPath(dir.Path());
    EXPECT_EQ(link.Resolve(0), 0);
    fs::create_symlink(dir.File("gone"), dir.File("dangling"));
    link.SetPath(dir.File("dangling"));
    EXPECT_EQ(MessageOf<EShellLinkError>([&] { link.Resolve(0); }), ResolveMessage);

    // A Windows path is never looked up in the current folder, even where a file of that
    // very name exists there.
    testsupport::WriteFileBytes(dir.File("C:\\Games\\disk.d88"), {1});
    TCurrentFolder inDir(dir.Path());
    link.SetPath("C:\\Games\\disk.d88");
    EXPECT_EQ(MessageOf<EShellLinkError>([&] { link.Resolve(0); }), ResolveMessage);
    link.SetPath("");
    EXPECT_EQ(MessageOf<EShellLinkError>([&] { link.Resolve(0); }), ResolveMessage);
}

TEST(VixShellLinkTest, FailedSaveLeavesNothingBehind) {
    TempDir dir;
    TShellLink link;
    link.SetPath("/srv/a.d88");

    EXPECT_EQ(MessageOf<EShellLinkError>([&] { link.SaveToFile(dir.File("no/such/a.lnk")); }),
              SaveMessage);
    EXPECT_EQ(MessageOf<EShellLinkError>([&] { link.SaveToFile(""); }), SaveMessage);
    // The rename over a folder holding a file fails after the temporary file was written.
    fs::create_directory(dir.File("folder.lnk"));
    testsupport::WriteFileBytes(dir.File("folder.lnk/inside"), {7});
    EXPECT_EQ(MessageOf<EShellLinkError>([&] { link.SaveToFile(dir.File("folder.lnk")); }),
              SaveMessage);
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File("folder.lnk/inside")), Bytes{7});
    EXPECT_EQ(testsupport::ListFolder(dir.Path()), (std::vector<std::string>{"folder.lnk"}));

    // A save over an existing file replaces it whole and leaves no temporary file.
    const std::string fileName = dir.File("a.lnk");
    testsupport::WriteFileBytes(fileName, Bytes(5000, 0x55));
    link.SaveToFile(fileName);
    EXPECT_EQ(LoadValues(fileName).Path, "/srv/a.d88");
    EXPECT_LT(testsupport::ReadFileBytes(fileName).size(), 5000u);
    EXPECT_EQ(testsupport::ListFolder(dir.Path()),
              (std::vector<std::string>{"a.lnk", "folder.lnk"}));
}

TEST(VixShellLinkTest, SettersRefuseTextsAShortcutCannotHold) {
    const std::vector<std::string> refused = {
        "\xFF",                  // not UTF-8 at all
        "/\x83\x5C.d88",         // code page 932 bytes, not UTF-8
        "\xC0\xAF",              // overlong '/'
        "\xED\xA0\x80",          // a surrogate
        "\xF4\x90\x80\x80",      // past U+10FFFF
        "\xE3\x81",              // cut short
        std::string("/a\0b", 4), // NUL
        std::string(TShellLink::MaxTextLength + 1, 'a'),
        "/😀.d88", // beyond U+FFFF: liblnk would read back another character
        "/\xF0\x90\x80\x80",
    };
    for (const std::string& text : refused) {
        TShellLink link;
        FillWithSentinels(link);
        EXPECT_EQ(MessageOf<EShellLinkError>([&] { link.SetPath(text); }), SetMessage)
            << text.size();
        EXPECT_EQ(MessageOf<EShellLinkError>([&] { link.SetIconLocation(text, 1); }), SetMessage)
            << text.size();
        ExpectValues(link, Sentinels, "refused text of " + std::to_string(text.size()));
    }

    // The longest text taken survives a save and a load.
    TempDir dir;
    const std::string longest(TShellLink::MaxTextLength, 'q');
    TShellLink link;
    link.SetPath(std::string("/") + longest.substr(1));
    link.SetIconLocation(longest, 1);
    link.SaveToFile(dir.File("long.lnk"));
    EXPECT_EQ(LoadValues(dir.File("long.lnk")).IconLocation, longest);
    EXPECT_EQ(LoadValues(dir.File("long.lnk")).Path, std::string("/") + longest.substr(1));
}

} // namespace
