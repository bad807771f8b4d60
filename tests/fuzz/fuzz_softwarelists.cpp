// Reads arbitrary bytes as a software list or DAT file. A list is left out with a note or read,
// never more: every disk read belongs to a software of a list read, its number among that
// software's disks, and a lookup of any bytes names only disks of their size and CRC-32.
#include "App_softwarelists.h"
#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string path = fuzzsupport::Folder().File("input.xml");
    fuzzsupport::WriteFile(path, data, size);
    TSoftwareCatalog catalog;
    catalog.AddFile(path);
    // Refused: left out whole, with one note and nothing of it kept.
    if (!catalog.Notes().empty()) {
        if (catalog.Notes().size() != 1 || !catalog.Lists().empty() || !catalog.Disks().empty())
            fuzzsupport::Fail("a list refused is left out whole, with one note", "1 note, 0 lists",
                              std::to_string(catalog.Notes().size()) + " notes, " +
                                  std::to_string(catalog.Lists().size()) + " lists");
        return 0;
    }
    if (catalog.Lists().size() != 1)
        fuzzsupport::Fail("a file read as other than one list", "1",
                          std::to_string(catalog.Lists().size()));
    for (const TListedSoftware& software : catalog.Softwares())
        if (software.List != 0 || software.Disks == 0)
            fuzzsupport::Fail("a software of no list, or without disks", "list 0, disks",
                              std::to_string(software.List) + ", " +
                                  std::to_string(software.Disks));
    for (const TListedDisk& disk : catalog.Disks()) {
        if (disk.Software >= catalog.Softwares().size())
            fuzzsupport::Fail("a disk of no software", "a software", std::to_string(disk.Software));
        const TListedSoftware& software = catalog.Softwares()[disk.Software];
        if (disk.Number < 1 || disk.Number > software.Disks)
            fuzzsupport::Fail("a disk numbered outside its software", "1 to disks",
                              std::to_string(disk.Number));
    }
    for (const uint32_t index : catalog.Find({data, size}))
        if (catalog.Disks()[index].Size != static_cast<int64_t>(size))
            fuzzsupport::Fail("a disk found of another size", std::to_string(size),
                              std::to_string(catalog.Disks()[index].Size));
    return 0;
}
