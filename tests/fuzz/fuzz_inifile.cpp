// Reads arbitrary bytes as a settings file, writes to it, saves it under another name and reads
// that back: what was written must read back, and a saved document must read back as itself.
#include "Rtl_inifiles.h"

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
// on a memory file system where there is one: UpdateFile syncs each file it writes.
class TFuzzFolder {
public:
    TFuzzFolder() {
        const char* base = std::getenv("TMPDIR");
        if (base == nullptr || *base == '\0')
            base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/trackwell-fuzz-ini-XXXXXX";
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
    const std::string input = Folder().File("input.ini");
    const std::string output = Folder().File("output.ini");
    WriteFile(input, data, size);

    rtl::TMemIniFile document(input);
    // The reads a settings handler does; a value read from the file is trimmed and holds no
    // line break, so it must survive being written back.
    const std::string path = document.ReadString("Recent", "File1", "");
    const int32_t width = document.ReadInteger("MainForm", "Width", -1);
    const bool maximized = document.ReadBool("MainForm", "Maximized", false);
    document.ReadString("Options", "Font", "default");
    document.WriteString("Fuzz", "Path", path);
    document.WriteInteger("Fuzz", "Width", width);
    document.WriteBool("MainForm", "Maximized", !maximized);
    if (document.ReadString("Fuzz", "Path", "(missing)") != path)
        Fail("Fuzz/Path in memory", path, document.ReadString("Fuzz", "Path", "(missing)"));

    // UpdateFile writes to the document's own name: a document of that name takes the text.
    std::remove(output.c_str());
    rtl::TMemIniFile saved(output);
    saved.SetText(document.GetText());
    saved.UpdateFile();

    const rtl::TMemIniFile reread(output);
    if (reread.ReadString("Fuzz", "Path", "(missing)") != path)
        Fail("Fuzz/Path after saving", path, reread.ReadString("Fuzz", "Path", "(missing)"));
    if (reread.ReadInteger("Fuzz", "Width", width == 0 ? 1 : 0) != width)
        Fail("Fuzz/Width after saving", std::to_string(width),
             reread.ReadString("Fuzz", "Width", "(missing)"));
    if (reread.ReadBool("MainForm", "Maximized", maximized) != !maximized)
        Fail("MainForm/Maximized after saving", maximized ? "0" : "1",
             reread.ReadString("MainForm", "Maximized", "(missing)"));
    if (reread.GetText() != document.GetText())
        Fail("the saved document", document.GetText(), reread.GetText());
    return 0;
}
