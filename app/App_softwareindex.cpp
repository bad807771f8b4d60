#include "App_softwareindex.h"

#include "Rtl_exceptions.h"
#include "Rtl_filewriter.h"
#include "Rtl_streams.h"
#include "Rtl_sysio.h"

#include <xxhash.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iterator>
#include <sys/stat.h>
#include <utility>

namespace {

// A new layout of the index or of the catalog's bytes takes a new version.
constexpr char Magic[16] = {'T', 'R', 'A', 'C', 'K', 'W', 'E', 'L',
                            'L', '-', 'L', 'I', 'S', 'T', 'S', '3'};
// The file's parts after the magic: the key's length, the payload's length, the payload's hash.
constexpr size_t HeaderSize = sizeof(Magic) + 4 + 8 + 8;
// The indexes of the sets of lists used last.
constexpr size_t KeptIndexes = 8;
// No index of real lists comes near this: a larger file is another's, or damage.
constexpr int64_t MaxIndexSize = int64_t{1} << 31;

void PutNumber(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>(value >> (8 * i)));
}

uint64_t GetNumber(const uint8_t* at, int bytes) {
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= uint64_t{at[i]} << (8 * i);
    return value;
}

// A file's size and modification time to the nanosecond, or "-" when it is not there.
std::string Stamp(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return "-";
    return std::to_string(info.st_size) + ':' + std::to_string(info.st_mtim.tv_sec) + '.' +
           std::to_string(info.st_mtim.tv_nsec);
}

// One index for each set of lists, so that commands given other lists do not take turns at
// building one file.
std::string IndexFileName(const std::vector<std::string>& paths) {
    std::string joined;
    for (const std::string& path : paths)
        joined.append(path).push_back('\0');
    char name[40];
    std::snprintf(name, sizeof name, "lists-%016llx.idx",
                  static_cast<unsigned long long>(XXH3_64bits(joined.data(), joined.size())));
    return name;
}

// An index file's bytes and what keeps them.
struct TIndexFile {
    std::shared_ptr<const void> Owner;
    std::span<const uint8_t> Bytes;
};

// The file at path seen where the system caches it rather than copied into fresh memory, which
// costs a warm command more than all the rest of its reading; its pages are read ahead, so that
// checking it takes no faults. A file cut short under the view reads as zeros past its new end:
// items that match nothing, and the next command finds the index cut and builds it again.
// Nothing when it cannot be seen so, and the file is read instead.
std::optional<TIndexFile> MapIndexFile(const std::string& path) {
    try {
        rtl::TFileStream stream(path, rtl::TFileMode::OpenRead);
        const int64_t size = stream.Size();
        if (size < static_cast<int64_t>(HeaderSize) || size > MaxIndexSize)
            return std::nullopt;
        std::shared_ptr<const rtl::TFileView> view = stream.View(0, size, rtl::TViewReading::Ahead);
        if (!view)
            return std::nullopt;
        const std::span<const uint8_t> bytes = view->Bytes();
        return TIndexFile{std::move(view), bytes};
    } catch (const rtl::Exception&) {
        return std::nullopt;
    }
}

// ---------------------------------------------------------------------------------------------

// The bytes of the index file at path, or nothing where there is no file of an index's size.
std::optional<TIndexFile> ReadIndexFile(const std::string& path) {
    if (std::optional<TIndexFile> mapped = MapIndexFile(path))
        return mapped;
    try {
        rtl::TFileStream stream(path, rtl::TFileMode::OpenRead);
        const int64_t size = stream.Size();
        if (size < static_cast<int64_t>(HeaderSize) || size > MaxIndexSize)
            return std::nullopt;
        std::shared_ptr<uint8_t[]> bytes =
            std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(size));
        stream.ReadBuffer(bytes.get(), size);
        return TIndexFile{bytes, {bytes.get(), static_cast<size_t>(size)}};
    } catch (const rtl::Exception&) {
        return std::nullopt;
    }
}

// The catalog's bytes in an index file of the lists key names, checked against the hash.
std::optional<std::span<const uint8_t>> IndexPayload(std::span<const uint8_t> bytes,
                                                     const std::string& key) {
    if (bytes.size() < HeaderSize || std::memcmp(bytes.data(), Magic, sizeof(Magic)) != 0)
        return std::nullopt;
    const uint64_t keySize = GetNumber(bytes.data() + sizeof(Magic), 4);
    const uint64_t payloadSize = GetNumber(bytes.data() + sizeof(Magic) + 4, 8);
    const uint64_t hash = GetNumber(bytes.data() + sizeof(Magic) + 12, 8);
    const std::span<const uint8_t> rest = bytes.subspan(HeaderSize);
    if (keySize != key.size() || payloadSize != rest.size() - std::min(rest.size(), keySize) ||
        keySize > rest.size() || XXH3_64bits(rest.data(), rest.size()) != hash ||
        std::memcmp(rest.data(), key.data(), key.size()) != 0)
        return std::nullopt;
    return rest.subspan(key.size());
}

void WriteIndexFile(const std::string& folder, const std::string& name, const std::string& bytes) {
    try {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        const std::string path = folder + '/' + name;
        // Written under another name and renamed: a command reading it meanwhile finds the old
        // index or the new one, never half of one.
        rtl::TNewFileStream file(path, rtl::TNaming::Replace);
        file.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        file.Commit(path);
    } catch (const rtl::Exception&) {
        // Only the next command's time is lost.
        return;
    }
    // Each set of lists ever given keeps an index: the ones written longest ago go.
    std::error_code error;
    std::vector<std::pair<std::filesystem::file_time_type, std::filesystem::path>> indexes;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string file = it->path().filename().string();
        if (file.starts_with("lists-") && file.ends_with(".idx"))
            indexes.emplace_back(it->last_write_time(error), it->path());
    }
    std::sort(indexes.begin(), indexes.end(), std::greater<>());
    for (size_t i = KeptIndexes; i < indexes.size(); ++i)
        std::filesystem::remove(indexes[i].second, error);
}

} // namespace

std::string SoftwareIndexFolder() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && *cache == '/')
        return std::string(cache) + "/trackwell";
    if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/')
        return std::string(home) + "/.cache/trackwell";
    return {};
}

std::string SoftwareSourcesKey(const std::vector<std::string>& paths) {
    std::string key;
    for (const std::string& path : paths) {
        key.append(path).push_back('\0');
        std::error_code error;
        if (!std::filesystem::is_directory(path, error)) {
            key.append(Stamp(path)).push_back('\n');
            continue;
        }
        // A folder's lists are its files: one added or removed changes the key too.
        std::vector<std::string> files;
        for (std::filesystem::directory_iterator it(path, error), end; !error && it != end;
             it.increment(error))
            files.push_back(it->path().filename().string());
        std::sort(files.begin(), files.end());
        for (const std::string& file : files)
            key.append(file).append("=").append(Stamp(path + '/' + file)).push_back('\n');
        if (error)
            key.append("?\n");
    }
    return key;
}

std::string SoftwareIndexBytes(const TSoftwareCatalog& catalog, const std::string& key) {
    const std::string payload = catalog.Serialize();
    std::string bytes(Magic, sizeof(Magic));
    PutNumber(bytes, key.size(), 4);
    PutNumber(bytes, payload.size(), 8);
    std::string hashed = key + payload;
    PutNumber(bytes, XXH3_64bits(hashed.data(), hashed.size()), 8);
    bytes.append(hashed);
    return bytes;
}

std::optional<TSoftwareCatalog> ReadSoftwareIndex(std::span<const uint8_t> bytes,
                                                  const std::string& key) {
    const std::optional<std::span<const uint8_t>> payload = IndexPayload(bytes, key);
    if (!payload)
        return std::nullopt;
    return TSoftwareCatalog::Restore(*payload);
}

std::unique_ptr<TSoftwareCatalog> LoadSoftwareCatalog(const std::vector<std::string>& paths,
                                                      const std::string& folder) {
    const std::string key = SoftwareSourcesKey(paths);
    const std::string name = IndexFileName(paths);
    if (!folder.empty())
        if (const std::optional<TIndexFile> file = ReadIndexFile(folder + '/' + name))
            if (const auto payload = IndexPayload(file->Bytes, key))
                if (std::optional<TSoftwareCatalog> kept =
                        TSoftwareCatalog::Restore(*payload, file->Owner))
                    return std::make_unique<TSoftwareCatalog>(std::move(*kept));
    auto catalog = std::make_unique<TSoftwareCatalog>();
    for (const std::string& path : paths)
        catalog->AddPath(path);
    // A list that changed while it was read would be kept under the key of before; the key is
    // taken again, and the index kept only when both agree.
    if (!folder.empty() && SoftwareSourcesKey(paths) == key)
        WriteIndexFile(folder, name, SoftwareIndexBytes(*catalog, key));
    return catalog;
}
