// Reads arbitrary bytes as a software index: a catalog's bytes alone, and a whole index file.
// Bytes are refused or read, never more: a catalog read holds only disks of its softwares and
// softwares of its lists, is written back to exactly the bytes it was read from, finds by its
// lookup order just the disks that a look at every disk finds, and knows the size of each.
#include "App_softwareindex.h"
#include "FuzzSupport.h"
#include "Rtl_hashes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace {

std::string Digest(rtl::THashAlgorithm algorithm, std::span<const uint8_t> bytes) {
    const std::unique_ptr<rtl::THash> hash = rtl::NewHash(algorithm);
    hash->Update(bytes.data(), bytes.size());
    return hash->HexDigest();
}

std::string Hex(std::span<const uint8_t> bytes) {
    std::string hex;
    for (const uint8_t byte : bytes) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", byte);
        hex += digits;
    }
    return hex;
}

std::string Names(const std::vector<uint32_t>& disks) {
    std::string names;
    for (const uint32_t disk : disks)
        names += std::to_string(disk) + ' ';
    return names;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    (void)ReadSoftwareIndex(bytes, "");
    const std::optional<TSoftwareCatalog> catalog = TSoftwareCatalog::Restore(bytes);
    if (!catalog)
        return 0;
    for (const TListedSoftware& software : catalog->Softwares())
        if (software.List >= catalog->Lists().size())
            fuzzsupport::Fail("a software of no list", "a list", std::to_string(software.List));
    for (const TListedDisk& disk : catalog->Disks()) {
        if (disk.Software >= catalog->Softwares().size())
            fuzzsupport::Fail("a disk of no software", "a software", std::to_string(disk.Software));
        if (!catalog->HasSize(disk.Size))
            fuzzsupport::Fail("the size of each disk is known", "known", std::to_string(disk.Size));
    }
    if (catalog->Serialize() != std::string(reinterpret_cast<const char*>(data), size))
        fuzzsupport::Fail("a catalog read is written back as it was read", "the same bytes",
                          "other bytes");

    const std::span<const uint8_t> probe = bytes.first(std::min<size_t>(size, 64));
    const std::string crc = Digest(rtl::THashAlgorithm::Crc32, probe);
    const std::string sha1 = Digest(rtl::THashAlgorithm::Sha1, probe);
    std::vector<uint32_t> agreeing;
    for (uint32_t i = 0; i < catalog->Disks().size(); ++i) {
        const TListedDisk disk = catalog->Disks()[i];
        const uint8_t crcBytes[] = {
            static_cast<uint8_t>(disk.Crc >> 24), static_cast<uint8_t>(disk.Crc >> 16),
            static_cast<uint8_t>(disk.Crc >> 8), static_cast<uint8_t>(disk.Crc)};
        if (disk.Size == static_cast<int64_t>(probe.size()) &&
            (!disk.HasCrc || crc == Hex(crcBytes)) && (!disk.HasSha1 || sha1 == Hex(disk.Sha1)))
            agreeing.push_back(i);
    }
    const std::vector<uint32_t> found = catalog->Find(probe);
    if (found != agreeing)
        fuzzsupport::Fail("Find names the disks that agree, in list order", Names(agreeing),
                          Names(found));
    return 0;
}
