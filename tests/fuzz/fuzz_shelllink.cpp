// Loads arbitrary bytes as a Windows shortcut through TShellLink. A refused file must be refused
// with EShellLinkError and nothing else; a loaded one must survive being saved and loaded again.
#include "Vix_shelllinks.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// One folder for the whole process, so that every input reuses the same two file names. Under
// TMPDIR when it is set (fuzz.sh sets one it removes, as a crash skips the cleanup here), else
// on a memory file system where there is one: SaveToFile syncs each file it writes.
class TFuzzFolder {
public:
    TFuzzFolder() {
        const char* base = std::getenv("TMPDIR");
        if (base == nullptr || *base == '\0')
            base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/trackwell-fuzz-lnk-XXXXXX";
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

const TFuzzFolder& Folder() {
    static const TFuzzFolder folder;
    return folder;
}

void WriteFile(const std::string& path, const uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || (size > 0 && std::fwrite(data, 1, size, file) != size) ||
        std::fclose(file) != 0) {
        std::perror("fuzz: writing the input");
        std::abort();
    }
}

[[noreturn]] void Fail(const char* what, const std::string& expected, const std::string& got) {
    std::fprintf(stderr, "fuzz: %s\nfuzz: expected [%s]\nfuzz: got      [%s]\n", what,
                 expected.c_str(), got.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string input = Folder().File("input.lnk");
    const std::string output = Folder().File("output.lnk");
    WriteFile(input, data, size);

    std::string path;
    std::string iconLocation;
    int iconIndex = 0;
    try {
        TShellLink link;
        link.LoadFromFile(input);
        path = link.GetPath();
        link.GetIconLocation(iconLocation, iconIndex);
        // A text the format cannot hold (too long for its 16-bit lengths) is refused on saving
        // with the same error; anything the program writes must read back as it was.
        link.SaveToFile(output);
    } catch (const EShellLinkError&) {
        return 0;
    }

    TShellLink reloaded;
    reloaded.LoadFromFile(output);
    std::string reloadedIcon;
    int reloadedIndex = 0;
    reloaded.GetIconLocation(reloadedIcon, reloadedIndex);
    if (reloaded.GetPath() != path)
        Fail("the path after saving", path, reloaded.GetPath());
    if (reloadedIcon != iconLocation)
        Fail("the icon location after saving", iconLocation, reloadedIcon);
    if (reloadedIndex != iconIndex)
        Fail("the icon index after saving", std::to_string(iconIndex),
             std::to_string(reloadedIndex));
    return 0;
}
