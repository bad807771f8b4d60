// Reads arbitrary disks as every file system. The input patches a formatted disk of one of the
// geometries the file systems live on: a byte choosing the geometry, then runs of a 3-byte offset
// into the sectors, a length byte and that many bytes. Nothing may crash, loop or take memory
// the disk does not account for; every file listed must read or be refused; and on a disk called
// sound, a file written must read back as written, and deleting it must leave no trace of it.
#include "App_diskimages.h"
#include "App_filesystems.h"
#include "FuzzSupport.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
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

std::vector<uint8_t> FileOn(const std::vector<uint8_t>& image, const std::string& path) {
    const std::unique_ptr<TFileSystem> fs = OpenFileSystem(image);
    if (!fs)
        fuzzsupport::Fail("a changed disk keeps its file system", "one", "none");
    return fs->Read(path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const TDiskFormat& format = Geometries[data[0] % Geometries.size()];
    const auto dumpSize =
        static_cast<size_t>(format.C) * format.H * format.R * static_cast<size_t>(128 << format.N);
    std::vector<uint8_t> dump(dumpSize, 0);
    for (size_t i = 1; i + 4 <= size;) {
        const size_t offset = (data[i] | data[i + 1] << 8 | data[i + 2] << 16) % dumpSize;
        const size_t length = std::min<size_t>({data[i + 3], size - i - 4, dumpSize - offset});
        std::copy_n(data + i + 4, length, dump.begin() + static_cast<std::ptrdiff_t>(offset));
        i += 4 + length;
    }
    const TDiskImage image(format, dump);
    const std::span<const uint8_t> bytes = image.Bytes();
    const std::unique_ptr<TFileSystem> fs = OpenFileSystem(bytes);
    if (!fs)
        return 0;
    Walk(*fs, "", 0);
    (void)fs->FileCount();
    (void)fs->FreeBytes();
    if (!fs->CanWrite() || !fs->Damage().empty())
        return 0;

    const std::vector<uint8_t> content{'F', 'U', 'Z', 'Z', '\r', '\n'};
    std::vector<uint8_t> written;
    try {
        written = fs->Put("FUZZ.TXT", content);
    } catch (const EFileSystemError&) {
        return 0;
    }
    if (written.size() != bytes.size())
        fuzzsupport::Fail("a written disk keeps its size", std::to_string(bytes.size()),
                          std::to_string(written.size()));
    if (FileOn(written, "FUZZ.TXT") != content)
        fuzzsupport::Fail("a written file reads back", "FUZZ.TXT's bytes", "others");
    const std::unique_ptr<TFileSystem> again = OpenFileSystem(written);
    if (!again->Damage().empty())
        fuzzsupport::Fail("writing a sound disk leaves it sound", "", again->Damage());
    const std::vector<std::string> paths{"FUZZ.TXT"};
    const std::vector<uint8_t> deleted = again->Delete(paths);
    const std::unique_ptr<TFileSystem> after = OpenFileSystem(deleted);
    if (!after)
        fuzzsupport::Fail("a disk keeps its file system after a delete", "one", "none");
    if (after->FreeBytes() < fs->FreeBytes())
        fuzzsupport::Fail("deleting a written file frees its space",
                          std::to_string(fs->FreeBytes()), std::to_string(after->FreeBytes()));
    return 0;
}
