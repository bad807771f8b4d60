// What the file-based fuzz targets share: one scratch folder per process, writing an input to a
// file, and stopping with both sides of a broken invariant shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fuzzsupport {

// One folder for the whole process, so that every input reuses the same file names. Under
// TMPDIR when it is set (fuzz.sh sets one it removes, as a crash skips the cleanup here), else
// on a memory file system where there is one: the code under test syncs each file it writes.
class TFuzzFolder {
public:
    TFuzzFolder() {
        const char* base = std::getenv("TMPDIR");
        if (base == nullptr || *base == '\0')
            base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/trackwell-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("fuzz: mkdtemp");
            std::abort();
        }
        FPath = pattern;
    }
    ~TFuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(FPath, ignored);
    }
    TFuzzFolder(const TFuzzFolder&) = delete;
    TFuzzFolder& operator=(const TFuzzFolder&) = delete;
    std::string File(const char* name) const { return FPath + "/" + name; }

private:
    std::string FPath;
};

inline const TFuzzFolder& Folder() {
    static const TFuzzFolder folder;
    return folder;
}

inline void WriteFile(const std::string& path, const uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || (size > 0 && std::fwrite(data, 1, size, file) != size) ||
        std::fclose(file) != 0) {
        std::perror("fuzz: writing the input");
        std::abort();
    }
}

[[noreturn]] inline void Fail(const char* what, const std::string& expected,
                              const std::string& got) {
    std::fprintf(stderr, "fuzz: %s\nfuzz: expected [%s]\nfuzz: got      [%s]\n", what,
                 expected.c_str(), got.c_str());
    std::abort();
}

} // namespace fuzzsupport
