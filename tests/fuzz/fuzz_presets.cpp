// Reads arbitrary bytes as one preset line and as a whole preset file. A line either fails with
// the one conversion error or gives a preset that, written back as a line, reads as itself; the
// file gives the presets of its lines up to the first bad one, and is complete without one.
#include "App_presets.h"
#include "Rtl_exceptions.h"
#include "Vix_strings.h"

#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using fuzzsupport::Fail;
using fuzzsupport::Folder;
using fuzzsupport::WriteFile;

namespace {

const char* const ConvertMessage = "The program could not convert the string to a preset item.";

std::string DiskTypeText(int32_t diskType) {
    switch (diskType) {
    case DiskType2D:
        return "2D";
    case DiskType2DD:
        return "2DD";
    case DiskType2HD:
        return "2HD";
    }
    Fail("a disk type outside the three", "0x00, 0x10 or 0x20", std::to_string(diskType));
}

std::string LineOf(const TAppPresetsDialogItem& item) {
    const TDiskFormat& f = item.DiskFormat;
    return QuoteString(item.Name, '"') + "," + DiskTypeText(f.DiskType) + "," +
           std::to_string(f.C) + "," + std::to_string(f.H) + "," + std::to_string(f.R) + "," +
           std::to_string(f.N);
}

void CheckLine(const std::string& line) {
    std::unique_ptr<TAppPresetsDialogItem> item;
    try {
        item = ParsePresetItem(line);
    } catch (const rtl::EConvertError& e) {
        if (e.Message() != ConvertMessage)
            Fail("the conversion message", ConvertMessage, e.Message());
        return;
    }
    const std::string written = LineOf(*item);
    std::unique_ptr<TAppPresetsDialogItem> reread;
    try {
        reread = ParsePresetItem(written);
    } catch (const rtl::EConvertError&) {
        Fail("a written preset line to read back", written, "a conversion error");
    }
    if (reread->Name != item->Name || !(reread->DiskFormat == item->DiskFormat))
        Fail("a written preset line to read back as itself", written, LineOf(*reread));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    CheckLine(input);

    const std::string path = Folder().File("Presets.dat");
    WriteFile(path, data, size);
    const TPresetList list = ReadPresets(path);
    const std::vector<std::string> lines = SplitLines(input.substr(0, input.find('\0')));
    if (list.Items.size() > lines.size())
        Fail("no more presets than lines", std::to_string(lines.size()),
             std::to_string(list.Items.size()));
    for (std::size_t i = 0; i < list.Items.size(); ++i) {
        const std::string written = LineOf(*list.Items[i]);
        if (LineOf(*ParsePresetItem(lines[i])) != written)
            Fail("the preset of its line", LineOf(*ParsePresetItem(lines[i])), written);
    }
    const bool stoppedAtABadLine = list.Items.size() < lines.size() && [&] {
        try {
            ParsePresetItem(lines[list.Items.size()]);
            return false;
        } catch (const rtl::EConvertError&) {
            return true;
        }
    }();
    if (list.Complete != (list.Items.size() == lines.size()) ||
        (!list.Complete && !stoppedAtABadLine))
        Fail("the list to stop only at a bad line", std::to_string(lines.size()) + " lines",
             std::to_string(list.Items.size()) + (list.Complete ? " read, complete" : " read"));
    return 0;
}
