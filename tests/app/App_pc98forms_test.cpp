// The files of PC-98 emulators and copy programs, built here from their public layouts: read
// into images with every sector's ID and marks, written as NFD and DIM files, and refused when
// damaged without touching what was loaded before.
#include "App_diskformats.h"

#include "DiskFormsSupport.h"
#include "Pc98Files.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace testsupport;
using namespace pc98files;

namespace {

// The header a D88 image holds for a sector of these files.
TSectorHeader HeaderOf(const Sector& x, bool withStatus = true) {
    return {.C = x.C,
            .H = x.H,
            .R = x.R,
            .N = x.N,
            .Density = static_cast<uint8_t>(x.Fm ? 0x40 : 0),
            .Deleted = static_cast<uint8_t>(x.Deleted ? 0x10 : 0),
            .Status = static_cast<uint8_t>(withStatus ? x.Status : 0),
            .DataSize = static_cast<uint16_t>(128 << x.N)};
}

// A sector at table entry t as a line: its header's fields and a digest of its data.
std::string SectorText(size_t t, const TSectorHeader& x, const uint8_t* data) {
    uint64_t digest = 14695981039346656037u;
    for (size_t i = 0; i < x.DataSize; ++i)
        digest = (digest ^ data[i]) * 1099511628211u;
    char text[96];
    std::snprintf(text, sizeof text, "%zu: %d %d %d %d %02X %02X %02X %d %016llX", t, x.C, x.H, x.R,
                  x.N, x.Density, x.Deleted, x.Status, x.DataSize,
                  static_cast<unsigned long long>(digest));
    return text;
}

std::vector<std::string> Expected(const Tracks& tracks, bool withStatus) {
    std::vector<std::string> lines;
    for (size_t t = 0; t < tracks.size(); ++t)
        for (const Sector& x : tracks[t])
            lines.push_back(SectorText(t, HeaderOf(x, withStatus), DataOf(x).data()));
    return lines;
}

std::vector<std::string> Found(const TDiskImage& image) {
    const std::span<const uint8_t> bytes = image.Bytes();
    const TTrackTable table = ReadTrackTable(bytes);
    std::vector<std::string> lines;
    for (size_t t = 0; t < table.size(); ++t)
        if (table[t] != 0)
            WalkTrack(bytes, table[t], [&](const TSectorRecord& s) {
                lines.push_back(SectorText(t, s.Header, bytes.data() + s.DataOffset));
            });
    return lines;
}

// Interleaved sectors of mixed sizes, FM ones, deleted data, CRC errors, a sector of fill
// bytes, an absent track and an ID of another track.
Tracks MarkedDisk() {
    Tracks tracks(4);
    for (const int r : {1, 3, 5, 2, 4})
        tracks[0].push_back(PatternSector(0, r, r == 2 ? 3 : 1));
    tracks[0][1].Deleted = true;
    tracks[0][1].Status = 0x10;
    tracks[0][2].Status = 0xB0;
    tracks[0][4].Data.clear();
    tracks[0][4].Fill = 0xE5;
    for (int r = 1; r <= 3; ++r)
        tracks[1].push_back(PatternSector(1, r, 0, true));
    tracks[1][1].Status = 0xA0;
    tracks[3] = {PatternSector(3, 1, 2), PatternSector(3, 0xF7, 2)};
    tracks[3][1].C = 5;
    tracks[3][1].H = 0;
    return tracks;
}

} // namespace

TEST(Pc98FormsRead, EachFormOfA2hdDiskReadsAsItsPlainSectorsWhateverItsName) {
    const TempDir dir;
    const Tracks disk = PatternDisk(77, 8, 3);
    const Bytes plain = PlainSectors(disk);
    const struct {
        const char* Form;
        std::string Extension;
        Bytes File;
    } forms[] = {{"NFD r0", ".nfd", NfdR0(disk)},
                 {"NFD r1", ".nfd", NfdR1(disk)},
                 {"FDD", ".fdd", Fdd(disk)},
                 {"DCP", ".dcp", Dcp(0x01, 154, plain)},
                 {"DIP", ".dip", Dip(plain)}};
    for (const auto& form : forms)
        // The content decides: under a name no form has, the file reads alike.
        for (const std::string& name : {"game" + form.Extension, std::string("disk.bin")}) {
            SCOPED_TRACE(std::string(form.Form) + " as " + name);
            WriteFileBytes(dir.File(name), form.File);
            const auto images = Load(dir.File(name));
            ASSERT_EQ(images->Count(), 1);
            const TDiskImage& image = *(*images)[0];
            EXPECT_EQ(image.Name(), name.substr(0, 4));
            EXPECT_EQ(image.DiskType(), DiskType2HD);
            EXPECT_EQ(image.WriteProtected(), WriteProtectedOff);
            EXPECT_TRUE(SavedIn(image, TImageForm::Raw) == plain);
        }

    Bytes nfd = NfdR0(disk);
    nfd[0x114] = 1;
    Bytes fdd = Fdd(disk);
    PutLe(fdd, 0x88, 1, 2);
    for (const auto& [name, file] : {std::pair{"p.nfd", nfd}, std::pair{"p.fdd", fdd}}) {
        SCOPED_TRACE(name);
        WriteFileBytes(dir.File(name), file);
        EXPECT_EQ((*Load(dir.File(name)))[0]->WriteProtected(), WriteProtectedOn);
    }
}

TEST(Pc98FormsRead, FillSectorsDataInAnyOrderAndTheFmTrackOfBasicDisksAreKept) {
    const TempDir dir;
    // Virtual98 keeps the data in any order and leaves out the sectors of one byte.
    Tracks filled = PatternDisk(77, 8, 3);
    for (Sector& sector : filled[5]) {
        sector.Data.clear();
        sector.Fill = 0xE5;
    }
    filled[9][3].Data.clear();
    WriteFileBytes(dir.File("fill.fdd"), Fdd(filled, true));
    EXPECT_TRUE(SavedIn(*(*Load(dir.File("fill.fdd")))[0], TImageForm::Raw) ==
                PlainSectors(filled));

    // N88-BASIC: cylinder 0 side 0 of 26 FM sectors of 128 bytes, the rest 26 of 256.
    Tracks basic(154);
    for (size_t t = 0; t < basic.size(); ++t)
        for (int r = 1; r <= 26; ++r)
            basic[t].push_back(PatternSector(static_cast<int>(t), r, t == 0 ? 0 : 1, t == 0));
    const std::vector<std::string> expected = Expected(basic, true);
    for (const auto& [name, file] : {std::pair{"basic.dcp", Dcp(0x11, 154, PlainSectors(basic))},
                                     std::pair{"basic.nfd", NfdR0(basic)}}) {
        SCOPED_TRACE(name);
        WriteFileBytes(dir.File(name), file);
        const auto images = Load(dir.File(name));
        EXPECT_EQ((*images)[0]->DiskType(), DiskType2HD);
        EXPECT_EQ(Found(*(*images)[0]), expected);
    }
}

TEST(Pc98FormsMarks, EverySectorsIdDensityAndMarksGoThroughNfdAndFddFiles) {
    const TempDir dir;
    const Tracks marked = MarkedDisk();
    // An FDD file has no status; NFD files keep the BIOS's.
    for (const auto& [name, file, status] :
         {std::tuple{"r0.nfd", NfdR0(marked), true}, std::tuple{"r1.nfd", NfdR1(marked), true},
          std::tuple{"v.fdd", Fdd(marked, true), false}}) {
        SCOPED_TRACE(name);
        WriteFileBytes(dir.File(name), file);
        EXPECT_EQ(Found(*(*Load(dir.File(name)))[0]), Expected(marked, status));
    }

    // image -> NFD -> image: every header and byte but the name, which the file gives.
    TLaidTracks laid(marked.size());
    for (size_t t = 0; t < marked.size(); ++t)
        for (const Sector& x : marked[t])
            laid[t].push_back({HeaderOf(x), x.Data.empty() ? nullptr : x.Data.data(), x.Fill});
    const TDiskImage image(DiskType2HD, laid);
    const Bytes nfd = SavedIn(image, TImageForm::Nfd);
    WriteFileBytes(dir.File("marks.nfd"), nfd);
    const auto back = Load(dir.File("marks.nfd"));
    EXPECT_EQ((*back)[0]->Name(), "marks");
    const Bytes before = ImageBytes(image);
    const Bytes after = ImageBytes(*(*back)[0]);
    EXPECT_TRUE(Bytes(before.begin() + 17, before.end()) == Bytes(after.begin() + 17, after.end()));
    EXPECT_TRUE(SavedIn(*(*back)[0], TImageForm::Nfd) == nfd);

    // The file's own entries at their public offsets: C, H, R, N, MFM, DDAM, status.
    const auto entry = [&](size_t t, size_t s) {
        return Bytes(&nfd[0x120 + (t * 26 + s) * 16], &nfd[0x120 + (t * 26 + s) * 16 + 7]);
    };
    EXPECT_EQ(entry(0, 1), (Bytes{0, 0, 3, 1, 1, 1, 0x10}));
    EXPECT_EQ(entry(0, 2), (Bytes{0, 0, 5, 1, 1, 0, 0xB0}));
    EXPECT_EQ(entry(1, 1), (Bytes{0, 1, 2, 0, 0, 0, 0xA0}));
    EXPECT_EQ(entry(3, 1), (Bytes{5, 0, 0xF7, 2, 1, 0, 0}));
    EXPECT_EQ(entry(0, 5)[0], 0xFF);
    EXPECT_EQ(entry(2, 0)[0], 0xFF);
    EXPECT_EQ(nfd[0x110] | nfd[0x111] << 8 | nfd[0x112] << 16, 0x10A10);
    const Bytes data = PlainSectors(marked);
    ASSERT_EQ(nfd.size(), 0x10A10 + data.size());
    EXPECT_TRUE(Bytes(nfd.begin() + 0x10A10, nfd.end()) == data);
}

TEST(Pc98FormsNfd, AnR1FileKeepsTheFirstReadingOfEachSectorAndNotesWhatItLeavesOut) {
    const TempDir dir;
    Tracks disk = PatternDisk(77, 8, 3);
    disk[0][2].Retries = 1;
    disk[3][7].Retries = 2;
    // Special readings between tracks' data, and on a track with no sectors at all.
    std::vector<std::vector<Reading>> readings(161);
    readings[1] = {{0, 100}, {1, 6}};
    readings[160] = {{3, 1}};
    WriteFileBytes(dir.File("game.nfd"), NfdR1(disk, readings));
    std::vector<std::string> notes;
    TFormatSource source;
    source.Note = [&](const std::string& note) { notes.push_back(note); };
    const auto images = Load(dir.File("game.nfd"), source);
    EXPECT_TRUE(SavedIn(*(*images)[0], TImageForm::Raw) == PlainSectors(disk));
    EXPECT_EQ(notes, (std::vector<std::string>{
                         "The disk image \"game.nfd\" has sectors read more than once (2); the "
                         "image keeps the first reading of each.",
                         "The disk image \"game.nfd\" has special readings of its tracks (3), "
                         "which an image cannot hold; they are left out."}));
}

TEST(Pc98FormsHostile, DamagedHeadersAreRefusedAndLeaveTheLoadedImagesAsTheyWere) {
    const TempDir dir;
    const Tracks disk = PatternDisk(2, 8, 3);
    const Bytes r0 = NfdR0(disk);
    const Bytes r1 = NfdR1(disk, {{{0, 16}}});
    const Bytes fdd = Fdd(disk);
    const Bytes dcp = Dcp(0x01, 4, PlainSectors(disk));
    const Bytes dip = Dip(PlainSectors(PatternDisk(77, 8, 3)));
    // Whole, each is read: the damage alone is refused.
    for (const auto& [name, file] :
         {std::pair{"a.nfd", r0}, std::pair{"b.nfd", r1}, std::pair{"c.fdd", fdd},
          std::pair{"d.dcp", dcp}, std::pair{"e.dip", dip}}) {
        WriteFileBytes(dir.File(name), file);
        EXPECT_EQ(Load(dir.File(name))->Count(), 1) << name;
    }

    const auto le32 = [](const Bytes& b, size_t at) {
        return uint32_t{b[at]} | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t{b[at + 3]} << 24;
    };
    const auto changed = [](Bytes file, size_t at, uint32_t value, int width) {
        PutLe(file, at, value, width);
        return file;
    };
    const size_t track0 = le32(r1, 0x120);
    // A small file claiming more data than any disk holds, through sectors of one byte.
    Tracks claims(160);
    for (size_t t = 0; t < claims.size(); ++t)
        for (int r = 1; r <= 26; ++r) {
            claims[t].push_back(PatternSector(static_cast<int>(t), r, 6));
            claims[t].back().Data.clear();
        }
    const struct {
        const char* What;
        const char* Name;
        Bytes File;
    } cases[] = {
        {"r0 size code 9", "a.nfd", changed(r0, 0x120 + 3, 9, 1)},
        {"r0 data past the end", "a.nfd", Bytes(r0.begin(), r0.end() - 1)},
        {"r0 header past the end", "a.nfd",
         changed(r0, 0x110, static_cast<uint32_t>(r0.size() + 1), 4)},
        {"r1 track past the header", "b.nfd", changed(r1, 0x124, le32(r1, 0x110), 4)},
        {"r1 tracks sharing entries", "b.nfd", changed(r1, 0x128, le32(r1, 0x124), 4)},
        {"r1 65,535 sectors", "b.nfd", changed(r1, track0, 0xFFFF, 2)},
        {"r1 65,535 special readings", "b.nfd", changed(r1, track0 + 2, 0xFFFF, 2)},
        {"r1 special reading of 4 GiB", "b.nfd", changed(r1, track0 + 16 * 9 + 10, 0xFFFFFFFF, 4)},
        {"FDD size code 9", "c.fdd", changed(fdd, 0xDC + 3, 9, 1)},
        {"FDD data past the end", "c.fdd",
         changed(fdd, 0xDC + 8, static_cast<uint32_t>(fdd.size()), 4)},
        {"FDD data at the last byte", "c.fdd",
         changed(fdd, 0xDC + 8, static_cast<uint32_t>(fdd.size() - 1), 4)},
        {"FDD data wrapping past 4 GiB", "c.fdd", changed(fdd, 0xDC + 8, 0xFFFFFF00, 4)},
        {"FDD data inside the header", "c.fdd", changed(fdd, 0xDC + 8, 0x100, 4)},
        {"FDD sectors sharing data", "c.fdd", changed(fdd, 0xDC + 12 + 8, le32(fdd, 0xDC + 8), 4)},
        {"FDD of 34 MB of fill", "c.fdd", Fdd(claims)},
        {"DCP short of its map", "d.dcp", Bytes(dcp.begin(), dcp.end() - 1)},
        {"DCP mapping a track more", "d.dcp", changed(dcp, 1 + 4, 1, 1)},
        {"DIP one byte short", "e.dip", Bytes(dip.begin(), dip.end() - 1)},
    };
    TDiskImageList kept;
    kept.Add(std::make_unique<TDiskImage>(TDiskFormat{DiskType2D, 1, 1, 1, 0}));
    kept[0]->SetName("KEPT");
    const TDiskImage* image = kept[0];
    const Bytes keptBytes = ImageBytes(*image);
    std::vector<std::string> notes;
    TFormatSource source;
    source.Note = [&](const std::string& note) { notes.push_back(note); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        WriteFileBytes(dir.File(c.Name), c.File);
        EXPECT_EQ(
            MessageOf<rtl::Exception>([&] { LoadImagesOfAnyForm(dir.File(c.Name), kept, source); }),
            "The data is not a valid disk image.");
        ASSERT_EQ(kept.Count(), 1);
        EXPECT_EQ(kept[0], image);
        EXPECT_TRUE(ImageBytes(*kept[0]) == keptBytes);
    }
    // A refused file held nothing worth a note, though the r1 ones had a special reading.
    EXPECT_EQ(notes, std::vector<std::string>{});
}

TEST(Pc98FormsWrite, NfdAndDimFilesOfWhatTheyCannotHoldAreRefusedAndNothingIsWritten) {
    // count sectors of 128 bytes of fill (or of size bytes) at one entry of the table.
    const auto tracks = [](size_t entry, int count, uint16_t size = 128) {
        TLaidTracks laid(entry + 1);
        for (int r = 1; r <= count; ++r) {
            laid[entry].push_back(
                {HeaderOf(PatternSector(static_cast<int>(entry), r, 0)), nullptr, 0xE5});
            laid[entry].back().Header.DataSize = size;
        }
        return laid;
    };
    const std::string prefix = "The program cannot write the disk image 1 as an NFD file: ";
    const struct {
        TLaidTracks Tracks;
        std::string Message;
    } refused[] = {
        {tracks(0, 27), prefix + "track 0 side 0 has 27 sectors; an NFD file holds 26 a track."},
        {tracks(163, 1), prefix + "track 81 side 1 is past the 163 tracks an NFD file holds."},
        {tracks(2, 1, 100),
         prefix + "track 1 side 0 has a sector whose data is not the size its code names."},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.Message);
        const TDiskImage image(DiskType2HD, c.Tracks);
        rtl::TMemoryStream stream;
        EXPECT_EQ(
            MessageOf<EDiskImageError>([&] { SaveImageInForm(image, 1, TImageForm::Nfd, stream); }),
            c.Message);
        EXPECT_EQ(stream.Size(), 0);
        EXPECT_EQ(MessageOf<EDiskImageError>([&] { CheckImageInForm(image, 1, TImageForm::Nfd); }),
                  c.Message);
    }
    // The last track r0 holds, full.
    EXPECT_EQ(SavedIn(TDiskImage(DiskType2HD, tracks(162, 26)), TImageForm::Nfd).size(),
              0x10A10u + 26 * 128);

    const TempDir dir;
    const Bytes plain = PlainSectors(PatternDisk(77, 8, 3));
    const Bytes dim = SavedIn(TDiskImage({DiskType2HD, 77, 2, 8, 3}, plain), TImageForm::Dim);
    EXPECT_EQ(dim.size(), 256 + plain.size());
    WriteFileBytes(dir.File("game.dim"), dim);
    EXPECT_TRUE(SavedIn(*(*Load(dir.File("game.dim")))[0], TImageForm::Raw) == plain);
    const TDiskImage dd({DiskType2DD, 80, 2, 9, 2});
    rtl::TMemoryStream stream;
    EXPECT_EQ(MessageOf<EDiskImageError>([&] { SaveImageInForm(dd, 1, TImageForm::Dim, stream); }),
              "The program cannot write the disk image 1 as a DIM file: no DIM media byte names "
              "its geometry of 80 cylinders, 2 sides and 9 sectors of 512 bytes.");
    EXPECT_EQ(stream.Size(), 0);
}

TEST(Pc98FormsNames, AnImageTakesItsFilesNameCutAtACharacterOfCodePage932) {
    // ゲームディスク九号 in code page 932: two bytes a character.
    const std::string kana = "\x83\x51\x81\x5b\x83\x80\x83\x66\x83\x42\x83\x58\x83\x4e";
    EXPECT_EQ(ImageNameOfFile("/x/ゲームディスク九号.nfd"), kana + "\x8b\xe3");
    // After one byte, the eighth character would end past the 16th byte: it is left out whole.
    EXPECT_EQ(ImageNameOfFile("/x/Aゲームディスク九号.nfd"), "A" + kana);
    EXPECT_EQ(ImageNameOfFile("/x.y/ab😀cd.fdd"), "abcd");

    const TempDir dir;
    WriteFileBytes(dir.File("ゲーム😀.nfd"), NfdR0(PatternDisk(1, 1, 0)));
    EXPECT_EQ((*Load(dir.File("ゲーム😀.nfd")))[0]->Name(), kana.substr(0, 6));
}
