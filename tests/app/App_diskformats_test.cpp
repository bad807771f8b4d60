#include "App_diskformats.h"

#include "App_diskcheck.h"
#include "DiskFormsSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <map>

using namespace testsupport;

namespace {

std::vector<TNamedFormat> ShippedTable() {
    const TPresetList presets = ReadPresets(std::string(TRACKWELL_RESOURCES_DIR) + "/Presets.dat");
    EXPECT_TRUE(presets.Complete);
    return NamedFormats(presets);
}

// Sector data nobody could mistake for another sector's: each byte depends on where it is.
Bytes Pattern(int64_t size) {
    Bytes bytes(static_cast<size_t>(size));
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>((i * 7 + i / 1024) & 0xFF);
    return bytes;
}

Bytes FdiHeader(uint32_t type, uint32_t headerSize, uint32_t dataSize, uint32_t sectorSize,
                uint32_t sectors, uint32_t surfaces, uint32_t cylinders) {
    Bytes header(headerSize);
    const uint32_t fields[] = {0,          type,    headerSize, dataSize,
                               sectorSize, sectors, surfaces,   cylinders};
    for (size_t i = 0; i < 8; ++i)
        PutLe(header, 4 * i, fields[i], 4);
    return header;
}

Bytes DimHeader(uint8_t media, int presentTracks) {
    Bytes header(256);
    header[0] = media;
    for (int t = 0; t < presentTracks; ++t)
        header[static_cast<size_t>(1 + t)] = 1;
    const char signature[] = "DIFC HEADER  ";
    std::copy(signature, signature + 13, header.begin() + 0xAB);
    return header;
}

// A formatted image of c cylinders and h heads holding data, sector after sector: the blank of
// the test support with the data put in.
Bytes FormattedImageWith(const Bytes& data, int c, int h, int r, int n) {
    Bytes image = FormattedImage(DiskType2D, c, h, r, n);
    const size_t length = size_t{128} << n;
    for (size_t i = 0; i < data.size() / length; ++i)
        std::copy(data.begin() + static_cast<ptrdiff_t>(i * length),
                  data.begin() + static_cast<ptrdiff_t>((i + 1) * length),
                  image.begin() + static_cast<ptrdiff_t>(688 + i * (16 + length) + 16));
    return image;
}

// A loaded copy of bytes, so that a test can damage an image the way other programs do.
std::unique_ptr<TDiskImage> ImageOf(const Bytes& bytes) {
    rtl::TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    auto image = std::make_unique<TDiskImage>();
    image->LoadFromStream(stream);
    return image;
}

} // namespace

TEST(DiskFormatsTest, EveryPresetSizeReadsAsItsFormatAndWritesBackByteForByte) {
    const TempDir dir;
    const std::vector<TNamedFormat> table = ShippedTable();
    ASSERT_FALSE(table.empty());
    for (const TNamedFormat& named : table) {
        SCOPED_TRACE(named.Name);
        const TDiskFormat& f = named.Format;
        const Bytes raw = Pattern(int64_t{f.C} * f.H * f.R * (128 << f.N));
        const std::string path = dir.File("dump.hdm");
        WriteFileBytes(path, raw);
        size_t asked = 0;
        const TFormatSource source{
            table,
            [&](const std::string&, const std::vector<TNamedFormat>& candidates, size_t likeliest) {
                ++asked;
                for (size_t i = 0; i < candidates.size(); ++i)
                    if (candidates[i].Name == named.Name)
                        return i;
                return likeliest;
            }};
        const auto images = Load(path, source);
        ASSERT_EQ(images->Count(), 1);
        const TDiskImage& image = *(*images)[0];
        EXPECT_EQ(image.DiskType(), f.DiskType);
        // A dump has no name of its own: the image takes the file's.
        EXPECT_EQ(image.Name(), "dump");
        EXPECT_EQ(image.WriteProtected(), WriteProtectedOff);
        EXPECT_EQ(PlainGeometry(image, 1), f);
        EXPECT_EQ(asked, FormatsOfSize(table, static_cast<int64_t>(raw.size())).size() > 1);
        // raw -> ours -> raw, and a blank of ours -> raw -> ours.
        EXPECT_EQ(SavedIn(image, TImageForm::Raw), raw);
        TDiskImage blank(f);
        blank.SetName("dump");
        WriteFileBytes(path, SavedIn(blank, TImageForm::Raw));
        EXPECT_EQ(ImageBytes(*(*Load(path, source))[0]), ImageBytes(blank));
        // An FDI file of it reads back as the same image.
        const std::string fdi = dir.File("dump.fdi");
        WriteFileBytes(fdi, SavedIn(image, TImageForm::Fdi));
        EXPECT_EQ(ImageBytes(*(*Load(fdi, {table, nullptr}))[0]), ImageBytes(image));
    }
}

TEST(DiskFormatsTest, SharedSizesAskWithTheLikeliestForTheExtensionAndOtherSizesAreRefused) {
    const TempDir dir;
    const std::vector<TNamedFormat> table = ShippedTable();
    const int64_t size = 80 * 2 * 8 * 512;
    const std::vector<TNamedFormat> candidates = FormatsOfSize(table, size);
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[LikeliestFormat(candidates, "a.2D")].Format.N, 1);
    EXPECT_EQ(candidates[LikeliestFormat(candidates, "a.dd")].Format.N, 2);

    const std::string path = dir.File("game.2d");
    WriteFileBytes(path, Pattern(size));
    std::vector<std::string> offered;
    const TFormatSource source{
        table,
        [&](const std::string& file, const std::vector<TNamedFormat>& options, size_t likeliest) {
            EXPECT_EQ(file, path);
            for (const TNamedFormat& option : options)
                offered.push_back(option.Name);
            return likeliest;
        }};
    const auto images = Load(path, source);
    EXPECT_EQ(offered.size(), 2u);
    EXPECT_EQ(PlainGeometry(*(*images)[0], 1).N, 1);

    // A cancel ends the read; the list keeps what it had.
    TDiskImageList kept;
    kept.Add(std::make_unique<TDiskImage>());
    const TFormatSource cancelling{table,
                                   [](const std::string&, const std::vector<TNamedFormat>&,
                                      size_t) -> size_t { throw rtl::EAbort("cancel"); }};
    EXPECT_THROW(LoadImagesOfAnyForm(path, kept, cancelling), rtl::EAbort);
    EXPECT_EQ(kept.Count(), 1);

    WriteFileBytes(path, Pattern(1000));
    EXPECT_EQ(MessageOf<EDiskImageError>([&] { LoadImagesOfAnyForm(path, kept, source); }),
              "The program does not support disk images of 1,000 bytes.");
    EXPECT_EQ(kept.Count(), 1);
}

TEST(DiskFormatsTest, ContainersReadAsBeforeWhateverTheirNameAndDamagedOnesKeepTheirRefusal) {
    const TempDir dir;
    const std::vector<TNamedFormat> table = ShippedTable();
    const Bytes container =
        Concat({SampleBytes("cpm-x1turbo-2d.d88"), SampleBytes("fm77av-demo.d77")});
    const std::string path = dir.File("disks.img");
    WriteFileBytes(path, container);
    const auto images = Load(path, {table, nullptr});
    ASSERT_EQ(images->Count(), 2);
    Bytes again;
    for (const TDiskImage* image : *images)
        again = Concat({again, ImageBytes(*image)});
    EXPECT_EQ(again, container);

    // A truncated container of a dump's size is still a damaged container.
    Bytes cut(container.begin(), container.begin() + 327680);
    WriteFileBytes(path, cut);
    TDiskImageList direct;
    const std::string expected = MessageOf<rtl::Exception>([&] { direct.LoadFromFile(path); });
    EXPECT_EQ(MessageOf<rtl::Exception>([&] { Load(path, {table, nullptr}); }), expected);
    // So is any file named as a container, whatever its size.
    const std::string named = dir.File("disks.d88");
    WriteFileBytes(named, Pattern(327680));
    const std::string refused = MessageOf<rtl::Exception>([&] { direct.LoadFromFile(named); });
    EXPECT_EQ(refused, "The data is not a valid disk image.");
    EXPECT_EQ(MessageOf<rtl::Exception>([&] { Load(named, {table, nullptr}); }), refused);

    // A dump whose first bytes merely fit a header's fields (protection 0, type 2HD, a size and
    // a first track below it) is the dump it is named: a container's tracks start after the
    // header.
    Bytes dump = Pattern(1261568);
    dump[26] = 0x00;
    dump[27] = 0x20;
    PutLe(dump, 28, 2040607840, 4);
    PutLe(dump, 32, 1867841523, 4);
    const std::string hdm = dir.File("game.hdm");
    WriteFileBytes(hdm, dump);
    const auto read = Load(hdm, {table, nullptr});
    ASSERT_EQ(read->Count(), 1);
    EXPECT_EQ(SavedIn(*(*read)[0], TImageForm::Raw), dump);
}

TEST(DiskFormatsTest, FdiAndDimHeadersFromTheirLayoutsAreReadAndHostileOnesRefused) {
    const TempDir dir;
    const std::vector<TNamedFormat> table = ShippedTable();
    const Bytes data = Pattern(1261568);
    const std::string fdi = dir.File("game.fdi");
    const Bytes file = Concat({FdiHeader(0x90, 4096, 1261568, 1024, 8, 2, 77), data});
    WriteFileBytes(fdi, file);
    const auto images = Load(fdi, {table, nullptr});
    ASSERT_EQ(images->Count(), 1);
    EXPECT_EQ((*images)[0]->DiskType(), DiskType2HD);
    EXPECT_EQ(SavedIn(*(*images)[0], TImageForm::Raw), data);
    EXPECT_EQ(SavedIn(*(*images)[0], TImageForm::Fdi), file);

    const auto refusal = [&](const Bytes& bytes) {
        WriteFileBytes(fdi, bytes);
        return MessageOf<rtl::Exception>([&] { Load(fdi, {table, nullptr}); });
    };
    // Sizes past the file's end are no FDI header; bad geometry in a true one is refused.
    EXPECT_EQ(refusal(Concat({FdiHeader(0x90, 4096, 0xFFFFF000, 1024, 8, 2, 77), data})),
              "The program does not support disk images of 1,265,664 bytes.");
    EXPECT_EQ(refusal(Concat({FdiHeader(0x90, 4096, 1000 * 4, 1000, 1, 1, 4), Bytes(4000)})),
              "The program does not support the disk format.");
    EXPECT_EQ(refusal(Concat(
                  {FdiHeader(0x90, 32, 0x10000 * 256, 256, 0x10000, 1, 1), Bytes(0x10000 * 256)})),
              "The program does not support the disk format.");
    EXPECT_EQ(refusal(Concat({FdiHeader(0x90, 4096, 0, 1024, 0, 2, 77)})),
              "The program does not support disk images of 4,096 bytes.");

    const std::string dim = dir.File("game.dim");
    // Tracks 0 to 9 but 5 present; the rest of the 154 absent and not stored.
    const Bytes tracks = Pattern(9 * 8 * 1024);
    Bytes header = DimHeader(0x00, 10);
    header[1 + 5] = 0;
    WriteFileBytes(dim, Concat({header, tracks}));
    const auto dims = Load(dim, {table, nullptr});
    ASSERT_EQ(dims->Count(), 1);
    EXPECT_EQ((*dims)[0]->Size(), 688 + 9 * 8 * (16 + 1024));
    EXPECT_EQ(MessageOf<EDiskImageError>([&] { PlainGeometry(*(*dims)[0], 4); }),
              "The program cannot write the disk image 4 (\"game\") as plain sectors: track 2 "
              "side 1 is absent.");
    WriteFileBytes(dim, Concat({DimHeader(0x00, 10), tracks}));
    EXPECT_EQ(MessageOf<rtl::Exception>([&] {
                  Load(dim, {table, nullptr});
              }),
              "The data is not a valid disk image.");
    WriteFileBytes(dim, Concat({DimHeader(0x11, 9), tracks}));
    EXPECT_EQ(MessageOf<rtl::Exception>([&] {
                  Load(dim, {table, nullptr});
              }),
              "The program does not support the disk format.");
}

TEST(DiskFormatsTest, IrregularImagesAreRefusedNamingTheImageAndTheirFirstIrregularTrack) {
    const Bytes blank = FormattedImage(DiskType2D, 40, 2, 16, 1);
    const size_t sector = 16 + 256;
    const auto track = [&](int t) { return 688 + static_cast<size_t>(t) * 16 * sector; };
    const auto refusal = [](const Bytes& bytes) {
        const std::unique_ptr<TDiskImage> image = ImageOf(bytes);
        return MessageOf<EDiskImageError>([&] { SavedIn(*image, TImageForm::Raw); });
    };
    const std::string prefix = "The program cannot write the disk image 1 as plain sectors: ";

    Bytes fewer = blank;
    PutLe(fewer, track(25) + 4, 15, 2);
    EXPECT_EQ(refusal(fewer), prefix + "track 12 side 1 has 15 sectors; the others have 16.");
    Bytes status = blank;
    status[track(3) + 5 * sector + 8] = 0xB0;
    EXPECT_EQ(refusal(status), prefix + "track 1 side 1 has a sector with an error status.");
    // Sectors out of order are written in order; a number twice, and so one missing, is not.
    Bytes swapped = blank;
    std::swap(swapped[track(2) + 2], swapped[track(2) + sector + 2]);
    EXPECT_EQ(refusal(swapped), "(nothing raised)");
    Bytes twice = blank;
    twice[track(2) + sector + 2] = 1;
    EXPECT_EQ(refusal(twice),
              prefix + "track 1 side 0 does not have each of the sectors 1 to 16 once.");
    Bytes cut = blank;
    PutLe(cut, 32 + 4 * 79, 0, 4);
    EXPECT_EQ(refusal(cut), prefix + "track 39 side 1 is absent.");
    // A size code no shift can make a size of.
    Bytes huge = blank;
    for (int t = 0; t < 80; ++t)
        for (size_t k = 0; k < 16; ++k)
            huge[track(t) + k * sector + 3] = 40;
    EXPECT_EQ(refusal(huge), prefix + "its sectors have size code 40, which no disk has.");

    // The name is part of the refusal, and nothing reaches the stream.
    std::unique_ptr<TDiskImage> named = ImageOf(status);
    named->SetName("GAME");
    rtl::TMemoryStream stream;
    EXPECT_EQ(
        MessageOf<EDiskImageError>([&] { SaveImageInForm(*named, 7, TImageForm::Fdi, stream); }),
        "The program cannot write the disk image 7 (\"GAME\") as plain sectors: track 1 "
        "side 1 has a sector with an error status.");
    EXPECT_EQ(stream.Size(), 0);
}

TEST(DiskFormatsTest, RealSamplesGoToPlainSectorsAndBackOrAreRefused) {
    const std::vector<TNamedFormat> table = ShippedTable();
    const TempDir dir;
    const std::unique_ptr<TDiskImage> image = ImageOf(SampleBytes("fm77av-demo.d77"));
    const TDiskFormat format = PlainGeometry(*image, 1);
    const Bytes raw = SavedIn(*image, TImageForm::Raw);
    const std::string path = dir.File("sample.2d");
    WriteFileBytes(path, raw);
    const auto back = Load(path, {table, [](const std::string&, const std::vector<TNamedFormat>&,
                                            size_t likeliest) { return likeliest; }});
    EXPECT_EQ(PlainGeometry(*(*back)[0], 1), format);
    EXPECT_EQ(SavedIn(*(*back)[0], TImageForm::Raw), raw);

    // Interleaved tracks (1, 14, 11, … on the disk) are dumped by sector number, as every
    // plain dump is: the sectors are found here through the headers, track after track.
    const Bytes cpm = SampleBytes("cpm-x1turbo-2d.d88");
    Bytes expected;
    for (size_t t = 0; t < 164; ++t) {
        size_t offset = cpm[32 + 4 * t] | cpm[33 + 4 * t] << 8 | cpm[34 + 4 * t] << 16;
        if (offset == 0)
            continue;
        std::map<int, Bytes> byNumber;
        const size_t count = cpm[offset + 4] | cpm[offset + 5] << 8;
        for (size_t k = 0; k < count; ++k) {
            const size_t length = cpm[offset + 14] | cpm[offset + 15] << 8;
            byNumber[cpm[offset + 2]] =
                Bytes(cpm.begin() + static_cast<ptrdiff_t>(offset + 16),
                      cpm.begin() + static_cast<ptrdiff_t>(offset + 16 + length));
            offset += 16 + length;
        }
        for (const auto& [number, data] : byNumber)
            expected = Concat({expected, data});
    }
    const std::unique_ptr<TDiskImage> interleaved = ImageOf(cpm);
    const Bytes dumped = SavedIn(*interleaved, TImageForm::Raw);
    EXPECT_EQ(dumped.size(), 40u * 2 * 16 * 256);
    EXPECT_TRUE(dumped == expected);
    EXPECT_EQ(PlainGeometry(*interleaved, 2), (TDiskFormat{DiskType2D, 40, 2, 16, 1}));
    // The dump reads back as the same sectors, now in order on every track.
    WriteFileBytes(path, dumped);
    const auto ordered = Load(path, {table, [](const std::string&, const std::vector<TNamedFormat>&,
                                               size_t likeliest) { return likeliest; }});
    EXPECT_TRUE(SavedIn(*(*ordered)[0], TImageForm::Raw) == expected);
}

TEST(DiskFormatsTest, SingleSidedDisksLeaveTheSecondSidesAbsentWhereReadersLookForThem) {
    const TempDir dir;
    const std::vector<TNamedFormat> table = ShippedTable();
    // An FDI file of one surface: 40 cylinders of 16 sectors of 256 bytes.
    const Bytes data = Pattern(40 * 16 * 256);
    const std::string fdi = dir.File("one.fdi");
    const Bytes file = Concat({FdiHeader(0x50, 4096, 40 * 16 * 256, 256, 16, 1, 40), data});
    WriteFileBytes(fdi, file);
    const auto images = Load(fdi, {table, nullptr});
    ASSERT_EQ(images->Count(), 1);
    const Bytes image = ImageBytes(*(*images)[0]);
    const size_t trackLength = 16 * (16 + 256);
    for (size_t entry = 0; entry < 164; ++entry) {
        SCOPED_TRACE(entry);
        const uint32_t offset = image[32 + 4 * entry] | image[33 + 4 * entry] << 8 |
                                image[34 + 4 * entry] << 16 | image[35 + 4 * entry] << 24;
        // Cylinder c at entry 2c, its sectors carrying C = c and H = 0; side 1 absent.
        if (entry % 2 == 1 || entry >= 80) {
            EXPECT_EQ(offset, 0u);
            continue;
        }
        EXPECT_EQ(offset, 688 + entry / 2 * trackLength);
        EXPECT_EQ(image[offset], entry / 2);
        EXPECT_EQ(image[offset + 1], 0);
    }
    // Named after the file, as every image read from another form is.
    Bytes formatted = FormattedImageWith(data, 40, 1, 16, 1);
    std::copy_n("one", 3, formatted.begin());
    EXPECT_TRUE(image == formatted);
    EXPECT_EQ(PlainGeometry(*(*images)[0], 1), (TDiskFormat{DiskType2D, 40, 1, 16, 1}));
    EXPECT_EQ(SavedIn(*(*images)[0], TImageForm::Fdi), file);
    // Its check is clean: no table out of order, no disk type the geometry contradicts.
    EXPECT_TRUE(CheckDiskImage(image).empty());

    // A blank of one head is laid out the same way, up to 82 cylinders.
    EXPECT_TRUE(ImageBytes(TDiskImage({DiskType2D, 40, 1, 16, 1})) ==
                FormattedImage(DiskType2D, 40, 1, 16, 1));
    EXPECT_EQ(TDiskImage({DiskType2DD, 82, 1, 1, 0}).Size(), 688 + 82 * (16 + 128));
    EXPECT_EQ(MessageOf<EDiskImageError>([] {
                  TDiskImage({DiskType2DD, 83, 1, 1, 0});
              }),
              "The program does not support the disk format.");
    // Two-sided images are laid out as before, cylinder after cylinder.
    EXPECT_TRUE(ImageBytes(TDiskImage({DiskType2HD, 77, 2, 8, 3})) ==
                FormattedImage(DiskType2HD, 77, 2, 8, 3));

    // Images that kept one entry a cylinder still go out as single-sided dumps.
    Bytes packed = image;
    for (size_t c = 0; c < 40; ++c) {
        PutLe(packed, 32 + 4 * c, static_cast<uint32_t>(688 + c * trackLength), 4);
        PutLe(packed, 32 + 4 * (40 + c), 0, 4);
    }
    EXPECT_TRUE(SavedIn(*ImageOf(packed), TImageForm::Raw) == data);
}

TEST(DiskFormatsTest, EdgesOfTheFormsAreReadOrRefusedAsTheirFilesSay) {
    const TempDir dir;
    const std::vector<TNamedFormat> table = ShippedTable();
    TDiskImageList kept;
    kept.Add(std::make_unique<TDiskImage>());
    const auto refusal = [&](const std::string& name, const Bytes& bytes,
                             const TFormatSource& source) {
        WriteFileBytes(dir.File(name), bytes);
        return MessageOf<rtl::Exception>(
            [&] { LoadImagesOfAnyForm(dir.File(name), kept, source); });
    };
    // An empty file named as a dump is no disk; named as a container it holds no image.
    for (const char* name : {"e.hdm", "e.img", "e.FDI", "e.dim"})
        EXPECT_EQ(refusal(name, {}, {table, nullptr}),
                  "The program does not support disk images of 0 bytes.")
            << name;
    EXPECT_EQ(kept.Count(), 1);
    WriteFileBytes(dir.File("e.d88"), {});
    EXPECT_EQ(Load(dir.File("e.d88"), {table, nullptr})->Count(), 0);

    // An FDI or DIM file one byte short or long is a damaged file of its form.
    const Bytes fdi = Concat({FdiHeader(0x90, 4096, 1261568, 1024, 8, 2, 77), Pattern(1261568)});
    const Bytes dim = Concat({DimHeader(0x00, 2), Pattern(2 * 8 * 1024)});
    for (const Bytes& whole : {fdi, dim})
        for (const Bytes& damaged :
             {Bytes(whole.begin(), whole.end() - 1), Concat({whole, Bytes(1, 0xE5)})}) {
            EXPECT_EQ(refusal("d.fdi", damaged, {table, nullptr}),
                      "The data is not a valid disk image.");
            EXPECT_EQ(refusal("d.bin", damaged, {table, nullptr}),
                      "The data is not a valid disk image.");
        }
    EXPECT_EQ(kept.Count(), 1);
    // The track table's last entry is the 82nd cylinder's second side.
    const Bytes full =
        Concat({FdiHeader(0x10, 4096, 164 * 128, 128, 1, 2, 82), Pattern(164 * 128)});
    WriteFileBytes(dir.File("full.fdi"), full);
    const auto images = Load(dir.File("full.fdi"), {table, nullptr});
    EXPECT_EQ(SavedIn(*(*images)[0], TImageForm::Fdi), full);
    EXPECT_EQ(refusal("over.fdi",
                      Concat({FdiHeader(0x90, 4096, 166 * 128, 128, 1, 2, 83), Pattern(166 * 128)}),
                      {table, nullptr}),
              "The program does not support the disk format.");

    // A named preset reads every dump of its size, under any of the names it has, and refuses
    // the others naming both sizes.
    const TPresetList presets = ReadPresets(std::string(TRACKWELL_RESOURCES_DIR) + "/Presets.dat");
    const auto named = [&](const std::string& name) {
        return TFormatSource{table, nullptr, name, PresetFormats(presets)};
    };
    const Bytes at144 = Pattern(1474560);
    EXPECT_EQ(refusal("at.img", at144, named("PC-98 2HD 1.25 MB")),
              "The program cannot read \"" + dir.File("at.img") +
                  "\" (1,474,560 bytes) as \"PC-98 2HD 1.25 MB\", whose dumps have 1,261,568 "
                  "bytes.");
    EXPECT_EQ(refusal("at.img", at144, named("PC/AT 2HD 1.44MB")),
              "The program cannot read \"" + dir.File("at.img") +
                  "\" (1,474,560 bytes) as \"PC/AT 2HD 1.44MB\": no preset has that name.");
    EXPECT_EQ(kept.Count(), 1);
    const Bytes x68 = Pattern(1261568);
    WriteFileBytes(dir.File("x.xdf"), x68);
    const auto read = Load(dir.File("x.xdf"), named("X68000 2HD 1.25 MB"));
    EXPECT_EQ(SavedIn(*(*read)[0], TImageForm::Raw), x68);
    // Of two dumps of a size alike, the one the user named is read without asking.
    WriteFileBytes(dir.File("b.dd"), Pattern(655360));
    EXPECT_EQ(PlainGeometry(*(*Load(dir.File("b.dd"), named("PC-88 / FM77AV 2DD 640 KB")))[0], 1).N,
              1);
}

TEST(DiskFormatsTest, TheLikeliestOfFormatsAlikeIsTheFirstInListOrder) {
    const std::vector<TNamedFormat> alike = {{"A", {DiskType2DD, 80, 2, 8, 2}},
                                             {"B", {DiskType2DD, 40, 4, 8, 2}},
                                             {"C", {DiskType2DD, 160, 1, 8, 2}}};
    for (const char* path : {"a.2d", "a.dd", "a"})
        EXPECT_EQ(LikeliestFormat(alike, path), 0u) << path;
    const std::vector<TNamedFormat> mixed = {{"small", {DiskType2D, 80, 2, 16, 1}},
                                             {"large", {DiskType2DD, 80, 2, 8, 2}},
                                             {"large too", {DiskType2DD, 40, 4, 8, 2}},
                                             {"small too", {DiskType2D, 40, 4, 16, 1}}};
    EXPECT_EQ(LikeliestFormat(mixed, "a.dd"), 1u);
    EXPECT_EQ(LikeliestFormat(mixed, "a.2D"), 0u);
}

TEST(DiskFormatsTest, TheTypeByteOfEveryDiskTypeSurvivesEveryFormWrittenAndTheCheck) {
    // 26 sectors of 256 bytes are N88-BASIC's and the X1turbo's 2HD: no double-density track
    // holds as much.
    const TempDir dir;
    for (const TDiskFormat& f :
         {TDiskFormat{DiskType2HD, 77, 2, 26, 1}, TDiskFormat{DiskType2HD, 77, 2, 8, 3},
          TDiskFormat{DiskType2DD, 80, 2, 16, 1}, TDiskFormat{DiskType2D, 40, 2, 16, 1}}) {
        SCOPED_TRACE(DiskTypeToText(f.DiskType) + " " + std::to_string(f.R));
        EXPECT_EQ(DiskTypeOfGeometry(f.C, f.R, f.N), f.DiskType);
        const TDiskImage image(f, Pattern(int64_t{f.C} * f.H * f.R * (128 << f.N)));
        EXPECT_TRUE(CheckDiskImage(image.Bytes()).empty());
        // A dump of a size two presets share is read with the geometry it was written from.
        const TFormatSource source{
            ShippedTable(),
            [&](const std::string&, const std::vector<TNamedFormat>& options, size_t) {
                for (size_t k = 0; k < options.size(); ++k)
                    if (options[k].Format.R == f.R && options[k].Format.N == f.N)
                        return k;
                return options.size();
            }};
        for (const TImageFormTraits& form : ImageForms()) {
            // A plain dump keeps no type: it is read as the preset of its size has it, and no
            // preset has the size of 77×2×26×256.
            if (!form.Writes() ||
                (form.Form == TImageForm::Raw &&
                 FormatsOfSize(source.Table, int64_t{f.C} * f.H * f.R * (128 << f.N)).empty()))
                continue;
            const std::string name = std::string("back") + form.Extensions.front();
            try {
                CheckImageInForm(image, 1, form.Form);
            } catch (const EDiskImageError& e) {
                // Only DIM refuses, and only the geometries no media byte names.
                EXPECT_EQ(form.Form, TImageForm::Dim) << e.what();
                EXPECT_NE(std::string(e.what()).find("no DIM media byte names"), std::string::npos);
                continue;
            }
            WriteFileBytes(dir.File(name), SavedIn(image, form.Form));
            EXPECT_EQ((*Load(dir.File(name), source))[0]->DiskType(), f.DiskType) << name;
        }
    }
}

TEST(DiskFormatsTest, A360KbDumpIsAnMsxOneSidedOrAPcAtTwoSidedDiskAsItsBootSectorSays) {
    const TempDir dir;
    const std::vector<TNamedFormat> table = ShippedTable();
    const std::string path = dir.File("disk.dsk");
    // A boot sector's parameters: 512-byte sectors, sectors a track, sides, sectors in all.
    const auto dump = [](int heads) {
        Bytes bytes = Pattern(368640);
        PutLe(bytes, 0x0B, 512, 2);
        PutLe(bytes, 0x13, 720, 2);
        PutLe(bytes, 0x18, 9, 2);
        PutLe(bytes, 0x1A, static_cast<uint32_t>(heads), 2);
        return bytes;
    };
    std::vector<std::string> offered;
    const TFormatSource source{
        table, [&](const std::string&, const std::vector<TNamedFormat>& options, size_t) {
            for (const TNamedFormat& option : options)
                offered.push_back(option.Name);
            return options.size() - 1;
        }};
    for (const auto& [heads, geometry] : {std::pair{1, TDiskFormat{DiskType2DD, 80, 1, 9, 2}},
                                          std::pair{2, TDiskFormat{DiskType2D, 40, 2, 9, 2}}}) {
        WriteFileBytes(path, dump(heads));
        const auto images = Load(path, source);
        EXPECT_EQ(PlainGeometry(*(*images)[0], 1), geometry) << heads;
        EXPECT_EQ((*images)[0]->DiskType(), geometry.DiskType) << heads;
        EXPECT_EQ(SavedIn(*(*images)[0], TImageForm::Raw), dump(heads)) << heads;
    }
    EXPECT_EQ(offered, std::vector<std::string>{});
    // Without a boot sector that says, the user is asked.
    WriteFileBytes(path, Pattern(368640));
    Load(path, source);
    EXPECT_EQ(offered, (std::vector<std::string>{"PC/AT 2D 360 KB", "MSX 1DD 360 KB"}));
}
