#include "App_softwarelists.h"

#include "DiskFormsSupport.h"
#include "Rtl_hashes.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

using namespace testsupport;

namespace {

std::string DigestOf(rtl::THashAlgorithm algorithm, const Bytes& bytes) {
    const std::unique_ptr<rtl::THash> hash = rtl::NewHash(algorithm);
    hash->Update(bytes.data(), bytes.size());
    return hash->HexDigest();
}

enum class TDigests { CrcAndSha1, CrcOnly, Sha1Only };

// A rom element naming bytes by size and the digests asked for.
std::string Rom(const std::string& name, const Bytes& bytes,
                TDigests digests = TDigests::CrcAndSha1) {
    std::string rom = "<rom name=\"" + name + "\" size=\"" + std::to_string(bytes.size()) + "\"";
    if (digests != TDigests::Sha1Only)
        rom += " crc=\"" + DigestOf(rtl::THashAlgorithm::Crc32, bytes) + "\"";
    if (digests != TDigests::CrcOnly)
        rom += " sha1=\"" + DigestOf(rtl::THashAlgorithm::Sha1, bytes) + "\"";
    return rom + "/>";
}

std::unique_ptr<TDiskImage> PatternImage(uint8_t seed) {
    Bytes sectors(40 * 2 * 16 * 256);
    for (size_t i = 0; i < sectors.size(); ++i)
        sectors[i] = static_cast<uint8_t>(i * 7 + seed + i / 256);
    return std::make_unique<TDiskImage>(TDiskFormat{DiskType2D, 40, 2, 16, 1}, sectors);
}

struct TMatch {
    std::string List, Software, Part, Title;
    friend bool operator==(const TMatch&, const TMatch&) = default;
};

std::vector<TMatch> Matches(const TSoftwareCatalog& catalog, const std::vector<uint32_t>& disks) {
    std::vector<TMatch> matches;
    for (const uint32_t index : disks) {
        const TListedDisk& disk = catalog.Disks()[index];
        const TListedSoftware& software = catalog.Softwares()[disk.Software];
        matches.push_back(
            {catalog.Lists()[software.List], software.Name, disk.Part, DescribeSoftware(software)});
    }
    return matches;
}

} // namespace

// A software of two disks in a MAME list, a DAT naming a plain dump, and a list that gives no
// SHA-1: images are known as one-image files, with their protection cleared, and as the dump
// they can be written as.
TEST(SoftwareLists, ImagesAreKnownAsFilesWithoutProtectionAndAsTheirDumps) {
    const TempDir dir;
    const auto diskA = PatternImage(1);
    const auto diskB = PatternImage(2);
    const auto dumped = PatternImage(3);
    auto protectedOne = PatternImage(4);
    const Bytes cleared = ImageBytes(*protectedOne);
    protectedOne->SetWriteProtected(WriteProtectedOn);
    const std::string list =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE softwarelist SYSTEM \"softwarelist.dtd\">\n"
        "<softwarelist name=\"pc8801_flop\" description=\"PC-8801 disks\">\n"
        " <software name=\"ys2\">\n  <description>Ys II &amp; more</description>\n"
        "  <year>1988</year>\n  <publisher>Falcom</publisher>\n"
        "  <part name=\"flop1\" interface=\"floppy_5_25\">\n"
        "   <feature name=\"part_id\" value=\"Disk A\"/>\n   <dataarea name=\"flop\">" +
        Rom("ys2a.d88", ImageBytes(*diskA)) +
        "</dataarea>\n  </part>\n"
        "  <part name=\"flop2\" interface=\"floppy_5_25\"><dataarea name=\"flop\">" +
        Rom("ys2b.d88", ImageBytes(*diskB)) +
        "</dataarea></part>\n"
        "  <part name=\"cass1\" interface=\"pc8801_cass\"><dataarea name=\"cass\">" +
        Rom("tape.t88", ImageBytes(*dumped)) + "</dataarea></part>\n </software>\n" +
        " <software name=\"nodisk\"><description>None</description>"
        "<part name=\"flop1\" interface=\"floppy_5_25\"><dataarea name=\"flop\">"
        "<rom name=\"x.d88\" size=\"348848\" status=\"nodump\"/></dataarea></part></software>\n"
        "</softwarelist>\n";
    WriteFileText(dir.File("pc88.xml"), list);
    WriteFileText(dir.File("set.dat"),
                  "<?xml version=\"1.0\"?>\n<datafile><header><name>Example Set</name></header>\n"
                  "<game name=\"demo\"><description>Demo Disk</description>" +
                      Rom("demo.hdm", SavedIn(*dumped, TImageForm::Raw)) +
                      Rom("clean.d88", cleared, TDigests::CrcOnly) + "</game></datafile>\n");
    WriteFileText(dir.File("notes.txt"), "not a list");

    TSoftwareCatalog catalog;
    catalog.AddFolder(dir.Path());
    EXPECT_EQ(catalog.Lists(), (std::vector<std::string>{"pc8801_flop", "Example Set"}));
    // The tape and the disk nobody has take no room.
    ASSERT_EQ(catalog.Disks().size(), 4u);
    EXPECT_EQ(catalog.Softwares()[0].Disks, 2u);

    EXPECT_EQ(Matches(catalog, IdentifyImage(catalog, *diskA)),
              (std::vector<TMatch>{
                  {"pc8801_flop", "ys2", "flop1 (Disk A)", "Ys II & more (1988, Falcom)"}}));
    EXPECT_EQ(
        Matches(catalog, IdentifyImage(catalog, *diskB)),
        (std::vector<TMatch>{{"pc8801_flop", "ys2", "flop2", "Ys II & more (1988, Falcom)"}}));
    EXPECT_EQ(Matches(catalog, IdentifyImage(catalog, *dumped)),
              (std::vector<TMatch>{{"Example Set", "demo", "demo.hdm", "Demo Disk"}}));
    EXPECT_EQ(Matches(catalog, IdentifyImage(catalog, *protectedOne)),
              (std::vector<TMatch>{{"Example Set", "demo", "clean.d88", "Demo Disk"}}));
    // One byte changed is another disk, and the file a dump came from is looked up as it is.
    auto renamed = PatternImage(1);
    renamed->SetName("X");
    EXPECT_TRUE(IdentifyImage(catalog, *renamed).empty());
    EXPECT_EQ(IdentifyImage(catalog, *renamed, SavedIn(*dumped, TImageForm::Raw)).size(), 1u);

    // A SHA-1 that disagrees, with size and CRC-32 agreeing, is no match.
    std::string wrong = list;
    const std::string sha1 = DigestOf(rtl::THashAlgorithm::Sha1, ImageBytes(*diskA));
    wrong.replace(wrong.find(sha1), 40, std::string(40, '0'));
    WriteFileText(dir.File("wrong.xml"), wrong);
    TSoftwareCatalog strict;
    strict.AddFile(dir.File("wrong.xml"));
    EXPECT_TRUE(IdentifyImage(strict, *diskA).empty());
    EXPECT_EQ(IdentifyImage(strict, *diskB).size(), 1u);
}

// Lists are hostile input: each of these is left out with a note naming its file and what is
// wrong, or read without taking more than the file, and nothing outside the file is ever read.
TEST(SoftwareLists, HostileListsAreLeftOutWithTheirFileAndLine) {
    const TempDir dir;
    const std::string laughs =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE softwarelist [\n <!ENTITY a \"aaaaaaaaaa\">\n"
        " <!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n"
        " <!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n"
        " <!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">\n"
        " <!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">\n"
        " <!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">\n"
        " <!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">\n]>\n"
        "<softwarelist name=\"x\"><software name=\"s\"><description>&g;</description>"
        "</software></softwarelist>\n";
    const struct {
        const char* Name;
        std::string Text;
        std::string Message;
    } cases[] = {
        {"laughs.xml", laughs, "limit on input amplification factor (from DTD and entities)"},
        {"cut.xml", "<softwarelist name=\"x\">\n<software name=\"s\">\n<description>",
         "no element found at line 3"},
        {"mismatch.xml", "<datafile>\n<game name=\"g\"></machine></datafile>",
         "mismatched tag at line 2"},
        {"other.xml", "<html><body/></html>", "it is neither a MAME software list nor a DAT file"},
        {"size.dat",
         "<datafile><game name=\"g\"><rom name=\"r\" size=\"big\" crc=\"01234567\"/>"
         "</game></datafile>",
         "a disk's size is not a number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        WriteFileText(dir.File(c.Name), c.Text);
        TSoftwareCatalog catalog;
        catalog.AddFile(dir.File(c.Name));
        // What was read before the fault goes with the list.
        EXPECT_TRUE(catalog.Lists().empty());
        ASSERT_EQ(catalog.Notes().size(), 1u);
        const std::string& message = catalog.Notes()[0];
        EXPECT_EQ(
            message.rfind("The program cannot read the list \"" + dir.File(c.Name) + "\": ", 0), 0u)
            << message;
        EXPECT_NE(message.find(c.Message), std::string::npos) << message;
    }

    // An external entity names a file the list must not read; a huge value is cut, not kept.
    WriteFileText(dir.File("secret.txt"), "SECRET");
    WriteFileText(dir.File("external.xml"),
                  "<?xml version=\"1.0\"?>\n<!DOCTYPE softwarelist [<!ENTITY s SYSTEM \"" +
                      dir.File("secret.txt") +
                      "\">]>\n<softwarelist name=\"x\"><software name=\"s\"><description>&s;" +
                      std::string(3 << 20, 'D') +
                      "</description><part name=\"flop1\" interface=\"floppy_3_5\">"
                      "<rom name=\"r\" size=\"1\" crc=\"d202ef8d\"/></part></software>"
                      "</softwarelist>");
    TSoftwareCatalog catalog;
    catalog.AddFile(dir.File("external.xml"));
    ASSERT_EQ(catalog.Softwares().size(), 1u);
    EXPECT_EQ(catalog.Softwares()[0].Description.find("SECRET"), std::string::npos);
    EXPECT_LE(catalog.Softwares()[0].Description.size(), 1024u);
    EXPECT_EQ(catalog.Find(Bytes{0}).size(), 1u);
}

// A list or folder that cannot be read is a note, and the lists that can are still read. A file
// that is no list is told by its head and never read whole, however large; a list too large to
// read is a note.
TEST(SoftwareLists, ListsThatCannotBeReadAreNotesAndTheOthersStillIdentify) {
    const TempDir dir;
    const auto disk = PatternImage(5);
    WriteFileText(dir.File("good.xml"),
                  "<softwarelist name=\"good\"><software name=\"s\"><description>Good</description>"
                  "<part name=\"flop1\" interface=\"floppy_3_5\">" +
                      Rom("s.d88", ImageBytes(*disk)) + "</part></software></softwarelist>");
    WriteFileText(dir.File("bad.dat"), "<datafile>\n<game>");
    WriteFileText(dir.File("huge.dat"), "<datafile>");
    std::filesystem::resize_file(dir.File("huge.dat"), int64_t{600} << 20);
    WriteFileText(dir.File("movie.bin"), "");
    std::filesystem::resize_file(dir.File("movie.bin"), int64_t{600} << 20);

    TSoftwareCatalog catalog;
    catalog.AddFolder(dir.Path());
    catalog.AddPath(dir.File("none"));
    catalog.AddFolder(dir.File("none"));
    EXPECT_EQ(catalog.Lists(), std::vector<std::string>{"good"});
    EXPECT_EQ(Matches(catalog, IdentifyImage(catalog, *disk)),
              (std::vector<TMatch>{{"good", "s", "flop1", "Good"}}));
    const std::string list = "The program cannot read the list \"";
    EXPECT_EQ(
        catalog.Notes(),
        (std::vector<std::string>{
            list + dir.File("bad.dat") + "\": no element found at line 2.",
            list + dir.File("huge.dat") + "\": it is too large.", list + dir.File("none") + "\".",
            "The program cannot read the folder of lists \"" + dir.File("none") + "\"."}));
    // Each note knows what it is about, so that the lists dialog can mark the path the user gave.
    EXPECT_EQ(catalog.LeftOut(),
              (std::vector<std::string>{dir.File("bad.dat"), dir.File("huge.dat"), dir.File("none"),
                                        dir.File("none")}));
    const std::string bytes = catalog.Serialize();
    const std::optional<TSoftwareCatalog> restored = TSoftwareCatalog::Restore(
        std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->LeftOut(), catalog.LeftOut());
}

// A rom may give its SHA-1 without a CRC-32: the disk is found by size and SHA-1, once, in list
// order among those found by CRC-32 too, and not by other bytes of its size.
TEST(SoftwareLists, ADiskListedWithASha1AloneIsFoundByItsSizeAndSha1) {
    const TempDir dir;
    const Bytes bytes = ImageBytes(*PatternImage(6));
    const Bytes other = ImageBytes(*PatternImage(7));
    std::string wrong = Rom("wrong.d88", other, TDigests::Sha1Only);
    wrong.replace(wrong.find("sha1=\"") + 6, 40, std::string(40, '0'));
    WriteFileText(dir.File("set.dat"), "<datafile><game name=\"g\"><description>G</description>" +
                                           Rom("full.d88", bytes) + wrong +
                                           Rom("bare.d88", bytes, TDigests::Sha1Only) +
                                           "</game></datafile>");
    TSoftwareCatalog catalog;
    catalog.AddFile(dir.File("set.dat"));
    ASSERT_EQ(catalog.Disks().size(), 3u);
    EXPECT_EQ(catalog.Find(bytes), (std::vector<uint32_t>{0, 2}));
    EXPECT_TRUE(catalog.Find(other).empty());
}

// A catalog's bytes come back as they were written, its items with them, and bytes Serialize
// would not write are refused: another byte order, a cut or a longer catalog, a reference to
// nothing, texts that overlap or leave bytes over, and a lookup order that is not Find's.
TEST(SoftwareLists, ACatalogsBytesComeBackAndOnlyThey) {
    const TempDir dir;
    const Bytes large(2000, 0x55), small(1000, 0x66);
    WriteFileText(dir.File("set.dat"), "<datafile><game name=\"g\"><description>Game</description>"
                                       "<year>1986</year>" +
                                           Rom("large.d88", large) + Rom("small.d88", small) +
                                           "</game></datafile>");
    TSoftwareCatalog catalog;
    catalog.AddFile(dir.File("set.dat"));
    const std::string written = catalog.Serialize();
    const auto restore = [](const std::string& bytes) {
        return TSoftwareCatalog::Restore(
            std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    };
    const std::optional<TSoftwareCatalog> restored = restore(written);
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->Serialize(), written);
    EXPECT_EQ(restored->Lists(), std::vector<std::string>{"set"});
    ASSERT_EQ(restored->Disks().size(), 2u);
    EXPECT_EQ(restored->Disks()[1].Part, "small.d88");
    EXPECT_EQ(restored->Disks()[1].Size, 1000);
    EXPECT_EQ(DescribeSoftware(restored->Softwares()[0]), "Game (1986)");
    EXPECT_EQ(restored->Find(small), std::vector<uint32_t>{1});
    EXPECT_EQ(restored->Find(large), std::vector<uint32_t>{0});

    // One list, no note, one software, two disks: the counts, then the software's list (20) and
    // disk count, the disks' softwares (28), numbers, sizes (44), CRC-32s, flags (68) and SHA-1s,
    // Find's order (110: the small disk first), where the nine texts end (118), and the texts.
    ASSERT_EQ(written.size(), 154u + std::string("setgGame1986large.d88small.d88").size());
    const auto change = []<typename T>(std::string bytes, size_t at, T value) {
        std::memcpy(bytes.data() + at, &value, sizeof value);
        return bytes;
    };
    // A text may end elsewhere, as long as the texts stay in order.
    const std::string moved = change(written, 118 + 4, uint32_t{5});
    ASSERT_TRUE(restore(moved));
    EXPECT_EQ(restore(moved)->Softwares()[0].Name, "gG");
    EXPECT_EQ(restore(moved)->Softwares()[0].Description, "ame");
    EXPECT_EQ(restore(moved)->Serialize(), moved);
    const struct {
        const char* What;
        std::string Bytes;
    } refused[] = {
        {"the other byte order", change(written, 0, uint32_t{0x54574331})},
        {"cut", written.substr(0, written.size() - 1)},
        {"longer", written + "x"},
        {"no such list", change(written, 20, uint32_t{1})},
        {"no such software", change(written, 32, uint32_t{1})},
        {"a negative size", change(written, 52, int64_t{-1000})},
        {"no digest", change(written, 68, uint8_t{0})},
        {"texts overlapping", change(written, 118 + 4, uint32_t{2})},
        {"a text past the end", change(written, 118 + 32, uint32_t{31})},
        {"bytes after the last text",
         change(change(written, 118 + 28, uint32_t{29}), 118 + 32, uint32_t{29})},
        {"Find's order out of order", change(change(written, 110, uint32_t{0}), 114, uint32_t{1})},
        {"a disk twice in Find's order", change(written, 114, uint32_t{1})},
        {"no such disk in Find's order", change(written, 110, uint32_t{2})},
    };
    for (const auto& each : refused)
        EXPECT_FALSE(restore(each.Bytes)) << each.What;
}

// MAME's own lists (Debian package mame-data) read whole, as identify reads them by default.
TEST(SoftwareLists, MamesInstalledFloppyListsAreReadWhole) {
    ASSERT_TRUE(std::filesystem::is_directory(MameHashFolder))
        << MameHashFolder << ": install the Debian package mame-data";
    TSoftwareCatalog catalog;
    catalog.AddFolder(MameHashFolder);
    EXPECT_GE(catalog.Lists().size(), 200u);
    EXPECT_GE(catalog.Disks().size(), 79000u);
    const auto listed = std::find_if(catalog.Softwares().begin(), catalog.Softwares().end(),
                                     [](const TListedSoftware& s) { return s.Name == "n88basfe"; });
    ASSERT_NE(listed, catalog.Softwares().end());
    EXPECT_EQ(catalog.Lists()[listed->List], "pc8801_flop");
    EXPECT_EQ(listed->Description, "N88-BASIC FE (v2.3)");
    EXPECT_EQ(listed->Publisher, "<unknown>");
    const auto index = static_cast<uint32_t>(listed - catalog.Softwares().begin());
    const auto disk = std::find_if(catalog.Disks().begin(), catalog.Disks().end(),
                                   [&](const TListedDisk& d) { return d.Software == index; });
    ASSERT_NE(disk, catalog.Disks().end());
    EXPECT_EQ(disk->Size, 348848);
    EXPECT_EQ(disk->Crc, 0xbce87c72u);
    EXPECT_EQ(disk->Part, "flop1");
}

// A name from a list is code page 932 cut at a character boundary, the disk after the title.
TEST(SoftwareLists, NamesFromAListFitSixteenBytesAndKeepTheDisksApart) {
    const TempDir dir;
    WriteFileText(dir.File("j.xml"),
                  "<softwarelist name=\"j\"><software name=\"s\"><description>イース😀 "
                  "失われた古代王国</description><part name=\"flop1\" interface=\"floppy_5_25\">"
                  "<feature name=\"part_id\" value=\"ディスク\"/><rom name=\"a\" size=\"1\" "
                  "crc=\"00000001\"/></part><part name=\"flop2\" interface=\"floppy_5_25\">"
                  "<rom name=\"b\" size=\"1\" crc=\"00000002\"/></part></software>"
                  "<software name=\"t\"><description>Tiny</description><part name=\"flop1\" "
                  "interface=\"floppy_5_25\"><rom name=\"c\" size=\"1\" crc=\"00000003\"/></part>"
                  "</software></softwarelist>");
    TSoftwareCatalog catalog;
    catalog.AddFile(dir.File("j.xml"));
    ASSERT_EQ(catalog.Disks().size(), 3u);
    // The part_id fits whole in 8 bytes; the title, its emoji left out, gets what is left.
    EXPECT_EQ(IdentificationName(catalog, 0),
              "\x83\x43\x81\x5b\x83\x58 \x83\x66\x83\x42\x83\x58\x83\x4e");
    EXPECT_EQ(IdentificationName(catalog, 1),
              "\x83\x43\x81\x5b\x83\x58 \x8e\xb8\x82\xed\x82\xea 2");
    EXPECT_EQ(IdentificationName(catalog, 2), "Tiny");
}
