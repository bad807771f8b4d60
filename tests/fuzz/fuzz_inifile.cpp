// Reads arbitrary bytes as a settings file, writes to it, saves it under another name and reads
// that back: what was written must read back, and a saved document must read back as itself.
#include "Rtl_inifiles.h"

#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

using fuzzsupport::Fail;
using fuzzsupport::Folder;
using fuzzsupport::WriteFile;

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
