// The preset list of the Add New dialog: the text file "Presets.dat", one named disk format a
// line. Reading it knows nothing of the dialog, so that it can be tested and fuzzed alone.
#pragma once

#include "App_diskimages.h"

#include <memory>
#include <string>
#include <vector>

class TAppPresetsDialogItem {
public:
    TAppPresetsDialogItem(std::string name, const TDiskFormat& diskFormat)
        : Name(std::move(name)), DiskFormat(diskFormat) {}

    const std::string Name;
    const TDiskFormat DiskFormat;
};

// One line: a name, "2D"/"2DD"/"2HD", then C, H, R and N as integers, split by commas (or
// unquoted spaces) with double quotes around an item that holds either. Anything else raises
// rtl::EConvertError "The program could not convert the string to a preset item.".
std::unique_ptr<TAppPresetsDialogItem> ParsePresetItem(const std::string& line);

struct TPresetList {
    // In file order.
    std::vector<std::unique_ptr<TAppPresetsDialogItem>> Items;
    // False when the file could not be read or a line could not be converted; Items then holds
    // the presets of the lines before the first bad one.
    bool Complete = true;
};

// Reads the whole file and converts its lines in order, stopping at the first that fails.
// Only memory exhaustion raises.
TPresetList ReadPresets(const std::string& path);

// "Presets.dat" beside the program (or in the installed data folder), worked out once.
const std::string& PresetsFileName();
