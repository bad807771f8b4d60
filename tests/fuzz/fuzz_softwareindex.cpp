// Reads arbitrary bytes as a software index: a catalog's bytes alone, and a whole index file.
// Bytes are refused or read, never more: a catalog read holds only disks of its softwares and
// softwares of its lists, is written back to exactly the bytes it was read from, and a lookup
// names only disks of the size looked up.
#include "App_softwareindex.h"
#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    (void)ReadSoftwareIndex(bytes, "");
    const std::optional<TSoftwareCatalog> catalog = TSoftwareCatalog::Restore(bytes);
    if (!catalog)
        return 0;
    for (const TListedSoftware& software : catalog->Softwares())
        if (software.List >= catalog->Lists().size())
            fuzzsupport::Fail("a software of no list", "a list", std::to_string(software.List));
    for (const TListedDisk& disk : catalog->Disks())
        if (disk.Software >= catalog->Softwares().size())
            fuzzsupport::Fail("a disk of no software", "a software", std::to_string(disk.Software));
    if (catalog->Serialize() != std::string(reinterpret_cast<const char*>(data), size))
        fuzzsupport::Fail("a catalog read is written back as it was read", "the same bytes",
                          "other bytes");
    for (const uint32_t index : catalog->Find(bytes.first(std::min<size_t>(size, 64))))
        if (catalog->Disks()[index].Size != static_cast<int64_t>(std::min<size_t>(size, 64)))
            fuzzsupport::Fail("a disk found of another size", std::to_string(size),
                              std::to_string(catalog->Disks()[index].Size));
    return 0;
}
