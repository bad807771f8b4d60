// Loads arbitrary bytes as a Windows shortcut through TShellLink. A refused file must be refused
// with EShellLinkError and nothing else; a loaded one must survive being saved and loaded again.
#include "Vix_shelllinks.h"

#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

using fuzzsupport::Fail;
using fuzzsupport::Folder;
using fuzzsupport::WriteFile;

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
