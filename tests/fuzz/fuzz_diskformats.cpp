// Reads arbitrary bytes as a disk image file of any form. Whatever is accepted as a plain dump
// or an FDI file must write back as the very sectors it was read from. A DIM file is read
// exactly when its header and size agree, and then its present tracks, and only they, come
// back in order with its bytes. Anything read, in any form, must survive the plain-sector
// writer's walk of its tracks without a crash. The table holds formats small enough for the
// inputs a fuzzer makes, two of them of one size so that the chooser is exercised too.
#include "App_diskformats.h"
#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace {

const TFormatSource& Source() {
    static const TFormatSource source = [] {
        TFormatSource made;
        made.Table = {
            {"one", {DiskType2D, 1, 1, 1, 0}},
            {"small", {DiskType2D, 2, 2, 4, 0}},
            {"wide", {DiskType2DD, 1, 2, 2, 1}},
            {"long", {DiskType2HD, 1, 1, 8, 0}},
        };
        made.Choose = [](const std::string&, const std::vector<TNamedFormat>& candidates,
                         size_t likeliest) { return (likeliest + 1) % candidates.size(); };
        return made;
    }();
    return source;
}

// The DIM layout stated on its own, so that the reader is held to the format and not to itself:
// a 256-byte header whose byte 0 is the media and bytes 1 to 160 flag the present tracks
// (cylinder * 2 + head), then the present tracks' sectors, track after track.
constexpr size_t DimHeaderSize = 256;
constexpr int DimTrackFlags = 160;

struct TDimMedia {
    int Cylinders;
    int Sectors;
    int SizeCode;
};

std::optional<TDimMedia> DimMedia(uint8_t media) {
    switch (media) {
    case 0x00: // 2HD
        return TDimMedia{77, 8, 3};
    case 0x01: // 2HS
        return TDimMedia{80, 9, 3};
    case 0x02: // 2HC
        return TDimMedia{80, 15, 2};
    case 0x09: // 2HQ
        return TDimMedia{80, 18, 2};
    default:
        return std::nullopt;
    }
}

unsigned Le16(const uint8_t* p) {
    return p[0] | unsigned{p[1]} << 8;
}

uint32_t Le32(const uint8_t* p) {
    return p[0] | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// A few bytes from offset on, for a failure to show where two copies part.
std::string BytesAt(const char* what, size_t offset, const uint8_t* bytes, size_t length) {
    std::string text = std::string(what) + " offset " + std::to_string(offset) + ":";
    char hex[4];
    for (size_t i = 0; i < length && i < 8; ++i) {
        std::snprintf(hex, sizeof hex, " %02x", bytes[i]);
        text += hex;
    }
    return text;
}

std::string TrackText(int t) {
    return "track " + std::to_string(t) + " (cylinder " + std::to_string(t / 2) + " side " +
           std::to_string(t % 2) + ")";
}

// Whether a DIM file of these bytes is one the format allows: a known media, flags only for
// tracks the media has, and exactly the flagged tracks' bytes after the header.
bool IsSoundDim(const uint8_t* data, size_t size) {
    const std::optional<TDimMedia> media = DimMedia(data[0]);
    if (!media)
        return false;
    const size_t trackBytes = size_t(media->Sectors) << (7 + media->SizeCode);
    size_t flagged = 0;
    for (int t = 0; t < DimTrackFlags; ++t) {
        if (data[1 + t] == 0)
            continue;
        if (t >= media->Cylinders * 2)
            return false;
        ++flagged;
    }
    return size - DimHeaderSize == flagged * trackBytes;
}

void CheckDim(const uint8_t* data, size_t size, const TDiskImageList& images,
              const std::optional<std::string>& refusal) {
    const bool sound = IsSoundDim(data, size);
    if (sound && refusal)
        fuzzsupport::Fail("a DIM file whose header and size agree is refused", "one image",
                          *refusal);
    if (!sound && !refusal)
        fuzzsupport::Fail("a DIM file whose header and size disagree is read", "a refusal",
                          std::to_string(images.Count()) + " image(s)");
    if (!sound)
        return;
    if (images.Count() != 1)
        fuzzsupport::Fail("a DIM file is not read as one image", "1",
                          std::to_string(images.Count()));
    const TDimMedia media = *DimMedia(data[0]);
    const std::span<const uint8_t> image = images[0]->Bytes();
    if (image.size() < TDiskImage::HeaderSize)
        fuzzsupport::Fail("a DIM file's image is shorter than its header", "688 bytes or more",
                          std::to_string(image.size()));
    if (image[TDiskImage::DiskTypeOffset] != DiskType2HD)
        fuzzsupport::Fail("a DIM file's image is not of a high-density disk type", "0x20",
                          std::to_string(image[TDiskImage::DiskTypeOffset]));
    const unsigned sectorBytes = 128u << media.SizeCode;
    size_t next = DimHeaderSize;
    for (int t = 0; t < TDiskImage::TrackTableEntries; ++t) {
        const uint32_t entry = Le32(image.data() + TDiskImage::TrackTableOffset + 4 * t);
        const bool flagged = t < DimTrackFlags && data[1 + t] != 0;
        if (!flagged) {
            if (entry != 0)
                fuzzsupport::Fail("a track the DIM file leaves out is in its image",
                                  TrackText(t) + " absent", "at offset " + std::to_string(entry));
            continue;
        }
        if (entry == 0)
            fuzzsupport::Fail("a track the DIM file holds is absent from its image",
                              TrackText(t) + " present", "absent");
        size_t offset = entry;
        for (int r = 1; r <= media.Sectors; ++r) {
            if (offset + TDiskImage::SectorHeaderSize + sectorBytes > image.size())
                fuzzsupport::Fail("a DIM track's sector runs past the end of its image",
                                  "inside " + std::to_string(image.size()) + " bytes",
                                  TrackText(t) + " sector " + std::to_string(r) + " at " +
                                      std::to_string(offset));
            const uint8_t* header = image.data() + offset;
            const std::string want =
                "C=" + std::to_string(t / 2) + " H=" + std::to_string(t % 2) +
                " R=" + std::to_string(r) + " N=" + std::to_string(media.SizeCode) + " of " +
                std::to_string(media.Sectors) + ", " + std::to_string(sectorBytes) + " bytes";
            const std::string got =
                "C=" + std::to_string(header[0]) + " H=" + std::to_string(header[1]) +
                " R=" + std::to_string(header[2]) + " N=" + std::to_string(header[3]) + " of " +
                std::to_string(Le16(header + 4)) + ", " + std::to_string(Le16(header + 14)) +
                " bytes";
            if (want != got)
                fuzzsupport::Fail("a DIM track's sector header is not its own", want, got);
            const uint8_t* sector = header + TDiskImage::SectorHeaderSize;
            if (std::memcmp(sector, data + next, sectorBytes) != 0) {
                size_t at = 0;
                while (sector[at] == data[next + at])
                    ++at;
                fuzzsupport::Fail(
                    ("the data of " + TrackText(t) + " differs from the DIM file's").c_str(),
                    BytesAt("file", next + at, data + next + at, sectorBytes - at),
                    BytesAt("image", offset + TDiskImage::SectorHeaderSize + at, sector + at,
                            sectorBytes - at));
            }
            next += sectorBytes;
            offset += TDiskImage::SectorHeaderSize + sectorBytes;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string path = fuzzsupport::Folder().File("input.img");
    fuzzsupport::WriteFile(path, data, size);
    std::optional<TImageForm> form;
    try {
        rtl::TFileStream stream(path, rtl::TFileMode::OpenRead);
        form = DetectImageForm(stream, path, Source().Table);
    } catch (const rtl::Exception&) {
        return 0;
    }
    TDiskImageList images;
    std::optional<std::string> refusal;
    try {
        LoadImagesOfAnyForm(path, images, Source());
    } catch (const rtl::Exception& e) {
        refusal = e.Message();
    }
    if (form == TImageForm::Dim)
        CheckDim(data, size, images, refusal);
    if (refusal)
        return 0;
    std::vector<uint8_t> sectors;
    for (int row = 0; row < images.Count(); ++row) {
        rtl::TMemoryStream out;
        try {
            SaveImageInForm(*images[row], row + 1, TImageForm::Raw, out);
        } catch (const EDiskImageError&) {
            if (form == TImageForm::Raw || form == TImageForm::Fdi)
                fuzzsupport::Fail("a dump read as plain sectors cannot be written as such", "",
                                  "refused");
            continue;
        }
        sectors.assign(out.Memory(), out.Memory() + out.Size());
    }
    if (form == TImageForm::Raw || form == TImageForm::Fdi) {
        if (sectors.size() > size ||
            std::memcmp(data + (size - sectors.size()), sectors.data(), sectors.size()) != 0)
            fuzzsupport::Fail("plain sectors written back differ from those read", "", "");
    }
    return 0;
}
