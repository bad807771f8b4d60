#include "TestSupport.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <stdexcept>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "trackwell-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    FPath = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(FPath, ignored);
}

std::string TempDir::File(const std::string& name) const {
    return FPath + "/" + name;
}

CurrentFolderKeeper::CurrentFolderKeeper() : FFolder(fs::current_path().string()) {}

CurrentFolderKeeper::~CurrentFolderKeeper() {
    std::error_code ignored;
    fs::current_path(FFolder, ignored);
}

FileSizeLimit::FileSizeLimit(rlim_t limit) {
    FSavedHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &FSaved);
    rlimit limited = FSaved;
    limited.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &limited);
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &FSaved);
    std::signal(SIGXFSZ, FSavedHandler);
}

int WriterCalls::OpenUnnamed(int folder, unsigned mode) {
    if (NamedTemporaries) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return TFileWriterCalls::OpenUnnamed(folder, mode);
}

void WriterCalls::Naming(const std::string& name) const {
    if (BeforeNaming)
        BeforeNaming(name);
}

int WriterCalls::LinkUnnamed(int handle, int folder, const std::string& name) {
    Naming(name);
    return TFileWriterCalls::LinkUnnamed(handle, folder, name);
}

int WriterCalls::RenameNoReplace(int folder, const std::string& from, const std::string& to) {
    Naming(to);
    return TFileWriterCalls::RenameNoReplace(folder, from, to);
}

int WriterCalls::Rename(int folder, const std::string& from, const std::string& to) {
    Naming(to);
    return TFileWriterCalls::Rename(folder, from, to);
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

void PutLe(Bytes& bytes, size_t offset, uint32_t value, int width) {
    for (int i = 0; i < width; ++i)
        bytes[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

Bytes FormattedImage(uint8_t diskType, int c, int h, int r, int n, uint8_t fill) {
    const uint32_t dataLength = 128u << n;
    const uint32_t sectorLength = 16 + dataLength;
    const uint32_t trackLength = static_cast<uint32_t>(r) * sectorLength;
    const uint32_t tracks = static_cast<uint32_t>(c * h);
    const uint32_t total = 688 + tracks * trackLength;
    Bytes bytes(total, 0);
    bytes[27] = diskType;
    PutLe(bytes, 28, total, 4);
    // A single-sided disk's cylinder c is found at entry 2c, side 1 left absent.
    for (uint32_t t = 0; t < tracks; ++t)
        PutLe(bytes, 32 + 4 * (h == 1 ? 2 * t : t), 688 + t * trackLength, 4);
    size_t sector = 688;
    for (int ci = 0; ci < c; ++ci)
        for (int hi = 0; hi < h; ++hi)
            for (int ri = 1; ri <= r; ++ri) {
                bytes[sector] = static_cast<uint8_t>(ci);
                bytes[sector + 1] = static_cast<uint8_t>(hi);
                bytes[sector + 2] = static_cast<uint8_t>(ri);
                bytes[sector + 3] = static_cast<uint8_t>(n);
                PutLe(bytes, sector + 4, static_cast<uint32_t>(r), 2);
                PutLe(bytes, sector + 14, dataLength, 2);
                std::memset(bytes.data() + sector + 16, fill, dataLength);
                sector += sectorLength;
            }
    return bytes;
}

Bytes LaidOutImage(const std::vector<std::vector<LaidSector>>& tracks) {
    Bytes image(688, 0);
    for (size_t t = 0; t < tracks.size(); ++t) {
        PutLe(image, 32 + 4 * t, static_cast<uint32_t>(image.size()), 4);
        for (const LaidSector& s : tracks[t]) {
            Bytes header(16, 0);
            header[0] = s.C;
            header[1] = s.H;
            header[2] = s.R;
            header[3] = s.N;
            PutLe(header, 4, static_cast<uint32_t>(tracks[t].size()), 2);
            header[6] = s.Density;
            header[7] = s.Deleted;
            header[8] = s.Status;
            PutLe(header, 14, static_cast<uint32_t>(s.Data.size()), 2);
            image.insert(image.end(), header.begin(), header.end());
            image.insert(image.end(), s.Data.begin(), s.Data.end());
        }
    }
    PutLe(image, 28, static_cast<uint32_t>(image.size()), 4);
    return image;
}

Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFileText(const std::string& path) {
    const Bytes bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteFileText(const std::string& path, const std::string& text) {
    WriteFileBytes(path, Bytes(text.begin(), text.end()));
}

bool FileExists(const std::string& path) {
    std::error_code ignored;
    return fs::symlink_status(path, ignored).type() != fs::file_type::not_found;
}

std::vector<std::string> ListFolder(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string SamplePath(const std::string& name) {
    return std::string(TRACKWELL_SAMPLES_DIR) + "/" + name;
}

Bytes SampleBytes(const std::string& name) {
    return ReadFileBytes(SamplePath(name));
}

std::optional<int> WaitForExit(pid_t child, std::chrono::seconds bound) {
    // A descriptor that becomes readable when the child ends: the wait sleeps, bounded, instead
    // of polling.
    const int handle = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
    bool killed = false;
    if (handle >= 0) {
        pollfd watched{handle, POLLIN, 0};
        const auto deadline = std::chrono::steady_clock::now() + bound;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            const int ready = left > 0 ? ::poll(&watched, 1, static_cast<int>(left)) : 0;
            if (ready > 0 || (ready < 0 && errno != EINTR))
                break;
            if (ready == 0) {
                killed = ::kill(child, SIGKILL) == 0;
                break;
            }
        }
        ::close(handle);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return std::nullopt;
    if (killed)
        return std::nullopt;
    return status;
}

bool ReadByteWithin(int fd, std::chrono::seconds bound, char& byte) {
    pollfd watched{fd, POLLIN, 0};
    int ready = 0;
    do
        ready = ::poll(&watched, 1, static_cast<int>(bound.count() * 1000));
    while (ready < 0 && errno == EINTR);
    return ready > 0 && ::read(fd, &byte, 1) == 1;
}

} // namespace testsupport
