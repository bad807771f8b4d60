// FAT12 disks made by dosfstools and mtools, read and changed here and checked again by them:
// fsck.fat says nothing is wrong, mdir lists the same and mcopy reads the same bytes. Human68k's
// boot sector and names are laid out from the public notes; hostile disks are the tools' disks
// with their FAT or entries broken by hand.
#include "App_diskimages.h"
#include "App_fatfs.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <regex>
#include <sstream>

using namespace testsupport;

namespace {

bool Run(const std::string& command) {
    const std::string tools =
        "export PATH=\"$PATH:/usr/sbin:/sbin\" MTOOLS_SKIP_CHECK=1 LC_ALL=C; ";
    return std::system(("(" + tools + command + ") >/dev/null 2>&1").c_str()) == 0;
}

bool HaveTools() {
    return Run("command -v mkfs.fat && command -v fsck.fat && command -v mcopy && command -v mmd");
}

struct TMedium {
    const char* Name;
    TDiskFormat Format;
    const char* Mkfs;
};
const TMedium Media[] = {
    {"PC-98 2HD", {DiskType2HD, 77, 2, 8, 3}, "-S 1024 -g 2/8 -f 2 -r 192 -s 1 -R 1 -M 0xFE"},
    {"640 KB", {DiskType2DD, 80, 2, 8, 2}, "-S 512 -g 2/8 -f 2 -r 112 -s 2 -R 1 -M 0xFB"},
    {"MSX 720 KB", {DiskType2DD, 80, 2, 9, 2}, "-S 512 -g 2/9 -f 2 -r 112 -s 2 -R 1 -M 0xF9"},
    {"MSX 360 KB", {DiskType2DD, 80, 1, 9, 2}, "-S 512 -g 1/9 -f 2 -r 112 -s 2 -R 1 -M 0xF8"},
};
const TMedium& Pc98 = Media[0];

using TFiles = std::vector<std::pair<std::string, Bytes>>;

// A disk the tools make: its folders, then its files.
Bytes MakeDump(const TempDir& dir, const TMedium& medium, const std::vector<std::string>& folders,
               const TFiles& files, const std::string& extra = "") {
    const TDiskFormat& f = medium.Format;
    const std::string dump = "'" + dir.File("made.img") + "'";
    std::string command = "rm -f " + dump + "; mkfs.fat -F 12 -C " + medium.Mkfs + " " + extra +
                          " " + dump + " " + std::to_string(f.C * f.H * f.R * (128 << f.N) / 1024);
    for (const std::string& folder : folders)
        command += " && mmd -i " + dump + " '::" + folder + "'";
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string in = dir.File("in" + std::to_string(i));
        WriteFileBytes(in, files[i].second);
        command += " && mcopy -i " + dump + " '" + in + "' '::" + files[i].first + "'";
    }
    EXPECT_TRUE(Run(command)) << command;
    return ReadFileBytes(dir.File("made.img"));
}

Bytes ImageOf(const TMedium& medium, const Bytes& dump) {
    const TDiskImage image(medium.Format, dump);
    return Bytes(image.Bytes().begin(), image.Bytes().end());
}

// The image's sectors in order, as a plain dump holds them.
Bytes DumpOf(const TMedium& medium, const Bytes& image) {
    const TDiskSectors sectors(image);
    Bytes dump;
    for (int c = 0; c < medium.Format.C; ++c)
        for (int h = 0; h < medium.Format.H; ++h)
            for (int r = 1; r <= medium.Format.R; ++r) {
                const std::span<const uint8_t> data = sectors.Read(c, h, r);
                dump.insert(dump.end(), data.begin(), data.end());
            }
    return dump;
}

// What the tools find on a dump: whether fsck.fat is silent, mdir's listing and free bytes.
struct TToolView {
    bool Clean = false;
    std::vector<std::string> Listing;
    int64_t FreeBytes = -1;
};
TToolView ToolView(const TempDir& dir, const Bytes& dump) {
    const std::string image = "'" + dir.File("check.img") + "'";
    WriteFileBytes(dir.File("check.img"), dump);
    TToolView view;
    // With -n a fault is told, not mended, and the exit status stays 0: only the version and the
    // summary may be said.
    view.Clean = Run("fsck.fat -n " + image + " > '" + dir.File("fsck") + "' 2>&1");
    const std::string said = ReadFileText(dir.File("fsck"));
    view.Clean = view.Clean && std::count(said.begin(), said.end(), '\n') == 2;
    EXPECT_TRUE(view.Clean) << said;
    EXPECT_TRUE(Run("mdir -i " + image + " -/ -b :: | sed 's|^::/||' | sort > '" +
                    dir.File("list") + "' && mdir -i " + image +
                    " :: | sed -n 's/ bytes free//p' | tr -d ' ' > '" + dir.File("free") + "'"));
    std::istringstream lines(ReadFileText(dir.File("list")));
    for (std::string line; std::getline(lines, line);)
        view.Listing.push_back(line);
    view.FreeBytes = std::stoll("0" + ReadFileText(dir.File("free")));
    return view;
}

// The file as mcopy reads it from the dump ToolView last saw.
Bytes ToolRead(const TempDir& dir, const std::string& path) {
    const std::string out = dir.File("out");
    std::remove(out.c_str());
    return Run("mcopy -n -i '" + dir.File("check.img") + "' '::" + path + "' '" + out + "'")
               ? ReadFileBytes(out)
               : Bytes{};
}

// The names of a folder in order, folders with a trailing '/' as mdir shows them; with
// recursive, the whole tree below it by path, sorted.
std::vector<std::string> Names(const TFileSystem& fs, const std::string& folder = "",
                               bool recursive = false) {
    std::vector<std::string> names;
    for (const TFileEntry& entry : fs.List(folder)) {
        const std::string path =
            folder.empty() || !recursive ? entry.Name : folder + "/" + entry.Name;
        names.push_back(path + (entry.Folder ? "/" : ""));
        if (entry.Folder && recursive)
            for (const std::string& inner : Names(fs, path, true))
                names.push_back(inner);
    }
    if (recursive)
        std::sort(names.begin(), names.end());
    return names;
}

Bytes Pattern(size_t size, int seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 31 + seed * 17 + i / 251);
    return bytes;
}

// The entry of a name as it is stored (8 + 3 bytes, padded) in the dump's folder at offset.
size_t EntryAt(const Bytes& dump, size_t folder, const char* name) {
    for (size_t at = folder; at + 32 <= dump.size(); at += 32)
        if (std::memcmp(&dump[at], name, 11) == 0)
            return at;
    ADD_FAILURE() << "no entry " << name;
    return 0;
}

// FAT12's entry n in the FAT copy at offset: two entries in three bytes, the low bits first.
void SetFat(Bytes& dump, size_t fat, int n, int value) {
    uint8_t* at = &dump[fat + static_cast<size_t>(n) * 3 / 2];
    if (n % 2 == 0) {
        at[0] = static_cast<uint8_t>(value);
        at[1] = static_cast<uint8_t>((at[1] & 0xF0) | (value >> 8));
    } else {
        at[0] = static_cast<uint8_t>((at[0] & 0x0F) | (value << 4 & 0xF0));
        at[1] = static_cast<uint8_t>(value >> 4);
    }
}

const std::regex DateAndArchive(R"(\d{4}-\d\d-\d\d \d\d:\d\d archive)");

} // namespace

TEST(App_fatfsRead, EachMediumListsAndReadsWhatMtoolsPutWithOrWithoutABootSector) {
    if (!HaveTools())
        GTEST_SKIP() << "dosfstools and mtools are needed";
    const TempDir dir;
    const Bytes save = Pattern(5000, 1);
    for (const TMedium& medium : Media)
        for (const bool blankBoot : {false, true}) {
            SCOPED_TRACE(std::string(medium.Name) + (blankBoot ? " without a BPB" : ""));
            Bytes dump =
                MakeDump(dir, medium, {"DATA"},
                         {{"A.TXT", {'h', 'i'}}, {"DATA/SAVE.DAT", save}, {"Long Name.txt", {}}});
            TToolView tools = ToolView(dir, dump);
            // mdir shows the long name; the short one is the entry's.
            std::replace(tools.Listing.begin(), tools.Listing.end(), std::string("Long Name.txt"),
                         std::string("LONGNA~1.TXT"));
            if (blankBoot)
                std::fill(dump.begin(), dump.begin() + 512, 0);
            const Bytes image = ImageOf(medium, dump);
            const std::unique_ptr<TFileSystem> fs = OpenFat12(TDiskSectors(image));
            ASSERT_NE(fs, nullptr);
            EXPECT_EQ(fs->Name(), "FAT12");
            EXPECT_EQ(fs->Damage(), "");
            EXPECT_EQ(fs->FileCount(), 3);
            EXPECT_EQ(Names(*fs, "", true), tools.Listing);
            EXPECT_EQ(fs->FreeBytes(), tools.FreeBytes);
            EXPECT_EQ(Names(*fs), (std::vector<std::string>{"DATA/", "A.TXT", "LONGNA~1.TXT"}));
            const TFileEntry entry = fs->List("data")[0];
            EXPECT_EQ(entry.Size, 5000);
            EXPECT_EQ(entry.Kind, "file");
            EXPECT_TRUE(std::regex_match(entry.Details, DateAndArchive)) << entry.Details;
            EXPECT_EQ(fs->List("")[0].Kind, "folder");
            EXPECT_EQ(fs->Read("Data/Save.dat"), save);
            EXPECT_EQ(fs->Read("A.TXT"), (Bytes{'h', 'i'}));
            EXPECT_EQ(MessageOf<EFileSystemError>([&] { fs->Read("DATA"); }),
                      "The disk has no file \"DATA\".");
        }

    // Disks of other kinds, and a FAT disk without a BPB whose FAT does not begin as one.
    Bytes noFat = MakeDump(dir, Pc98, {}, {});
    std::fill(noFat.begin(), noFat.begin() + 1027, 0);
    for (const Bytes& image :
         {FormattedImage(0x20, 77, 2, 8, 3), FormattedImage(0x10, 80, 2, 9, 2, 0xE5),
          ImageOf({"2D", {DiskType2D, 40, 2, 16, 1}, ""}, Pattern(327680, 3)),
          ImageOf(Pc98, noFat)})
        EXPECT_EQ(OpenFat12(TDiskSectors(image)), nullptr);
}

TEST(App_fatfsWrite, PutDeleteAndRenameLeaveADiskFsckAndMtoolsAccept) {
    if (!HaveTools())
        GTEST_SKIP() << "dosfstools and mtools are needed";
    const TempDir dir;
    for (const TMedium& medium : {Media[0], Media[2]}) {
        SCOPED_TRACE(medium.Name);
        Bytes image = ImageOf(medium, MakeDump(dir, medium, {"DATA"},
                                               {{"A.TXT", Pattern(700, 1)},
                                                {"Long Name.txt", Pattern(10, 2)},
                                                {"DATA/SAVE.DAT", Pattern(3000, 3)}}));
        // Each change leaves the bytes it was given as they were.
        const auto change = [&](const std::function<Bytes(const TFileSystem&)>& step) {
            const std::unique_ptr<TFileSystem> fs = OpenFat12(TDiskSectors(image));
            ASSERT_NE(fs, nullptr);
            const Bytes before = image;
            const Bytes after = step(*fs);
            EXPECT_EQ(image, before);
            image = after;
        };
        TFiles expected = {
            {"NEW.BIN", Pattern(5000, 4)}, {"A.TXT", Pattern(4000, 5)}, {"EMPTY", {}}};
        change([&](const TFileSystem& fs) { return fs.Put("new.bin", expected[0].second); });
        change([&](const TFileSystem& fs) { return fs.Put("A.TXT", expected[1].second); });
        change([&](const TFileSystem& fs) { return fs.Put("EMPTY", {}); });
        // The folder fills its first cluster and grows.
        for (int i = 0; i < 40; ++i) {
            expected.push_back(
                {"DATA/F" + std::to_string(i), Pattern(static_cast<size_t>(i) * 100, i)});
            change([&](const TFileSystem& fs) {
                return fs.Put(expected.back().first, expected.back().second);
            });
        }
        change([](const TFileSystem& fs) {
            return fs.Delete(std::vector<std::string>{"DATA/SAVE.DAT", "DATA/F3"});
        });
        expected.erase(expected.begin() + 3 + 3);
        change([](const TFileSystem& fs) { return fs.Rename("LONGNA~1.TXT", "short.txt"); });
        expected.push_back({"SHORT.TXT", Pattern(10, 2)});

        const std::unique_ptr<TFileSystem> fs = OpenFat12(TDiskSectors(image));
        ASSERT_NE(fs, nullptr);
        EXPECT_EQ(fs->FileCount(), static_cast<int64_t>(expected.size()));
        const TToolView tools = ToolView(dir, DumpOf(medium, image));
        EXPECT_EQ(Names(*fs, "", true), tools.Listing);
        EXPECT_EQ(fs->FreeBytes(), tools.FreeBytes);
        for (const auto& [path, data] : expected) {
            SCOPED_TRACE(path);
            EXPECT_EQ(fs->Read(path), data);
            EXPECT_EQ(ToolRead(dir, path), data);
        }
        const std::string details = fs->List("")[1].Details;
        EXPECT_TRUE(std::regex_match(details, DateAndArchive)) << details;

        // A folder goes only with everything in it.
        std::vector<std::string> folder = {"DATA"};
        EXPECT_EQ(MessageOf<EFileSystemError>([&] { fs->Delete(folder); }),
                  "The folder \"DATA\" is not empty.");
        for (const TFileEntry& entry : fs->List("DATA"))
            folder.push_back("DATA/" + entry.Name);
        change([&](const TFileSystem& fs) { return fs.Delete(folder); });
        EXPECT_EQ(ToolView(dir, DumpOf(medium, image)).Listing,
                  (std::vector<std::string>{"A.TXT", "EMPTY", "NEW.BIN", "SHORT.TXT"}));
    }
}

TEST(App_fatfsWrite, FoldersMadeNestedAndGrownAreOnesFsckAndMtoolsAccept) {
    if (!HaveTools())
        GTEST_SKIP() << "dosfstools and mtools are needed";
    const TempDir dir;
    const rtl::TLocalTime date{2001, 2, 3, 4, 5, 6};
    for (const TMedium& medium : {Media[0], Media[2]}) {
        SCOPED_TRACE(medium.Name);
        Bytes image = ImageOf(medium, MakeDump(dir, medium, {"OLD"}, {{"OLD/A.TXT", {1}}}));
        const auto change = [&](const std::function<Bytes(const TFileSystem&)>& step) {
            const std::unique_ptr<TFileSystem> fs = OpenFat12(TDiskSectors(image));
            ASSERT_NE(fs, nullptr);
            image = step(*fs);
        };
        change([&](const TFileSystem& fs) { return fs.MakeFolder("games", date); });
        change([&](const TFileSystem& fs) { return fs.MakeFolder("OLD/INNER", date); });
        change([&](const TFileSystem& fs) { return fs.MakeFolder("OLD/INNER/DEEP", date); });
        TFiles expected = {{"OLD/A.TXT", {1}}};
        // More entries than a cluster of the folder holds: it grows, and a folder made after
        // that takes a slot of the new cluster.
        for (int i = 0; i < 40; ++i) {
            expected.push_back({"GAMES/G" + std::to_string(i), Pattern(300, i)});
            change([&](const TFileSystem& fs) {
                return fs.Put(expected.back().first, expected.back().second);
            });
        }
        change([&](const TFileSystem& fs) { return fs.MakeFolder("GAMES/LAST", date); });
        expected.push_back({"GAMES/LAST/X.BIN", Pattern(2000, 9)});
        change([&](const TFileSystem& fs) {
            return fs.Put(expected.back().first, expected.back().second);
        });

        const std::unique_ptr<TFileSystem> fs = OpenFat12(TDiskSectors(image));
        ASSERT_NE(fs, nullptr);
        EXPECT_EQ(fs->Damage(), "");
        const TToolView tools = ToolView(dir, DumpOf(medium, image));
        EXPECT_TRUE(tools.Clean);
        EXPECT_EQ(Names(*fs, "", true), tools.Listing);
        EXPECT_EQ(fs->FreeBytes(), tools.FreeBytes);
        for (const auto& [path, data] : expected)
            EXPECT_EQ(ToolRead(dir, path), data) << path;
        EXPECT_EQ(fs->List("")[1].Date, date);
        // mtools makes a folder in one made here, and fsck still finds nothing wrong.
        EXPECT_TRUE(::Run("mmd -i '" + dir.File("check.img") + "' ::OLD/INNER/DEEP/MT"));
        const Bytes mtools = ReadFileBytes(dir.File("check.img"));
        EXPECT_TRUE(ToolView(dir, mtools).Clean);
    }
}

TEST(App_fatfsRefusals, NamesThatDoNotFitAFullDiskAndFullRootLeaveTheImageAlone) {
    if (!HaveTools())
        GTEST_SKIP() << "dosfstools and mtools are needed";
    const TempDir dir;
    const Bytes image =
        ImageOf(Pc98, MakeDump(dir, Pc98, {"DATA"}, {{"A.TXT", {1}}, {"B.TXT", {2}}}));
    const Bytes before = image;
    const std::unique_ptr<TFileSystem> fs = OpenFat12(TDiskSectors(image));
    ASSERT_NE(fs, nullptr);
    const auto put = [&](const char* path) {
        return MessageOf<EFileSystemError>([&] { fs->Put(path, {}); });
    };
    const auto rename = [&](const char* name) {
        return MessageOf<EFileSystemError>([&] { fs->Rename("A.TXT", name); });
    };
    const std::string fit = "\" does not fit a FAT12 disk: ";
    EXPECT_EQ(put("ABCDEFGHIJ.TXT"),
              "The name \"ABCDEFGHIJ.TXT" + fit + "at most 8 bytes and 3 after the dot.");
    EXPECT_EQ(put("A.TEXT"), "The name \"A.TEXT" + fit + "at most 8 bytes and 3 after the dot.");
    EXPECT_EQ(put("A*B.TXT"), "The name \"A*B.TXT" + fit + "a name cannot hold \"*\".");
    EXPECT_EQ(put("A B.TXT"), "The name \"A B.TXT" + fit + "a name cannot hold spaces.");
    EXPECT_EQ(put("A.B.C"), "The name \"A.B.C" + fit + "a name has one dot at most.");
    EXPECT_EQ(rename(".TXT"), "The name \".TXT" + fit + "it needs a name before the dot.");
    EXPECT_EQ(rename("DIR/B"), "The name \"DIR/B" + fit + "a name cannot hold \"/\".");
    EXPECT_EQ(rename("b.txt"), "The disk already has a file \"B.TXT\".");
    EXPECT_EQ(put("data"), "The disk already has a folder \"DATA\".");
    EXPECT_EQ(MessageOf<EFileSystemError>([&] {
                  fs->Delete(std::vector<std::string>{"A.TXT", "C.TXT"});
              }),
              "The disk has no file \"C.TXT\".");
    EXPECT_EQ(MessageOf<EFileSystemError>([&] { fs->Put("BIG.DAT", Bytes(1300 * 1024)); }),
              "The file \"BIG.DAT\" (1331200 bytes) does not fit the free space of the disk (" +
                  std::to_string(fs->FreeBytes()) + " bytes).");
    // Replacing a file counts its clusters free: the disk's whole space fits.
    EXPECT_NO_THROW(fs->Put("A.TXT", Bytes(static_cast<size_t>(fs->FreeBytes()) + 1024)));
    EXPECT_EQ(image, before);

    TFiles files;
    for (int i = 0; i < 16; ++i)
        files.push_back({"F" + std::to_string(i), {}});
    const Bytes full = ImageOf(Media[2], MakeDump(dir, Media[2], {}, files, "-r 16"));
    EXPECT_EQ(
        MessageOf<EFileSystemError>([&] { OpenFat12(TDiskSectors(full))->Put("ONE.MOR", {}); }),
        "The root folder of the disk is full: it holds at most 16 entries.");
}

TEST(App_fatfsHuman68k, ItsBootSectorAndNamesOf18BytesReadAndWrite) {
    if (!HaveTools())
        GTEST_SKIP() << "dosfstools and mtools are needed";
    const TempDir dir;
    const Bytes text = Pattern(2500, 7);
    Bytes dump = MakeDump(dir, Pc98, {}, {{"LONGFILE.TXT", text}, {"SHORT.X", {9}}});
    const Bytes dosBoot(dump.begin(), dump.begin() + 1024);
    // Human68k's boot sector: bra.s, "Hudson soft 2.00", then big-endian bytes per sector,
    // sectors per cluster, FATs, reserved sectors, root entries, sectors, media, FAT sectors.
    std::fill(dump.begin(), dump.begin() + 1024, 0);
    const std::string boot = std::string("\x60\x3CHudson soft 2.00\x04\x00\x01\x02\x00\x01", 24) +
                             std::string("\x00\xC0\x04\xD0\xFE\x02", 6);
    std::copy(boot.begin(), boot.end(), dump.begin());
    // The root folder follows the boot sector and two FATs of two sectors. A name's ten more
    // bytes take the entry's bytes 12 to 21, which mtools gave the creation time.
    const size_t root = 5 * 1024;
    for (const char* name : {"LONGFILETXT", "SHORT   X  "})
        std::fill_n(&dump[EntryAt(dump, root, name) + 12], 10, 0);
    std::memcpy(&dump[EntryAt(dump, root, "LONGFILETXT") + 12], "NAME", 4);

    const Bytes image = ImageOf(Pc98, dump);
    const std::unique_ptr<TFileSystem> fs = OpenFat12(TDiskSectors(image));
    ASSERT_NE(fs, nullptr);
    EXPECT_EQ(Names(*fs), (std::vector<std::string>{"LONGFILENAME.TXT", "SHORT.X"}));
    EXPECT_EQ(fs->Read("longfilename.txt"), text);
    EXPECT_EQ(MessageOf<EFileSystemError>([&] { fs->Put("NINETEENBYTESNAME12.DAT", {}); }),
              "The name \"NINETEENBYTESNAME12.DAT\" does not fit a FAT12 disk: at most 18 bytes "
              "and 3 after the dot.");
    const Bytes data = Pattern(3000, 8);
    const Bytes put = fs->Put("AnotherLongName1.dat", data);
    const std::unique_ptr<TFileSystem> after = OpenFat12(TDiskSectors(put));
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(Names(*after),
              (std::vector<std::string>{"LONGFILENAME.TXT", "SHORT.X", "ANOTHERLONGNAME1.DAT"}));
    EXPECT_EQ(after->Read("ANOTHERLONGNAME1.DAT"), data);

    // The same disk under DOS's boot sector: sound, with the name's first eight bytes.
    Bytes back = DumpOf(Pc98, put);
    std::copy(dosBoot.begin(), dosBoot.end(), back.begin());
    const size_t entry = EntryAt(back, root, "ANOTHERLDAT");
    EXPECT_EQ(std::string(&back[entry + 12], &back[entry + 22]), std::string("ONGNAME1\0\0", 10));
    EXPECT_TRUE(ToolView(dir, back).Clean);
    EXPECT_EQ(ToolRead(dir, "ANOTHERL.DAT"), data);
}

TEST(App_fatfsDamage, BrokenChainsAndEntriesAreNamedListedAsFarAsSoundAndNeverChanged) {
    if (!HaveTools())
        GTEST_SKIP() << "dosfstools and mtools are needed";
    const TempDir dir;
    const Bytes sound = MakeDump(dir, Pc98, {"DATA", "DATA/SUB"},
                                 {{"A.TXT", Pattern(3000, 1)}, {"B.TXT", Pattern(100, 2)}});
    const size_t fat = 1024, fat2 = 3 * 1024, root = 5 * 1024;
    const size_t b = EntryAt(sound, root, "B       TXT");
    const auto clusterOf = [&](size_t entry) { return sound[entry + 26] | sound[entry + 27] << 8; };
    const int a = clusterOf(EntryAt(sound, root, "A       TXT"));
    const int data = clusterOf(EntryAt(sound, root, "DATA       "));
    // Cluster 2 is the sector after the root folder's six.
    const size_t sub = EntryAt(sound, (11 + static_cast<size_t>(data) - 2) * 1024, "SUB        ");
    const struct {
        std::function<void(Bytes&)> Break;
        std::string Damage;
        bool ReadA;
    } cases[] = {
        {[&](Bytes& d) { SetFat(d, fat2, 1000, 5); }, "", true},
        {[&](Bytes& d) { SetFat(d, fat, a + 2, a); }, "the allocation chain of \"A.TXT\" loops",
         false},
        {[&](Bytes& d) { SetFat(d, fat, a + 1, 0xF00); },
         "the allocation chain of \"A.TXT\" leaves the disk", false},
        {[&](Bytes& d) { d[b + 26] = static_cast<uint8_t>(a + 2); },
         "\"A.TXT\" and \"B.TXT\" share cluster " + std::to_string(a + 2), true},
        {[&](Bytes& d) { d[b + 26] = 0xB8, d[b + 27] = 0x0B; },
         "the entry of \"B.TXT\" points outside the disk", true},
        {[&](Bytes& d) { d[b + 29] = 0x10; },
         "the size of \"B.TXT\" is larger than its allocation chain holds", true},
        {[&](Bytes& d) {
             d[sub + 26] = static_cast<uint8_t>(data),
                     d[sub + 27] = static_cast<uint8_t>(data >> 8);
         },
         "the folder \"DATA/SUB\" loops back to a folder that holds it", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Damage);
        Bytes dump = sound;
        c.Break(dump);
        const Bytes image = ImageOf(Pc98, dump);
        const Bytes before = image;
        const std::unique_ptr<TFileSystem> fs = OpenFat12(TDiskSectors(image));
        ASSERT_NE(fs, nullptr);
        EXPECT_EQ(fs->Damage(), c.Damage);
        EXPECT_EQ(Names(*fs), (std::vector<std::string>{"DATA/", "A.TXT", "B.TXT"}));
        // A folder that loops is shown in its folder, not followed.
        EXPECT_EQ(Names(*fs, "DATA"), std::vector<std::string>{"SUB/"});
        EXPECT_TRUE(fs->List("DATA/SUB").empty());
        if (c.ReadA)
            EXPECT_EQ(fs->Read("A.TXT"), Pattern(3000, 1));
        else
            EXPECT_EQ(
                MessageOf<EFileSystemError>([&] { fs->Read("A.TXT"); }),
                "The program cannot read the file \"A.TXT\": its allocation chain is broken.");
        if (c.Damage.empty())
            continue;
        const std::string refused =
            "The program cannot change the files of this disk: " + c.Damage + ".";
        EXPECT_EQ(MessageOf<EFileSystemError>([&] { fs->Put("C.TXT", Bytes{1}); }), refused);
        EXPECT_EQ(
            MessageOf<EFileSystemError>([&] { fs->Delete(std::vector<std::string>{"B.TXT"}); }),
            refused);
        EXPECT_EQ(MessageOf<EFileSystemError>([&] { fs->Rename("B.TXT", "C.TXT"); }), refused);
        EXPECT_EQ(image, before);
    }
}
