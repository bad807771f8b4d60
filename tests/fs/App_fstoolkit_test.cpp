// What every file system promises alike, held to each one by the same cases: files put read
// back as the file system's rule says, a missing folder is refused the same way by every
// operation, a rename onto another file and a delete of a missing one change nothing, a damaged
// disk is never changed, and put + delete gives the blank disk's free space back. Then the
// disks at the edges of what their tables and entries can say.
#include "App_cpmfs.h"
#include "App_fstoolkit.h"
#include "FsTestDisks.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace fstest;
using testsupport::MessageOf;
using testsupport::TempDir;

namespace {

std::string Refusal(const std::function<void()>& f) {
    return MessageOf<EFileSystemError>(f);
}

std::unique_ptr<TFileSystem> Open(const Bytes& image) {
    std::unique_ptr<TFileSystem> fs = OpenFileSystem(image);
    EXPECT_TRUE(fs) << "no file system";
    return fs;
}

// Logical sector n of a FAT disk, as its DOS counts them, in image.
std::span<uint8_t> FatSector(Bytes& image, const fat::Medium& m, int n) {
    const int track = n / m.Format.R;
    return TDiskSectors(image).Write(image, track / m.Format.H, track % m.Format.H,
                                     n % m.Format.R + 1);
}

// FAT12's entry of cluster in both copies: two entries in three bytes, the low bits first, the
// bytes of an entry maybe in two sectors.
void SetFatEntry(Bytes& image, const fat::Medium& m, int cluster, int value) {
    for (int copy = 0; copy < 2; ++copy) {
        const auto byte = [&](int i) -> uint8_t& {
            return FatSector(image, m,
                             1 + copy * m.Spf + i / m.Bps())[static_cast<size_t>(i % m.Bps())];
        };
        const int at = cluster * 3 / 2;
        if (cluster % 2 == 0) {
            byte(at) = static_cast<uint8_t>(value);
            byte(at + 1) = static_cast<uint8_t>((byte(at + 1) & 0xF0) | (value >> 8));
        } else {
            byte(at) = static_cast<uint8_t>((byte(at) & 0x0F) | (value << 4 & 0xF0));
            byte(at + 1) = static_cast<uint8_t>(value >> 4);
        }
    }
}

void LoopFirstN88File(Bytes& image, const n88::Geometry& g) {
    n88::Disk disk(g);
    disk.Image = image;
    const uint8_t first = disk.At(g.SystemC, g.SystemH, 1)[10];
    disk.SetFat(first, first);
    image = disk.Image;
}

// A file system to hold to the suite: its blank disk, and how to make the chain of the file in
// the directory's first slot name its own first cluster as the next.
struct Kind {
    const char* Name;
    std::function<Bytes()> Blank;
    std::function<void(Bytes&)> LoopFirstFile;
    // The seconds of a file's date the disk keeps: 2 (FAT's two-second steps), 60 (the minute,
    // Hu-BASIC), 0 for no date at all.
    int DateSeconds;
};

const Kind Kinds[] = {
    {"FAT12_PC98_2HD", [] { return fat::Blank(fat::Pc98); },
     [](Bytes& image) { SetFatEntry(image, fat::Pc98, 2, 2); }, 2},
    {"FAT12_MSX_2DD", [] { return fat::Blank(fat::Msx); },
     [](Bytes& image) { SetFatEntry(image, fat::Msx, 2, 2); }, 2},
    {"N88_2D", [] { return n88::Disk(n88::G2D).Image; },
     [](Bytes& image) { LoopFirstN88File(image, n88::G2D); }, 0},
    {"N88_2HD", [] { return n88::Disk(n88::G2HD).Image; },
     [](Bytes& image) { LoopFirstN88File(image, n88::G2HD); }, 0},
    {"FBasic_2D", [] { return fbasic::Blank(); },
     [](Bytes& image) {
         const uint8_t first = fbasic::Entry(image, 0)[14];
         fbasic::Table(image)[first] = first;
     },
     0},
    {"HuBasic_2D", [] { return hubasic::Blank(); },
     [](Bytes& image) {
         const int first = hubasic::Sec(image, 16)[30];
         hubasic::Link(image, first, first);
     },
     60},
    {"HuBasic_2HD", [] { return hubasic::Blank(true); },
     [](Bytes& image) {
         const uint8_t* entry = hubasic::Sec(image, 32);
         const int first = entry[30] | entry[31] << 8;
         hubasic::Link(image, first, first, true);
     },
     60},
};

// Text every file system takes as text, CR LF a line.
Bytes Text(size_t size, int seed) {
    Bytes text(size);
    for (size_t i = 0; i < size; ++i)
        text[i] = i % 64 == 62   ? '\r'
                  : i % 64 == 63 ? '\n'
                                 : static_cast<uint8_t>('A' + (i + seed) % 26);
    return text;
}

class Conformance : public ::testing::TestWithParam<Kind> {};

TEST_P(Conformance, FilesPutReadBackRenameAndDeleteGivingTheBlankDisksFreeSpaceBack) {
    const Bytes blank = GetParam().Blank();
    const auto fs = Open(blank);
    ASSERT_TRUE(fs);
    const int64_t free = fs->FreeBytes();
    // Most of the disk, so that a table's clusters above 127 are used.
    const Bytes big = Text(static_cast<size_t>(free * 9 / 10), 1);
    const Bytes small = Text(300, 2);

    Bytes image = fs->Put("DATA.BIN", big);
    image = Open(image)->Put("TEXT.TXT", small);
    auto written = Open(image);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->Damage(), "");
    EXPECT_EQ(written->FileCount(), 2);
    EXPECT_EQ(written->Read("DATA.BIN"), written->ReadBackOf(big));
    EXPECT_EQ(written->Read("TEXT.TXT"), written->ReadBackOf(small));
    for (const TFileEntry& entry : written->List(""))
        EXPECT_EQ(entry.Size, static_cast<int64_t>(written->Read(entry.Name).size())) << entry.Name;

    // A rename onto another file, and a delete naming a missing file, change nothing.
    EXPECT_EQ(Refusal([&] { written->Rename("DATA.BIN", "TEXT.TXT"); }),
              "The disk already has a file \"TEXT.TXT\".");
    EXPECT_EQ(Refusal([&] {
                  written->Delete(std::vector<std::string>{"DATA.BIN", "NONE.TXT"});
              }),
              "The disk has no file \"NONE.TXT\".");

    image = written->Rename("DATA.BIN", "MOVE.BIN");
    const auto renamed = Open(image);
    ASSERT_TRUE(renamed);
    EXPECT_EQ(renamed->Read("MOVE.BIN"), renamed->ReadBackOf(big));
    EXPECT_EQ(Refusal([&] { renamed->Read("DATA.BIN"); }), "The disk has no file \"DATA.BIN\".");

    image = renamed->Delete(std::vector<std::string>{"MOVE.BIN", "TEXT.TXT"});
    const auto emptied = Open(image);
    ASSERT_TRUE(emptied);
    EXPECT_TRUE(emptied->List("").empty());
    EXPECT_EQ(emptied->FreeBytes(), free);
    EXPECT_EQ(emptied->Damage(), "");
}

TEST_P(Conformance, AFilesDateIsKeptToTheSecondsTheDiskHoldsAndNowWithoutOne) {
    const rtl::TLocalTime given{2001, 2, 3, 4, 5, 7};
    const Bytes blank = GetParam().Blank();
    const auto fs = Open(blank);
    const rtl::TLocalTime before = rtl::LocalNow();
    // A file system reads the bytes it was opened on: each image is kept while it is read.
    const Bytes first = fs->Put("OLD.TXT", Text(10, 4), given);
    const Bytes second = Open(first)->Put("NEW.TXT", Text(10, 5));
    const auto dated = Open(second);
    ASSERT_TRUE(dated);
    const std::vector<TFileEntry> entries = dated->List("");
    ASSERT_EQ(entries.size(), 2u);
    if (GetParam().DateSeconds == 0) {
        EXPECT_FALSE(entries[0].Date || entries[1].Date);
        return;
    }
    rtl::TLocalTime kept = given;
    kept.Second -= given.Second % GetParam().DateSeconds;
    ASSERT_TRUE(entries[0].Date);
    EXPECT_EQ(*entries[0].Date, kept);
    // Without a date the file is dated now, to the day at least.
    ASSERT_TRUE(entries[1].Date);
    EXPECT_EQ(entries[1].Date->Year, before.Year);
    EXPECT_EQ(entries[1].Date->Month, before.Month);
}

// Whatever a user types, the nearest name that fits is one the file system then takes; a name
// it refuses is refused as a name, and one that fits is kept.
TEST_P(Conformance, TheNearestNameThatFitsIsOneTheFileSystemTakes) {
    const Bytes blank = GetParam().Blank();
    const auto fs = Open(blank);
    const std::string hostile[] = {
        "toolongfilename.text", "a b:c*d?.t\"x", "two.dots.txt", ".hidden", "   ",
        std::string("ctl\x01\x7F.bin"),
        // 日本語のファイル名.txt in code page 932
        "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B"
        "\x96\xBC.txt",
        std::string("\xB6\xC0\xB6\xC5.bin"), "name.longextension"};
    for (const std::string& name : hostile) {
        SCOPED_TRACE(ListedName(name));
        try {
            fs->Put(name, Text(10, 1));
        } catch (const ENameError&) {
        }
        const std::string fitted = fs->FittingName(name);
        EXPECT_NO_THROW(fs->Put(fitted, Text(10, 1))) << ListedName(fitted);
        EXPECT_EQ(fs->FittingName(fitted), fitted);
    }
    EXPECT_EQ(fs->FittingName("GOOD.TXT"), "GOOD.TXT");
}

TEST_P(Conformance, AMissingFolderOrFileIsRefusedAlikeByEveryOperation) {
    const Bytes image = Open(GetParam().Blank())->Put("TEXT.TXT", Text(10, 3));
    const auto fs = Open(image);
    ASSERT_TRUE(fs);
    const std::string noFolder = "The disk has no folder \"NOPE/DEEP\".";
    EXPECT_EQ(Refusal([&] { fs->List("NOPE/DEEP"); }), noFolder);
    EXPECT_EQ(Refusal([&] { fs->Read("NOPE/DEEP/TEXT.TXT"); }), noFolder);
    EXPECT_EQ(Refusal([&] { fs->Put("NOPE/DEEP/TEXT.TXT", Bytes(1, 'a')); }), noFolder);
    EXPECT_EQ(Refusal([&] { fs->Delete(std::vector<std::string>{"NOPE/DEEP/TEXT.TXT"}); }),
              noFolder);
    EXPECT_EQ(Refusal([&] { fs->Rename("NOPE/DEEP/TEXT.TXT", "B"); }), noFolder);
    // A file is no folder.
    EXPECT_EQ(Refusal([&] { fs->Read("TEXT.TXT/A"); }), "The disk has no folder \"TEXT.TXT\".");
    const std::string noFile = "The disk has no file \"NONE.TXT\".";
    EXPECT_EQ(Refusal([&] { fs->Read("NONE.TXT"); }), noFile);
    EXPECT_EQ(Refusal([&] { fs->Delete(std::vector<std::string>{"NONE.TXT"}); }), noFile);
    EXPECT_EQ(Refusal([&] { fs->Rename("NONE.TXT", "B"); }), noFile);
    EXPECT_EQ(Refusal([&] { fs->Read(""); }), "The disk has no file \"\".");
}

TEST_P(Conformance, FoldersAreMadeFilledAndDeletedWhereTheDiskHasThemAndRefusedElsewhere) {
    const Bytes blank = GetParam().Blank();
    const auto fs = Open(blank);
    ASSERT_TRUE(fs);
    if (!fs->HasFolders()) {
        EXPECT_EQ(Refusal([&] { fs->MakeFolder("GAMES"); }),
                  "The " + fs->Name() + " file system has no folders: it keeps every file in one.");
        return;
    }
    Bytes image = fs->MakeFolder("GAMES");
    image = Open(image)->MakeFolder("GAMES/SAVE");
    image = Open(image)->Put("GAMES/SAVE/A.TXT", Text(3000, 1));
    const auto filled = Open(image);
    ASSERT_TRUE(filled);
    EXPECT_EQ(filled->Read("GAMES/SAVE/A.TXT"), Text(3000, 1));
    ASSERT_EQ(filled->List("GAMES").size(), 1u);
    EXPECT_TRUE(filled->List("GAMES")[0].Folder);
    EXPECT_EQ(Refusal([&] { filled->MakeFolder("GAMES"); }),
              "The disk already has a folder \"GAMES\".");
    EXPECT_EQ(Refusal([&] { filled->MakeFolder("GAMES/SAVE/A.TXT"); }),
              "The disk already has a file \"GAMES/SAVE/A.TXT\".");
    EXPECT_EQ(Refusal([&] { filled->MakeFolder("NOPE/NEW"); }), "The disk has no folder \"NOPE\".");
    EXPECT_EQ(Refusal([&] { filled->Delete(std::vector<std::string>{"GAMES"}); }),
              "The folder \"GAMES\" is not empty.");
    // Gone with everything in it, the folders give their clusters back too.
    const Bytes emptied =
        filled->Delete(std::vector<std::string>{"GAMES", "GAMES/SAVE", "GAMES/SAVE/A.TXT"});
    const auto after = Open(emptied);
    ASSERT_TRUE(after);
    EXPECT_TRUE(after->List("").empty());
    EXPECT_EQ(after->FreeBytes(), fs->FreeBytes());
    EXPECT_EQ(after->Damage(), "");
}

TEST_P(Conformance, ADamagedDiskIsListedAsFarAsSoundAndNeverChanged) {
    Bytes image = Open(GetParam().Blank())->Put("DATA.BIN", Text(9000, 4));
    image = Open(image)->Put("TEXT.TXT", Text(100, 5));
    GetParam().LoopFirstFile(image);
    const auto fs = Open(image);
    ASSERT_TRUE(fs);
    const std::string clause = "the allocation chain of \"DATA.BIN\" loops";
    EXPECT_EQ(fs->Damage(), clause);
    EXPECT_EQ(fs->List("").size(), 2u);
    EXPECT_EQ(fs->Read("TEXT.TXT"), fs->ReadBackOf(Text(100, 5)));
    EXPECT_EQ(Refusal([&] { fs->Read("DATA.BIN"); }),
              "The program cannot read the file \"DATA.BIN\": its allocation chain is broken.");
    const std::string refusal = "The program cannot change the files of this disk: " + clause + ".";
    EXPECT_EQ(Refusal([&] { fs->Put("NEW.TXT", Bytes(1, 'a')); }), refusal);
    EXPECT_EQ(Refusal([&] { fs->Rename("TEXT.TXT", "NEW.TXT"); }), refusal);
    EXPECT_EQ(Refusal([&] { fs->Delete(std::vector<std::string>{"TEXT.TXT"}); }), refusal);
}

INSTANTIATE_TEST_SUITE_P(EveryWritableFileSystem, Conformance, ::testing::ValuesIn(Kinds),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(Conformance, CpmIsReadAloneAndRefusesMissingFoldersAndFilesAlike) {
    Bytes d = cpm::Blank();
    cpm::Entry(d, 0, 0, "TEXT    TXT", 0, 1, {2});
    cpm::Fill(d, 2, Text(128, 6), 0);
    const auto fs = Open(d);
    ASSERT_TRUE(fs);
    EXPECT_EQ(fs->Name(), "CP/M");
    EXPECT_EQ(fs->Read("TEXT.TXT"), Text(128, 6));
    EXPECT_EQ(Refusal([&] { fs->List("NOPE"); }), "The disk has no folder \"NOPE\".");
    EXPECT_EQ(Refusal([&] { fs->Read("NOPE/TEXT.TXT"); }), "The disk has no folder \"NOPE\".");
    EXPECT_EQ(Refusal([&] { fs->Read("NONE.TXT"); }), "The disk has no file \"NONE.TXT\".");
    const std::string readOnly = "The program cannot change the files of a CP/M disk.";
    EXPECT_EQ(Refusal([&] { fs->Put("A", {}); }), readOnly);
    EXPECT_EQ(Refusal([&] { fs->Rename("TEXT.TXT", "A"); }), readOnly);
    EXPECT_EQ(Refusal([&] { fs->Delete(std::vector<std::string>{"TEXT.TXT"}); }), readOnly);
}

// ---------------------------------------------------------------------------------------------

bool RunTool(const std::string& command) {
    const std::string tools = "export PATH=\"$PATH:/usr/sbin:/sbin\" MTOOLS_SKIP_CHECK=1; ";
    return std::system(("(" + tools + command + ") >/dev/null 2>&1").c_str()) == 0;
}

// The image's sectors in order, as a plain dump holds them.
Bytes DumpOf(const fat::Medium& m, const Bytes& image) {
    const TDiskSectors sectors(image);
    Bytes dump;
    for (int n = 0; n < m.Total(); ++n) {
        const int track = n / m.Format.R;
        const auto data = sectors.Read(track / m.Format.H, track % m.Format.H, n % m.Format.R + 1);
        dump.insert(dump.end(), data.begin(), data.end());
    }
    return dump;
}

// One case at the edge of what a disk's structures can say: the disk, and what the program must
// make of it, as a text to compare.
struct Edge {
    const char* What;
    std::function<std::string()> Seen;
    std::string Expected;
};

std::string DamageOf(const Bytes& image) {
    const auto fs = OpenFileSystem(image);
    return fs ? fs->Damage() : "(no file system)";
}

TEST(FileSystemEdges, EachBoundaryOfAChainABlockAnEntryAndAFolderIsHeldExactly) {
    const TempDir dir;
    const Edge edges[] = {
        {"a FAT chain naming the cluster past the last",
         [] {
             // The PC-98's 1,232 sectors less 11 before the data: clusters 2 to 1,222.
             Bytes image = Open(fat::Blank(fat::Pc98))->Put("DATA.BIN", Text(3000, 7));
             SetFatEntry(image, fat::Pc98, 2, 1223);
             return DamageOf(image);
         },
         "the allocation chain of \"DATA.BIN\" leaves the disk"},
        {"a FAT chain ending at its last cluster",
         [] {
             Bytes image = Open(fat::Blank(fat::Pc98))->Put("DATA.BIN", Text(1000, 7));
             SetFatEntry(image, fat::Pc98, 2, 1222);
             SetFatEntry(image, fat::Pc98, 1222, 0xFFF);
             const auto fs = Open(image);
             return fs->Damage() + "|" + std::to_string(fs->Read("DATA.BIN").size());
         },
         "|1000"},
        {"an N88-BASIC table value of the cluster count",
         [] {
             n88::Disk disk(n88::G2D);
             disk.Add(0, "DATA  BIN", 0, Bytes(3000, 'd'), {3, 4});
             disk.SetFat(3, 160);
             return DamageOf(disk.Image);
         },
         "the allocation chain of \"DATA.BIN\" leaves the disk"},
        {"an N88-BASIC chain ending in the last cluster",
         [] {
             n88::Disk disk(n88::G2D);
             disk.Add(0, "DATA  BIN", 0, Bytes(3000, 'd'), {3, 159});
             return DamageOf(disk.Image) + "|" +
                    std::to_string(Open(disk.Image)->Read("DATA.BIN").size());
         },
         "|3072"},
        {"a Hu-BASIC link to the cluster count",
         [] {
             Bytes d = hubasic::Blank();
             hubasic::AddFile(d, 0, 0x01, "DATA.BIN", Bytes(5000, 'd'), {2, 3}, 5000);
             hubasic::Link(d, 2, 80);
             return DamageOf(d);
         },
         "the allocation chain of \"DATA.BIN\" leaves the disk"},
        {"a Hu-BASIC 2HD chain through clusters above 127",
         [] {
             Bytes d = hubasic::Blank(true);
             const Bytes data(9000, 'd');
             hubasic::AddFile(d, 0, 0x01, "DATA.BIN", data, {128, 249, 200}, 9000, 0, true);
             const auto fs = Open(d);
             return fs->Damage() + "|" + (fs->Read("DATA.BIN") == data ? "same" : "other");
         },
         "|same"},
        {"a CP/M block number of the block count",
         [] {
             // The PC-88's layout: 78 tracks of 4 KiB after the system's two, in blocks of 2 KiB,
             // 156 blocks; no other layout reads its directory there.
             Bytes d = cpm::Blank();
             cpm::Entry(d, 0, 0, "DATA    BIN", 0, 32, {2, 156}, 2);
             cpm::Entry(d, 1, 0, "TEXT    TXT", 0, 16, {3}, 2);
             return DamageOf(d);
         },
         "the entry of \"DATA.BIN\" points outside the disk"},
        {"a CP/M block number of the last block",
         [] {
             Bytes d = cpm::Blank();
             cpm::Entry(d, 0, 0, "DATA    BIN", 0, 32, {2, 155}, 2);
             const auto fs = Open(d);
             return fs->Damage() + "|" + std::to_string(fs->Read("DATA.BIN").size());
         },
         "|4096"},
        {"a FAT name beginning with the deleted mark's byte",
         [&] {
             const std::string name = "\xE5\x40\x96\x83.TXT";
             const Bytes image = Open(fat::Blank(fat::Msx))->Put(name, Text(700, 8));
             const auto fs = Open(image);
             testsupport::WriteFileBytes(dir.File("e5.img"), DumpOf(fat::Msx, image));
             std::string img("'");
             img.append(dir.File("e5.img")).append("'");
             std::string copy("mcopy -n -i ");
             copy.append(img).append(" '::*.TXT' '").append(dir.File("e5.out")).append("'");
             const bool tools =
                 RunTool(std::string("fsck.fat -n ").append(img).append(" | grep -q '1 files'")) &&
                 RunTool(copy);
             std::string seen = fs->List("").at(0).Name;
             seen.append("|").append(std::to_string(fs->Read(name).size())).append("|");
             return seen.append(tools && testsupport::ReadFileBytes(dir.File("e5.out")) ==
                                             Text(700, 8)
                                    ? "fsck and mcopy agree"
                                    : "the tools disagree");
         },
         "\xE5\x40\x96\x83.TXT|700|fsck and mcopy agree"},
        {"a full sub-folder on a disk with no cluster for it to grow by",
         [] {
             // SUB's one cluster (2) holds ".", ".." and 30 empty files; the file fills the rest.
             Bytes dump = fat::BlankDump(fat::Msx);
             const size_t root = 512 * 7, data = 512 * 14;
             std::memcpy(&dump[root], "SUB        \x10", 12);
             dump[root + 26] = 2;
             for (const size_t fat : {512u, 512u * 4})
                 dump[fat + 3] = 0xFF, dump[fat + 4] = 0x0F;
             std::memcpy(&dump[data], ".          \x10", 12);
             std::memcpy(&dump[data + 32], "..         \x10", 12);
             for (int i = 2; i < 32; ++i) {
                 char name[12];
                 std::snprintf(name, sizeof name, "F%-10d", 100 + i);
                 std::memcpy(&dump[data + 32 * static_cast<size_t>(i)], name, 11);
             }
             const TDiskImage made(fat::Msx.Format, dump);
             const Bytes image(made.Bytes().begin(), made.Bytes().end());
             const auto fs = Open(image);
             const int64_t free = fs->FreeBytes();
             std::string seen = std::to_string(fs->List("SUB").size());
             return seen.append("|").append(
                 Refusal([&] { fs->Put("SUB/FULL.BIN", Bytes(static_cast<size_t>(free), 'f')); }));
         },
         "30|The file \"SUB/FULL.BIN\" (729088 bytes) does not fit the free space of the disk "
         "(729088 bytes)."},
    };
    for (const Edge& edge : edges) {
        std::string seen;
        try {
            seen = edge.Seen();
        } catch (const rtl::Exception& e) {
            seen = e.Message();
        }
        EXPECT_EQ(seen, edge.Expected) << edge.What;
    }
}

TEST(FileSystemNames, EveryEntryIsListedAndReachedThroughTheEscapeItsListingShows) {
    // Names a path cannot hold as they are: a slash, a control byte, a blank name, a lone lead
    // byte, and a backslash before an x, which would read as an escape.
    Bytes disk = hubasic::Blank();
    const char* const stored[] = {"A/B.TXT", "C\tD", "", "\x81.BIN", "\\x41"};
    for (int i = 0; i < 5; ++i)
        hubasic::AddFile(disk, i, 0x01, stored[i], Bytes(10, 'a'), {2 + i}, 10);
    const auto fs = Open(disk);
    ASSERT_TRUE(fs);
    std::vector<std::string> names;
    for (const TFileEntry& entry : fs->List(""))
        names.push_back(entry.Name);
    const std::vector<std::string> listed{"A\\x2FB.TXT", "C\\x09D", "\\x20", "\\x81.BIN",
                                          "\\x5Cx41"};
    ASSERT_EQ(names, listed);
    for (const std::string& name : listed)
        EXPECT_EQ(fs->Read(name), Bytes(10, 'a')) << name;
    const Bytes renamed = fs->Rename("A\\x2FB.TXT", "AB.TXT");
    EXPECT_EQ(Open(renamed)->List("")[0].Name, "AB.TXT");
    const auto deleted = Open(fs->Delete(std::vector<std::string>{"\\x20", "\\x5Cx41"}));
    EXPECT_EQ(deleted->FileCount(), 3);

    // A FAT name that begins with a dot is a file of its own; "." and ".." are not.
    Bytes dump = fat::BlankDump(fat::Msx);
    std::memcpy(&dump[512 * 7], ".HIDDEN    \x20", 12);
    const TDiskImage made(fat::Msx.Format, dump);
    const Bytes image(made.Bytes().begin(), made.Bytes().end());
    const auto fat = Open(image);
    ASSERT_EQ(fat->List("").size(), 1u);
    EXPECT_EQ(fat->List("")[0].Name, ".HIDDEN");
    EXPECT_EQ(fat->Read(".hidden"), Bytes{});
}

} // namespace

TEST(FilePaths, SplitAtSlashesLeavingOutEmptyParts) {
    EXPECT_EQ(SplitFilePath("DATA/SAVE.DAT"), (std::vector<std::string>{"DATA", "SAVE.DAT"}));
    EXPECT_EQ(SplitFilePath("/A//B/"), (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(SplitFilePath("").empty());
    // A trail byte of code page 932 is never a slash.
    EXPECT_EQ(SplitFilePath("\x83\x5C/X"), (std::vector<std::string>{"\x83\x5C", "X"}));
}
