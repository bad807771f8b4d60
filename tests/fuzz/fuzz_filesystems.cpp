// Reads arbitrary disks as every file system. The input patches a formatted disk of one of the
// geometries the file systems live on: a byte choosing the geometry (its high bit leaves out the
// tracks no patch reaches), a byte choosing how many of its cylinders the disk keeps, then runs of
// a 3-byte offset into the sectors of the whole geometry, a length byte and that many bytes; what
// falls past the kept cylinders is dropped.
// Nothing may crash, loop or take memory the disk does not account for; every file listed must
// read or be refused; and on a disk called sound, a file written must read back as the file
// system says it reads back, keep its bytes under a new name, and leave no trace once deleted.
//
// With TRACKWELL_FUZZ_SHOW set, each input's file system is printed, and how far the changes
// went, so that the seeds can be checked to open as what they were made for and to be changed.
#include "App_diskimages.h"
#include "App_disklayout.h"
#include "App_disksectors.h"
#include "App_filesystems.h"
#include "FuzzSupport.h"

#include "Rtl_bytes.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace {

constexpr std::array<TDiskFormat, 5> Geometries{{
    {DiskType2D, 40, 2, 16, 1},
    {DiskType2HD, 77, 2, 8, 3},
    {DiskType2DD, 80, 2, 9, 2},
    {DiskType2DD, 80, 2, 16, 1},
    {DiskType2HD, 77, 2, 26, 1},
}};

// A formatted blank of a geometry, made once: every input copies the tracks it keeps instead of
// laying out a disk of up to 1.3 MB again.
struct TBlank {
    std::vector<uint8_t> Image;
    size_t SectorBytes = 0;
    size_t TrackBytes = 0;
    // Where each track begins, cylinder after cylinder with their heads.
    std::vector<size_t> TrackStart;
    // Where the data of each sector of the plain dump is in the image, in the dump's order.
    std::vector<size_t> SectorData;
};

TBlank MakeBlank(const TDiskFormat& format) {
    TBlank blank;
    blank.SectorBytes = static_cast<size_t>(128 << format.N);
    blank.TrackBytes = static_cast<size_t>(format.R) * (SectorHeaderSize + blank.SectorBytes);
    const size_t sectors = static_cast<size_t>(format.C) * format.H * format.R;
    const TDiskImage image(format, std::vector<uint8_t>(sectors * blank.SectorBytes, 0));
    blank.Image.assign(image.Bytes().begin(), image.Bytes().end());
    const TDiskSectors index(blank.Image);
    const TTrackTable table = ReadTrackTable(blank.Image);
    bool whole = true;
    for (int c = 0; c < format.C; ++c)
        for (int h = 0; h < format.H; ++h) {
            const auto start =
                static_cast<size_t>(table[static_cast<size_t>(TrackEntry(format.H, c, h))]);
            whole = whole && start + blank.TrackBytes <= blank.Image.size();
            blank.TrackStart.push_back(start);
            for (int r = 1; r <= format.R; ++r) {
                const TSectorPlace place = index.Find(c, h, r);
                whole = whole && place && static_cast<size_t>(place.Offset) >= start &&
                        static_cast<size_t>(place.Offset) + blank.SectorBytes <=
                            start + blank.TrackBytes;
                blank.SectorData.push_back(static_cast<size_t>(place.Offset));
            }
        }
    // Tracks are copied whole, each holding its own sectors.
    if (!whole)
        fuzzsupport::Fail("a formatted blank keeps each track's sectors together", "", "");
    return blank;
}

const TBlank& BlankOf(size_t geometry) {
    static const std::array<TBlank, Geometries.size()> blanks = [] {
        std::array<TBlank, Geometries.size()> made;
        for (size_t g = 0; g < Geometries.size(); ++g)
            made[g] = MakeBlank(Geometries[g]);
        return made;
    }();
    return blanks[geometry];
}

// Hands each patch of the input to visit as its offset into the dump, its bytes and their count.
template <typename TVisit>
void ForEachPatch(const uint8_t* data, size_t size, size_t dumpSize, TVisit&& visit) {
    for (size_t i = 2; i + 4 <= size;) {
        const size_t offset = (data[i] | data[i + 1] << 8 | data[i + 2] << 16) % dumpSize;
        const size_t length = std::min<size_t>({data[i + 3], size - i - 4, dumpSize - offset});
        visit(offset, data + i + 4, length);
        i += 4 + length;
    }
}

// The image of the input's disk, in one buffer reused by every input. The first byte's high bit
// makes a disk of the tracks the patches reach only, as images that leave out unformatted tracks
// are: a disk that reaches its last cylinders costs no more than the tracks it holds.
std::span<const uint8_t> DiskOf(const uint8_t* data, size_t size) {
    static std::vector<uint8_t> image;
    static std::vector<size_t> placed;
    const bool sparse = (data[0] & 0x80) != 0;
    const size_t geometry = (data[0] & 0x7F) % Geometries.size();
    const TDiskFormat& format = Geometries[geometry];
    const TBlank& blank = BlankOf(geometry);
    const int cylinders = 1 + data[1] % format.C;
    const size_t tracks = static_cast<size_t>(cylinders) * format.H;
    const size_t trackSectors = static_cast<size_t>(format.R);
    const size_t dumpSize = blank.SectorData.size() * blank.SectorBytes;

    // A track the disk leaves out has no place.
    constexpr size_t Absent = SIZE_MAX;
    placed.assign(tracks, sparse ? Absent : 0);
    if (sparse)
        ForEachPatch(data, size, dumpSize, [&](size_t offset, const uint8_t*, size_t length) {
            const size_t last = (offset + std::max<size_t>(length, 1) - 1) / blank.SectorBytes;
            for (size_t t = offset / blank.SectorBytes / trackSectors;
                 t <= last / trackSectors && t < tracks; ++t)
                placed[t] = 0;
        });
    image.assign(blank.Image.begin(), blank.Image.begin() + ImageHeaderSize);
    std::fill(image.begin() + TrackTableOffset,
              image.begin() + TrackTableOffset + 4 * TrackTableEntries, uint8_t{0});
    for (size_t t = 0; t < tracks; ++t) {
        if (placed[t] == Absent)
            continue;
        placed[t] = image.size();
        const int c = static_cast<int>(t) / format.H;
        WriteTrackOffset(image.data(),
                         static_cast<int>(TrackEntry(format.H, c, static_cast<int>(t) % format.H)),
                         static_cast<uint32_t>(placed[t]));
        const auto start = blank.Image.begin() + static_cast<ptrdiff_t>(blank.TrackStart[t]);
        image.insert(image.end(), start, start + static_cast<ptrdiff_t>(blank.TrackBytes));
    }
    rtl::PutLe32(image.data() + TDiskImage::SizeOffset, static_cast<uint32_t>(image.size()));

    ForEachPatch(data, size, dumpSize, [&](size_t offset, const uint8_t* from, size_t length) {
        while (length > 0) {
            const size_t sector = offset / blank.SectorBytes;
            const size_t t = sector / trackSectors;
            const size_t within = offset % blank.SectorBytes;
            const size_t take = std::min(length, blank.SectorBytes - within);
            if (t < tracks && placed[t] != Absent)
                std::memcpy(image.data() + placed[t] + blank.SectorData[sector] -
                                blank.TrackStart[t] + within,
                            from, take);
            from += take;
            offset += take;
            length -= take;
        }
    });
    return image;
}

// Lists every folder, reading each file, and returns the files seen; bounded by depth and by
// how many entries the disk can have.
int Walk(const TFileSystem& fs, const std::string& folder, int depth) {
    std::vector<TFileEntry> entries;
    try {
        entries = fs.List(folder);
    } catch (const EFileSystemError&) {
        return 0;
    }
    int files = 0;
    for (const TFileEntry& entry : entries) {
        const std::string path = folder.empty() ? entry.Name : folder + '/' + entry.Name;
        if (entry.Folder) {
            if (depth < 8)
                files += Walk(fs, path, depth + 1);
            continue;
        }
        ++files;
        try {
            const std::vector<uint8_t> data = fs.Read(path);
            if (fs.Damage().empty() && static_cast<int64_t>(data.size()) != entry.Size)
                fuzzsupport::Fail("a file of a sound disk reads as its listed size",
                                  std::to_string(entry.Size), std::to_string(data.size()));
        } catch (const EFileSystemError&) {
        }
    }
    return files;
}

// The file system of image, changed from before, which was original's: the same file system
// still, sound, and as large a disk.
std::unique_ptr<TFileSystem> Reopen(const TFileSystem& original, std::span<const uint8_t> before,
                                    const std::vector<uint8_t>& image, const char* change) {
    if (image.size() != before.size())
        fuzzsupport::Fail((std::string("a disk keeps its size after ") + change).c_str(),
                          std::to_string(before.size()), std::to_string(image.size()));
    std::unique_ptr<TFileSystem> fs = OpenFileSystem(image);
    const std::string name = fs ? fs->Name() : "none";
    if (name != original.Name())
        fuzzsupport::Fail((std::string("a disk keeps its file system after ") + change).c_str(),
                          original.Name(), name);
    if (!fs->Damage().empty())
        fuzzsupport::Fail((std::string("a sound disk stays sound after ") + change).c_str(), "",
                          fs->Damage());
    return fs;
}

bool Holds(const TFileSystem& fs, const std::string& path) {
    try {
        (void)fs.Read(path);
        return true;
    } catch (const EFileSystemError&) {
        return false;
    }
}

// path reads as expected and the root listing gives it that size.
void CheckFile(const TFileSystem& fs, const std::string& path, const std::vector<uint8_t>& expected,
               const char* what) {
    std::vector<uint8_t> read;
    try {
        read = fs.Read(path);
    } catch (const EFileSystemError& e) {
        fuzzsupport::Fail(what, path, e.what());
    }
    if (read != expected)
        fuzzsupport::Fail(what, std::to_string(expected.size()) + " bytes as written",
                          std::to_string(read.size()) + " other bytes");
    const std::vector<TFileEntry> listing = fs.List("");
    const auto entry = std::find_if(listing.begin(), listing.end(),
                                    [&](const TFileEntry& e) { return e.Name == path; });
    if (entry == listing.end() || entry->Size != static_cast<int64_t>(expected.size()))
        fuzzsupport::Fail("a written file is listed at its size", std::to_string(expected.size()),
                          entry == listing.end() ? "not listed" : std::to_string(entry->Size));
}

void Show(const TFileSystem* fs) {
    if (fs == nullptr) {
        std::fprintf(stderr, "fuzz: file system none\n");
        return;
    }
    std::fprintf(stderr, "fuzz: file system %s, %lld files, %lld bytes free, damage [%s]\n",
                 fs->Name().c_str(), static_cast<long long>(fs->FileCount()),
                 static_cast<long long>(fs->FreeBytes()), fs->Damage().c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const bool show = std::getenv("TRACKWELL_FUZZ_SHOW") != nullptr;
    if (size < 2)
        return 0;
    const std::span<const uint8_t> bytes = DiskOf(data, size);
    const std::unique_ptr<TFileSystem> fs = OpenFileSystem(bytes);
    if (show)
        Show(fs.get());
    if (!fs)
        return 0;
    Walk(*fs, "", 0);
    (void)fs->FileCount();
    const int64_t free = fs->FreeBytes();
    if (!fs->CanWrite() || !fs->Damage().empty())
        return 0;

    const std::string name = "FUZZ.TXT";
    // Eight characters at most, which every file system here takes.
    const std::string renamed = "FUZZ2";
    const std::vector<uint8_t> content{'F', 'U', 'Z', 'Z', '\r', '\n'};
    std::vector<uint8_t> written;
    try {
        written = fs->Put(name, content);
    } catch (const EFileSystemError&) {
        return 0;
    }
    const std::vector<uint8_t> expected = fs->ReadBackOf(content);
    const std::unique_ptr<TFileSystem> put = Reopen(*fs, bytes, written, "a write");
    CheckFile(*put, name, expected, "a written file reads back");

    // A disk that has a file of the new name already refuses the rename; it can only be that.
    // A file system reads the image it was opened on: each change's bytes live as long as it.
    std::vector<uint8_t> renamedImage;
    try {
        renamedImage = put->Rename(name, renamed);
    } catch (const EFileSystemError& e) {
        if (!Holds(*put, renamed))
            fuzzsupport::Fail("a written file takes a free name", renamed, e.what());
    }
    const std::unique_ptr<TFileSystem> moved =
        renamedImage.empty() ? nullptr : Reopen(*fs, bytes, renamedImage, "a rename");
    if (moved) {
        CheckFile(*moved, renamed, expected, "a renamed file keeps its bytes");
        if (Holds(*moved, name))
            fuzzsupport::Fail("a renamed file's old name is gone", "no " + name, name);
    }
    const TFileSystem& last = moved ? *moved : *put;
    const std::string left = moved ? renamed : name;

    const std::vector<std::string> paths{left};
    const std::vector<uint8_t> deleted = last.Delete(paths);
    const std::unique_ptr<TFileSystem> after = Reopen(*fs, bytes, deleted, "a delete");
    if (Holds(*after, left))
        fuzzsupport::Fail("a deleted file is gone", "no " + left, left);
    if (after->FreeBytes() < free)
        fuzzsupport::Fail("deleting a written file frees its space", std::to_string(free),
                          std::to_string(after->FreeBytes()));
    if (show)
        std::fprintf(stderr, "fuzz: written, %s and deleted\n", moved ? "renamed" : "kept");

    // A folder made, a file put in it, and both deleted again: sound all the way, the space
    // given back.
    if (!fs->HasFolders())
        return 0;
    std::vector<uint8_t> madeImage;
    try {
        madeImage = fs->MakeFolder("FUZZDIR");
    } catch (const EFileSystemError&) {
        return 0;
    }
    const std::unique_ptr<TFileSystem> made = Reopen(*fs, bytes, madeImage, "making a folder");
    std::vector<uint8_t> filledImage;
    try {
        filledImage = made->Put("FUZZDIR/IN.TXT", content);
    } catch (const EFileSystemError&) {
        return 0;
    }
    const std::unique_ptr<TFileSystem> filled =
        Reopen(*fs, bytes, filledImage, "a write into a folder");
    if (!Holds(*filled, "FUZZDIR/IN.TXT"))
        fuzzsupport::Fail("a file written into a folder is there", "FUZZDIR/IN.TXT", "");
    const std::vector<std::string> tree{"FUZZDIR", "FUZZDIR/IN.TXT"};
    const std::vector<uint8_t> emptied = filled->Delete(tree);
    const std::unique_ptr<TFileSystem> gone = Reopen(*fs, bytes, emptied, "deleting a folder");
    if (gone->FreeBytes() < free)
        fuzzsupport::Fail("deleting a folder frees its space", std::to_string(free),
                          std::to_string(gone->FreeBytes()));
    return 0;
}
