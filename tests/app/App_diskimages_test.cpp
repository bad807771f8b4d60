#include "App_diskimages.h"
#include "Rtl_codepage.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <typeinfo>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::Bytes;
using testsupport::Concat;
using testsupport::MessageOf;
using testsupport::PutLe;

namespace {

Bytes ImageBytes(const TDiskImage& image) {
    rtl::TMemoryStream stream;
    image.SaveToStream(stream);
    return Bytes(stream.Memory(), stream.Memory() + stream.Size());
}

Bytes ListBytes(const TDiskImageList& list) {
    rtl::TMemoryStream stream;
    list.SaveToStream(stream);
    return Bytes(stream.Memory(), stream.Memory() + stream.Size());
}

void LoadBytes(TDiskImage& image, const Bytes& bytes) {
    rtl::TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    image.LoadFromStream(stream);
}

void LoadBytes(TDiskImageList& list, const Bytes& bytes) {
    rtl::TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    list.LoadFromStream(stream);
}

uint32_t Get32(const Bytes& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// A header-only image whose name field holds `name` (no terminating zero is added).
Bytes HeaderImage(const std::string& name, uint8_t writeProtected = 0, uint8_t diskType = 0) {
    Bytes b(688, 0);
    std::memcpy(b.data(), name.data(), name.size());
    b[26] = writeProtected;
    b[27] = diskType;
    PutLe(b, 28, 688, 4);
    return b;
}

// A stream that accepts a fixed number of bytes and then fails every write.
class TFailingStream : public rtl::TMemoryStream {
public:
    explicit TFailingStream(int64_t budget) : FBudget(budget) {}
    int64_t Write(const void* buffer, int64_t count) override {
        const int64_t n = std::min(count, FBudget);
        FBudget -= n;
        return n > 0 ? TMemoryStream::Write(buffer, n) : 0;
    }

private:
    int64_t FBudget;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Blank images

TEST(DiskImageBuild, InitialFormatGivesTheKnown2DLayout) {
    TDiskImage image(TDiskFormat{DiskType2D, 40, 2, 16, 1});
    const Bytes b = ImageBytes(image);
    ASSERT_EQ(b.size(), 348848u);
    EXPECT_EQ(image.Size(), 348848);
    EXPECT_EQ(image.Name(), "");
    EXPECT_EQ(image.WriteProtected(), 0);
    EXPECT_EQ(image.DiskType(), 0);
    EXPECT_EQ(Get32(b, 28), 348848u);
    for (int t = 0; t < 164; ++t)
        EXPECT_EQ(Get32(b, 32 + 4 * t), t < 80 ? 688u + 4352u * t : 0u) << "track " << t;

    const Bytes first(b.begin() + 688, b.begin() + 688 + 16);
    EXPECT_EQ(first, (Bytes{0, 0, 1, 1, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x01}));
    const size_t lastAt = 348848 - 272;
    EXPECT_EQ(b[lastAt], 39);
    EXPECT_EQ(b[lastAt + 1], 1);
    EXPECT_EQ(b[lastAt + 2], 16);
    EXPECT_EQ(b[lastAt + 3], 1);
    // Every data byte and every reserved byte is zero.
    size_t nonZero = 0;
    for (size_t sector = 688; sector < b.size(); sector += 272)
        for (size_t i = sector + 16; i < sector + 272; ++i)
            nonZero += b[i] != 0;
    EXPECT_EQ(nonZero, 0u);
    EXPECT_TRUE(std::all_of(b.begin(), b.begin() + 26, [](uint8_t c) { return c == 0; }));
}

TEST(DiskImageBuild, EveryTypeAndSizeCodeLaysOutTracksCylinderMajor) {
    TDiskImage image(TDiskFormat{DiskType2HD, 77, 2, 8, 3});
    const Bytes b = ImageBytes(image);
    ASSERT_EQ(b.size(), 688u + 154u * 8u * (16u + 1024u));
    EXPECT_EQ(b[27], 0x20);
    // Track 3 is cylinder 1, head 1; its fifth sector is R 5.
    const size_t at = Get32(b, 32 + 4 * 3) + 4 * (16 + 1024);
    EXPECT_EQ(b[at], 1);
    EXPECT_EQ(b[at + 1], 1);
    EXPECT_EQ(b[at + 2], 5);
    EXPECT_EQ(b[at + 3], 3);
    EXPECT_EQ(b[at + 14] | b[at + 15] << 8, 1024);
    EXPECT_EQ(TDiskImage(TDiskFormat{DiskType2DD, 80, 2, 16, 1}).DiskType(), DiskType2DD);
}

TEST(DiskImageBuild, FormatsWithoutSectorsAreHeaderOnly) {
    for (const TDiskFormat format : {TDiskFormat{0, 0, 2, 16, 1}, TDiskFormat{0, 40, 0, 16, 1},
                                     TDiskFormat{0, 40, 2, 0, 1}, TDiskFormat{}}) {
        const Bytes b = ImageBytes(TDiskImage(format));
        ASSERT_EQ(b.size(), 688u);
        EXPECT_TRUE(std::all_of(b.begin() + 32, b.end(), [](uint8_t c) { return c == 0; }));
    }
    // Without a sector nothing checks the disk type: it is stored as given.
    EXPECT_EQ(TDiskImage(TDiskFormat{0x30, 0, 0, 0, 0}).DiskType(), 0x30);
}

TEST(DiskImageBuild, RefusesUnsupportedTypesAndFormatsBeyondTheLayout) {
    EXPECT_EQ(MessageOf<EDiskImageError>([] {
                  TDiskImage(TDiskFormat{0x30, 40, 2, 16, 1});
              }),
              "The program does not support the disk type.");
    const char* formatError = "The program does not support the disk format.";
    for (const TDiskFormat format :
         {TDiskFormat{0, 83, 2, 1, 0}, TDiskFormat{0, 165, 1, 1, 0}, TDiskFormat{0, 1, 1, 1, 9},
          TDiskFormat{0, 1, 1, 256, 0}, TDiskFormat{0, -1, 2, 16, 1}, TDiskFormat{0, 40, 2, 16, -1},
          TDiskFormat{0x30, 255, 255, 255, 255}})
        EXPECT_EQ(MessageOf<EDiskImageError>([&] { TDiskImage{format}; }), formatError)
            << format.C << " " << format.H << " " << format.R << " " << format.N;
    // The largest the layout holds: 164 tracks of 255 sectors of 32 KiB.
    EXPECT_EQ(TDiskImage(TDiskFormat{0, 82, 2, 1, 0}).Size(), 688 + 164 * 144);
}

// ---------------------------------------------------------------------------------------------
// Loading and saving one image

TEST(DiskImageLoad, SamplesRoundTripByteForByte) {
    for (const char* name : {"cpm-x1turbo-2d.d88", "fm77av-demo.d77"}) {
        const Bytes original = testsupport::SampleBytes(name);
        TDiskImage image;
        LoadBytes(image, original);
        EXPECT_EQ(ImageBytes(image), original) << name;
        EXPECT_EQ(image.Size(), 348848);
    }
    TDiskImage image;
    LoadBytes(image, testsupport::SampleBytes("fm77av-demo.d77"));
    EXPECT_EQ(image.Name(), "D77IMG");
    EXPECT_EQ(image.DiskType(), DiskType2D);
}

TEST(DiskImageLoad, LeavesTheStreamRightAfterTheImage) {
    const Bytes one = HeaderImage("ONE");
    Bytes two = HeaderImage("TWO");
    rtl::TMemoryStream stream;
    stream.WriteBuffer(one.data(), 688);
    stream.WriteBuffer(two.data(), 688);
    stream.SetPosition(0);
    TDiskImage image;
    image.LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), 688);
    image.LoadFromStream(stream);
    EXPECT_EQ(image.Name(), "TWO");
}

TEST(DiskImageLoad, NameFieldIsNormalisedAndNothingElseChanges) {
    Bytes original = testsupport::SampleBytes("fm77av-demo.d77");
    std::memcpy(original.data(), "ABC\0XYZW", 8);
    original[16] = 'Q';
    TDiskImage image;
    LoadBytes(image, original);
    EXPECT_EQ(image.Name(), "ABC");
    Bytes expected = original;
    std::fill(expected.begin() + 3, expected.begin() + 17, 0);
    EXPECT_EQ(ImageBytes(image), expected);
}

TEST(DiskImageLoad, UnsupportedBytesAreCarriedUnchanged) {
    Bytes original = HeaderImage("X", 0x55, 0x30);
    original[17] = 0xEE; // reserved
    PutLe(original, 32, 12345, 4);
    TDiskImage image;
    LoadBytes(image, original);
    EXPECT_EQ(image.WriteProtected(), 0x55);
    EXPECT_EQ(image.DiskType(), 0x30);
    EXPECT_EQ(ImageBytes(image), original);
}

TEST(DiskImageLoad, FailuresRaiseTheirMessagesAndKeepTheImage) {
    const char* shortRead = "The program could not load the disk image.";
    TDiskImage image;
    LoadBytes(image, HeaderImage("KEEP", 0x10));
    const Bytes before = ImageBytes(image);

    Bytes tooSmall = HeaderImage("A");
    PutLe(tooSmall, 28, 687, 4);
    Bytes truncated = testsupport::SampleBytes("fm77av-demo.d77");
    truncated.resize(348848 - 1);
    Bytes insideHeader(100, 0);
    // A small file that claims nearly 2 GiB fails at once, without asking for the memory.
    Bytes hugeClaim = HeaderImage("A");
    PutLe(hugeClaim, 28, 0x7FFFFFFF, 4);
    hugeClaim.resize(700);
    for (const Bytes& bad : {tooSmall, truncated, insideHeader, hugeClaim, Bytes{}})
        EXPECT_EQ(MessageOf<EDiskImageError>([&] { LoadBytes(image, bad); }), shortRead);

    Bytes topBit = HeaderImage("A");
    PutLe(topBit, 28, 0x80000000u + 688, 4);
    EXPECT_EQ(MessageOf<EInvalidDiskImage>([&] { LoadBytes(image, topBit); }),
              "The data is not a valid disk image.");

    EXPECT_EQ(ImageBytes(image), before);
    EXPECT_EQ(image.Name(), "KEEP");
}

TEST(DiskImageSave, WriteFailureOfTheStreamIsTheImagesError) {
    TDiskImage image(TDiskFormat{0, 1, 1, 1, 0});
    TFailingStream stream(100);
    EXPECT_EQ(MessageOf<EDiskImageError>([&] { image.SaveToStream(stream); }),
              "The program could not save the disk image.");
}

// ---------------------------------------------------------------------------------------------
// Properties and copies

TEST(DiskImageProperties, SettersCheckTheirValues) {
    TDiskImage image;
    image.SetName("0123456789ABCDEF");
    EXPECT_EQ(image.Name(), "0123456789ABCDEF");
    EXPECT_EQ(MessageOf<EDiskImageError>([&] { image.SetName("0123456789ABCDEFG"); }),
              "The program cannot set the name property of a disk image.");
    EXPECT_EQ(image.Name(), "0123456789ABCDEF");

    image.SetWriteProtected(WriteProtectedOn);
    EXPECT_EQ(image.WriteProtected(), 0x10);
    EXPECT_EQ(MessageOf<EDiskImageError>([&] { image.SetWriteProtected(0x20); }),
              "The program cannot set the write-protected property of a disk image.");
    EXPECT_EQ(image.WriteProtected(), 0x10);

    // The setters change the cached fields; the bytes follow when the image is written.
    const Bytes b = ImageBytes(image);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 16), "0123456789ABCDEF");
    EXPECT_EQ(b[16], 0);
    EXPECT_EQ(b[26], 0x10);
}

TEST(DiskImageProperties, AssignCopiesEverythingAndSelfAssignChangesNothing) {
    TDiskImage source(TDiskFormat{DiskType2DD, 2, 2, 4, 2});
    source.SetName("SRC");
    source.SetWriteProtected(WriteProtectedOn);
    TDiskImage copy;
    copy.Assign(source);
    EXPECT_EQ(ImageBytes(copy), ImageBytes(source));
    EXPECT_EQ(copy.Name(), "SRC");
    EXPECT_EQ(copy.WriteProtected(), WriteProtectedOn);
    EXPECT_EQ(copy.DiskType(), DiskType2DD);
    EXPECT_EQ(copy.Size(), source.Size());

    copy.SetName("CHANGED");
    EXPECT_EQ(source.Name(), "SRC");
    const Bytes before = ImageBytes(copy);
    copy.Assign(copy);
    EXPECT_EQ(ImageBytes(copy), before);
}

// ---------------------------------------------------------------------------------------------
// Lists

TEST(DiskImageList, EmptyFileAndEmptyList) {
    testsupport::TempDir dir;
    testsupport::WriteFileBytes(dir.File("empty.d88"), {});
    TDiskImageList list;
    list.Add(std::make_unique<TDiskImage>());
    list.LoadFromFile(dir.File("empty.d88"));
    EXPECT_EQ(list.Count(), 0);
    list.SaveToFile(dir.File("out.d88"));
    EXPECT_TRUE(testsupport::ReadFileBytes(dir.File("out.d88")).empty());
}

TEST(DiskImageList, ConcatenatedSamplesRoundTripThroughAFile) {
    const Bytes a = testsupport::SampleBytes("cpm-x1turbo-2d.d88");
    const Bytes b = testsupport::SampleBytes("fm77av-demo.d77");
    const Bytes header = HeaderImage("HDR");
    const Bytes all = Concat({a, b, header, a});
    testsupport::TempDir dir;
    testsupport::WriteFileBytes(dir.File("in.d88"), all);
    TDiskImageList list;
    list.LoadFromFile(dir.File("in.d88"));
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list[1]->Name(), "D77IMG");
    EXPECT_EQ(list[2]->Size(), 688);
    list.SaveToFile(dir.File("out.d88"));
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File("out.d88")), all);
    // Saving over the file itself works too: it is read whole before it is replaced.
    list.SaveToFile(dir.File("in.d88"));
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File("in.d88")), all);
    EXPECT_EQ(testsupport::ListFolder(dir.Path()), (std::vector<std::string>{"in.d88", "out.d88"}));
}

TEST(DiskImageList, LoadFromStreamReadsTheWholeStreamWhateverItsPosition) {
    const Bytes all = Concat({HeaderImage("ONE"), HeaderImage("TWO")});
    rtl::TMemoryStream stream;
    stream.WriteBuffer(all.data(), static_cast<int64_t>(all.size()));
    TDiskImageList list;
    list.LoadFromStream(stream);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[0]->Name(), "ONE");
}

TEST(DiskImageList, AFailedLoadLeavesTheListAsItWas) {
    const Bytes good = testsupport::SampleBytes("fm77av-demo.d77");
    Bytes badSize = HeaderImage("BAD");
    PutLe(badSize, 28, 100, 4);
    const Bytes stray(687, 0xE5);
    Bytes shortLast = good;
    shortLast.pop_back();

    TDiskImageList list;
    list.Add(std::make_unique<TDiskImage>());
    list[0]->SetName("BEFORE");
    const TDiskImage* before = list[0];
    for (const Bytes& bad : {Concat({good, good, badSize}), Concat({good, stray}),
                             Concat({good, shortLast}), Concat({good, Bytes{1}})}) {
        EXPECT_EQ(MessageOf<EDiskImageError>([&] { LoadBytes(list, bad); }),
                  "The program could not load the disk image.");
        ASSERT_EQ(list.Count(), 1);
        EXPECT_EQ(list[0], before);
        EXPECT_EQ(list[0]->Name(), "BEFORE");
    }
}

// Other programs fill the whole 17-byte name field, with no zero byte; such a name is those 17
// bytes, shown and written back unchanged, while a name a user gives keeps the limit of 16.
TEST(DiskImageList, NamesThatFillTheWholeFieldLoadAndSaveByteForByte) {
    const Bytes hubasic = testsupport::SampleBytes("hubasic-2d-17-byte-name.d88");
    const Bytes container = Concat({testsupport::SampleBytes("cpm-x1turbo-2d.d88"),
                                    testsupport::SampleBytes("fm77av-demo.d77"), hubasic});
    TDiskImageList list;
    LoadBytes(list, container);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list[2]->Name(), std::string(reinterpret_cast<const char*>(hubasic.data()), 17));
    EXPECT_EQ(list[2]->Name(), "by_github_ORYZAPA");
    rtl::TMemoryStream saved;
    list.SaveToStream(saved);
    EXPECT_TRUE(Bytes(saved.Memory(), saved.Memory() + saved.Size()) == container);
    saved.SetPosition(0);
    const std::vector<TScannedImage> scanned = ScanDiskImages(saved);
    ASSERT_EQ(scanned.size(), 3u);
    EXPECT_EQ(scanned[2].Name, "by_github_ORYZAPA");

    TDiskImage& image = *list[2];
    EXPECT_EQ(MessageOf<EDiskImageError>([&] { image.SetName(image.Name()); }),
              "The program cannot set the name property of a disk image.");
    image.SetName("SIXTEEN-LETTERS!");
    EXPECT_EQ(ImageBytes(image)[16], 0);
    image.RestoreName("by_github_ORYZAPA");
    EXPECT_TRUE(ImageBytes(image) == hubasic);
    EXPECT_EQ(MessageOf<EDiskImageError>([&] { image.RestoreName("EIGHTEEN-LETTERS!!"); }),
              "The program cannot write the string data to a disk image.");
}

TEST(DiskImageList, AFileThatCannotBeOpenedIsAStreamErrorWithTheListsMessage) {
    testsupport::TempDir dir;
    TDiskImageList list;
    try {
        list.LoadFromFile(dir.File("missing.d88"));
        FAIL();
    } catch (const rtl::EFOpenError& e) {
        EXPECT_EQ(e.Message(), "The program could not load the disk images.");
        EXPECT_EQ(e.Reason(), "No such file or directory: " + dir.File("missing.d88"));
    }
    try {
        list.SaveToFile(dir.File("no-such-folder/out.d88"));
        FAIL();
    } catch (const rtl::EStreamError& e) {
        EXPECT_EQ(e.Message(), "The program could not save the disk images.");
    }
}

TEST(DiskImageList, OnlyRegularFilesAreLoadedOrReplaced) {
    testsupport::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    ASSERT_EQ(::mkdir(dir.File("folder").c_str(), 0700), 0);
    ASSERT_EQ(::symlink(dir.File("fifo").c_str(), dir.File("to-fifo").c_str()), 0);
    TDiskImageList list;
    list.Add(std::make_unique<TDiskImage>());
    // A FIFO without a writer would block the load for ever; a device would feed it without end.
    for (const auto& entry : {std::pair{dir.File("fifo"), "Not a regular file"},
                              std::pair{dir.File("folder"), "Is a directory"},
                              std::pair{std::string("/dev/zero"), "Not a regular file"}}) {
        const std::string& path = entry.first;
        EXPECT_EQ(
            testsupport::MessageWithReasonOf<rtl::EStreamError>([&] { list.LoadFromFile(path); }),
            "The program could not load the disk images.\n" + std::string(entry.second) + ": " +
                path);
    }
    EXPECT_EQ(list.Count(), 1);
    // Saving would have put a regular file in place of the FIFO, the folder or the device.
    for (const std::string& path :
         {dir.File("fifo"), dir.File("to-fifo"), dir.File("folder"), std::string("/dev/null")})
        EXPECT_EQ(MessageOf<rtl::EStreamError>([&] { list.SaveToFile(path); }),
                  "The program could not save the disk images.")
            << path;
    struct stat info {};
    ASSERT_EQ(::lstat(dir.File("fifo").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(testsupport::ListFolder(dir.Path()),
              (std::vector<std::string>{"fifo", "folder", "to-fifo"}));
}

// Shrinks its file to half its size just as the load starts reading it.
class TShrinkingLoad : public TDiskImageList {
public:
    explicit TShrinkingLoad(std::string path) : FPath(std::move(path)) {}
    void LoadFromStream(rtl::TStream& stream) override {
        EXPECT_EQ(::truncate(FPath.c_str(), stream.Size() / 2), 0);
        TDiskImageList::LoadFromStream(stream);
    }

private:
    std::string FPath;
};

TEST(DiskImageList, AFileThatFailsWhileReadIsTheFilesFailureAndChangesNothing) {
    testsupport::TempDir dir;
    const std::string path = dir.File("two.d88");
    const Bytes two = Concat({HeaderImage("A"), HeaderImage("B")});
    testsupport::WriteFileBytes(path, two);
    const std::string loadMessage = "The program could not load the disk images.\n";

    TShrinkingLoad shrinking(path);
    shrinking.Add(std::make_unique<TDiskImage>());
    const TDiskImage* kept = shrinking[0];
    EXPECT_EQ(testsupport::MessageWithReasonOf<rtl::EFileReadError>(
                  [&] { shrinking.LoadFromFile(path); }),
              loadMessage + "File shrank while being read: " + path);
    ASSERT_EQ(shrinking.Count(), 1);
    EXPECT_EQ(shrinking[0], kept);

    // A read the system refuses, here on a descriptor open for writing only.
    testsupport::WriteFileBytes(path, two);
    rtl::TFileStream failing(::open(path.c_str(), O_WRONLY | O_CLOEXEC), path);
    TDiskImageList list;
    LoadBytes(list, HeaderImage("BEFORE"));
    EXPECT_EQ(testsupport::MessageWithReasonOf<rtl::EFileReadError>(
                  [&] { list.LoadFromStream(failing); }),
              loadMessage + "Bad file descriptor: " + path);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0]->Name(), "BEFORE");
}

TEST(DiskImageList, ALoadIntoABorrowingListIsRefused) {
    TDiskImageList borrowing(false);
    EXPECT_THROW(LoadBytes(borrowing, HeaderImage("A")), rtl::EInvalidOperation);
}

TEST(DiskImageList, SaveToStreamReplacesTheStreamsContents) {
    TDiskImageList list;
    list.Add(std::make_unique<TDiskImage>());
    rtl::TMemoryStream stream;
    stream.WriteBuffer(std::string(5000, 'x').data(), 5000);
    list.SaveToStream(stream);
    EXPECT_EQ(stream.Size(), 688);
    EXPECT_EQ(ListBytes(list), ImageBytes(*list[0]));
}

// The scan reaches the load's verdict without reading the data: the same headers for a good
// container, the same message for every way a real one can be cut short or be refused.
TEST(DiskImageScan, AgreesWithTheLoadOnRealContainersWholeAndCut) {
    const Bytes first = testsupport::SampleBytes("fm77av-demo.d77");
    const Bytes second = testsupport::SampleBytes("cpm-x1turbo-2d.d88");
    const Bytes whole =
        Concat({first, second, testsupport::SampleBytes("hubasic-2d-17-byte-name.d88")});
    const size_t end = first.size() + second.size();
    const auto verdict = [](auto&& read) {
        try {
            read();
            return std::string("accepted");
        } catch (const rtl::Exception& e) {
            return std::string(typeid(e).name()) + ": " + e.Message();
        }
    };
    for (const size_t length : {size_t{0}, size_t{1}, size_t{687}, size_t{688}, first.size() - 1,
                                first.size(), first.size() + 700, end - 1, end, whole.size()}) {
        rtl::TMemoryStream stream;
        stream.WriteBuffer(whole.data(), static_cast<int64_t>(length));
        TDiskImageList loaded;
        const std::string load = verdict([&] { loaded.LoadFromStream(stream); });
        std::vector<TScannedImage> scanned;
        EXPECT_EQ(verdict([&] { scanned = ScanDiskImages(stream); }), load) << length;
        if (load != "accepted")
            continue;
        ASSERT_EQ(scanned.size(), static_cast<size_t>(loaded.Count()));
        int64_t offset = 0;
        for (size_t i = 0; i < scanned.size(); ++i) {
            EXPECT_EQ(scanned[i].Offset, offset);
            EXPECT_EQ(scanned[i].Name, loaded[static_cast<int>(i)]->Name());
            EXPECT_EQ(scanned[i].Size, loaded[static_cast<int>(i)]->Size());
            offset += scanned[i].Size;
        }
    }
}

TEST(DiskImageListSave, AWriteThatFailsHalfWayLeavesTheOldFileByteIdentical) {
    testsupport::TempDir dir;
    const std::string path = dir.File("disk.d88");
    const Bytes old = testsupport::SampleBytes("fm77av-demo.d77");
    testsupport::WriteFileBytes(path, old);
    ::chmod(path.c_str(), 0640);

    TDiskImageList list;
    for (int i = 0; i < 3; ++i)
        list.Add(std::make_unique<TDiskImage>(TDiskFormat{DiskType2D, 40, 2, 16, 1}));
    {
        testsupport::FileSizeLimit limit(500000);
        try {
            list.SaveToFile(path);
            FAIL() << "the save went through";
        } catch (const rtl::EStreamError& e) {
            EXPECT_EQ(e.Message(), "The program could not save the disk images.");
        }
    }
    EXPECT_EQ(testsupport::ReadFileBytes(path), old);
    EXPECT_EQ(testsupport::ListFolder(dir.Path()), std::vector<std::string>{"disk.d88"});

    // The same save with room to spare replaces the file and keeps its permissions.
    list.SaveToFile(path);
    EXPECT_EQ(testsupport::ReadFileBytes(path), ListBytes(list));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(DiskImageListSave, AnImagesWriteErrorPassesUnchangedFromSaveToStream) {
    TDiskImageList list;
    list.Add(std::make_unique<TDiskImage>());
    list.Add(std::make_unique<TDiskImage>());
    TFailingStream stream(1000);
    EXPECT_EQ(MessageOf<EDiskImageError>([&] { list.SaveToStream(stream); }),
              "The program could not save the disk image.");
    EXPECT_EQ(stream.Size(), 1000);
}

TEST(DiskImageListSave, SavingThroughASymbolicLinkReplacesItsTarget) {
    testsupport::TempDir dir;
    testsupport::WriteFileBytes(dir.File("real.d88"), {});
    ASSERT_EQ(::symlink("real.d88", dir.File("link.d88").c_str()), 0);
    TDiskImageList list;
    list.Add(std::make_unique<TDiskImage>());
    list.SaveToFile(dir.File("link.d88"));
    struct stat info {};
    ASSERT_EQ(::lstat(dir.File("link.d88").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File("real.d88")).size(), 688u);

    // A link to a file not yet there: the file is made, through a second link and a "..".
    ASSERT_EQ(::mkdir(dir.File("sub").c_str(), 0700), 0);
    ASSERT_EQ(::symlink("../new.d88", dir.File("sub/next").c_str()), 0);
    ASSERT_EQ(::symlink("sub/next", dir.File("dangling.d88").c_str()), 0);
    list.SaveToFile(dir.File("dangling.d88"));
    ASSERT_EQ(::lstat(dir.File("dangling.d88").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File("new.d88")).size(), 688u);
}

TEST(DiskImageListSave, TheReplacedFileKeepsItsOwnerModeAndWriteProtection) {
    testsupport::TempDir dir;
    const std::string path = dir.File("owned.d88");
    testsupport::WriteFileBytes(path, {});
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    TDiskImageList list;
    list.Add(std::make_unique<TDiskImage>());
    if (::geteuid() == 0) {
        // Only an administrator can hand a file to another owner, and must keep it theirs.
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
        list.SaveToFile(path);
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
        EXPECT_EQ(info.st_mode & 07777, 0640u);
        EXPECT_EQ(testsupport::ReadFileBytes(path).size(), 688u);

        // The refusal below, for a user who may not write the file although its folder lets
        // anyone replace it: a child gives up the administrator's rights to try.
        ASSERT_EQ(::chown(path.c_str(), 0, 0), 0);
        ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
        ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(2);
            try {
                list.SaveToFile(path);
            } catch (const rtl::EStreamError& e) {
                ::_exit(e.Message() == "The program could not save the disk images." ? 0 : 3);
            }
            ::_exit(1);
        }
        const std::optional<int> status = testsupport::WaitForExit(child);
        ASSERT_TRUE(status) << "the unprivileged child did not end";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
        EXPECT_EQ(testsupport::ReadFileBytes(path).size(), 688u);
        EXPECT_EQ(testsupport::ListFolder(dir.Path()), std::vector<std::string>{"owned.d88"});
    } else {
        // A file the user may not write is not replaced behind its back.
        ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
        EXPECT_EQ(MessageOf<rtl::EStreamError>([&] { list.SaveToFile(path); }),
                  "The program could not save the disk images.");
        EXPECT_TRUE(testsupport::ReadFileBytes(path).empty());
    }
}

// ---------------------------------------------------------------------------------------------
// Texts and comparers

TEST(DiskImageTexts, SizesAreGroupedByThousands) {
    EXPECT_EQ(SizeToText(0), "0 bytes");
    EXPECT_EQ(SizeToText(999), "999 bytes");
    EXPECT_EQ(SizeToText(1000), "1,000 bytes");
    EXPECT_EQ(SizeToText(348848), "348,848 bytes");
    EXPECT_EQ(SizeToText(1234567), "1,234,567 bytes");
    EXPECT_EQ(SizeToText(-1234), "-1,234 bytes");
    EXPECT_EQ(SizeToText(-999), "-999 bytes");
    EXPECT_EQ(SizeToText(4294967296LL), "4,294,967,296 bytes");
    EXPECT_EQ(SizeToText(INT64_MIN), "-9,223,372,036,854,775,808 bytes");
}

TEST(DiskImageTexts, PropertyTextsRefuseUnsupportedBytes) {
    EXPECT_EQ(NameToText("GAME"), "GAME");
    EXPECT_EQ(WriteProtectedToText(0x00), "No");
    EXPECT_EQ(WriteProtectedToText(0x10), "Yes");
    EXPECT_EQ(DiskTypeToText(0x00), "2D");
    EXPECT_EQ(DiskTypeToText(0x10), "2DD");
    EXPECT_EQ(DiskTypeToText(0x20), "2HD");
    EXPECT_EQ(MessageOf<EDiskImageError>([] { DiskTypeToText(0x30); }),
              "The program does not support the disk type.");
    EXPECT_EQ(MessageOf<EDiskImageError>([] { WriteProtectedToText(0x01); }),
              "The program does not support the write-protected mode.");
}

TEST(DiskImageComparers, OrderAndRefusals) {
    EXPECT_LT(CompareWriteProtected(0x10, 0x00), 0);
    EXPECT_GT(CompareWriteProtected(0x00, 0x10), 0);
    EXPECT_EQ(CompareWriteProtected(0x10, 0x10), 0);
    EXPECT_EQ(MessageOf<EDiskImageError>([] { CompareWriteProtected(0x00, 0x20); }),
              "The program does not support the write-protected mode.");

    EXPECT_LT(CompareDiskTypes(0x00, 0x10), 0);
    EXPECT_LT(CompareDiskTypes(0x10, 0x20), 0);
    EXPECT_GT(CompareDiskTypes(0x20, 0x00), 0);
    EXPECT_EQ(MessageOf<EDiskImageError>([] { CompareDiskTypes(0x20, 0x30); }),
              "The program does not support the disk type.");

    EXPECT_LT(CompareSizes(688, 348848), 0);
    EXPECT_GT(CompareSizes(INT32_MAX, -1), 0);
    EXPECT_EQ(CompareSizes(5, 5), 0);

    EXPECT_LT(CompareNames("abc", "ABD"), 0);
    EXPECT_LT(CompareNames("abc", "Abc"), 0);
    EXPECT_GT(CompareNames("Abc", "abc"), 0);
    EXPECT_LT(CompareNames("ab", "abc"), 0);
    EXPECT_LT(CompareNames("", "a"), 0);
    EXPECT_EQ(CompareNames("GAME", "GAME"), 0);
    EXPECT_LT(CompareNames("DISK 1", "disk 2"), 0);
    // Names of bytes below 0x80 skip the decoding for their keys, which is right only while
    // the decoding gives them back unchanged, backslash and tilde included.
    for (int c = 1; c < 0x80; ++c) {
        const std::string name(1, static_cast<char>(c));
        EXPECT_EQ(rtl::Cp932ToUtf8(name), name) << c;
    }
}

namespace {

// Code page 932 names, written as UTF-8 between bars to be read.
std::vector<std::string> Cp932Names(const std::string& text) {
    std::vector<std::string> names;
    for (size_t begin = 0, end; begin <= text.size(); begin = end + 1) {
        end = std::min(text.find('|', begin), text.size());
        names.push_back(rtl::Utf8ToCp932(text.substr(begin, end - begin)).value());
    }
    return names;
}

// Sorts shuffled copies of expected with a sort that keeps no order of its own: only a total
// order gives back expected every time.
void ExpectSortedOrder(const std::vector<std::string>& expected) {
    std::mt19937 random(11);
    for (int round = 0; round < 3; ++round) {
        std::vector<std::string> names = expected;
        std::shuffle(names.begin(), names.end(), random);
        std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            return CompareNames(a, b) < 0;
        });
        EXPECT_EQ(names, expected);
    }
}

} // namespace

TEST(NameOrder, NamesSortAsAJapaneseReaderExpects) {
    // Symbols, digits, Latin letters, kana in the order of the syllabary, then kanji in the
    // order of JIS level 1, by reading (亜 a, 一 ichi, 漢 kan), not by code point. Lower case
    // first among names alike but for case, hiragana before katakana, and the full-width and
    // half-width forms beside the ordinary ones.
    ExpectSortedOrder(
        Cp932Names("|!|@|1|１|①|10|2|a b|a-b|ab|abc|Abc|ABC|ＡＢＣ|ABD|あ|ア|かな|カナ|"
                   "ｶﾅ|けーむ|げーむ|ゲーム|ｹﾞｰﾑ|ゲーム2|ばそこん|パソコン|ﾊﾟｿｺﾝ|亜|一|漢字"));
}

TEST(NameOrder, NamesThatReadAlikeGoByTheirBytes) {
    // ∵ has three codes in code page 932, and every byte that does not decode reads as U+FFFD,
    // which comes after every letter; only the bytes tell such names apart.
    const std::vector<std::string> expected = {"\x81\xE6", "\x87\x9A", "\xFA\x5B", "ABD",
                                               "A\x80",    "A\x81",    "A\xFD",    "B"};
    ExpectSortedOrder(expected);
    for (const std::string& name : expected)
        EXPECT_EQ(CompareNames(name, std::string(name)), 0);
}

TEST(NameOrder, KeysOfALongListAreEachNamesOwnKeyInOrder) {
    // Long enough for the keys to be made in parts side by side; names of every kind, bytes
    // that do not decode among them, at the parts' edges too.
    const std::vector<std::string> kinds = Cp932Names("|ゲーム|ｹﾞｰﾑ|ABC|abc|漢字|DISK 2");
    TDiskImageList list;
    for (int i = 0; i < 120001; ++i) {
        auto image = std::make_unique<TDiskImage>();
        image->SetName(i % 7 == 6 ? "A\x80" + std::to_string(i)
                                  : kinds[static_cast<size_t>(i) % kinds.size()] +
                                        std::to_string(i % 1000));
        list.Add(std::move(image));
    }
    const TNameSortKeys keys = NameSortKeys(list);
    ASSERT_EQ(keys.Count(), list.Count());
    for (int i = 0; i < list.Count(); ++i)
        ASSERT_EQ(keys.Key(i), NameSortKey(list[i]->Name())) << i;
}
