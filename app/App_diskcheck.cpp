#include "App_diskcheck.h"

#include "Rtl_bytes.h"
#include "Rtl_convert.h"
#include "Rtl_texts.h"

#include <xxhash.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <unordered_map>

namespace {

constexpr int64_t HeaderSize = TDiskImage::HeaderSize;
// What the editor changes in an image, and so what tells no copy from another.
constexpr size_t EditedFieldsSize = 32;

struct TTrackExtent {
    int Track;
    int64_t Start;
    int64_t End;
};

// What a walk of one track's sectors found.
struct TTrackSummary {
    int Sectors = 0;
    int SizeCode = -1;
};

class TChecker {
public:
    explicit TChecker(std::span<const uint8_t> image)
        : FImage(image), FBytes(image.data()), FSize(static_cast<int64_t>(image.size())) {}

    std::vector<TDiskFinding> Run() {
        if (FSize < HeaderSize) {
            Add(TSeverity::Error,
                rtl::Format(rtl::Tr("The image has %lld bytes, fewer than its header."),
                            static_cast<long long>(FSize)));
            return std::move(FFindings);
        }
        const uint32_t sizeField = rtl::GetLe32(FBytes + TDiskImage::SizeOffset);
        if (sizeField != static_cast<uint64_t>(FSize))
            Add(TSeverity::Error,
                rtl::Format(rtl::Tr("The size field says %u bytes; the image has %lld."), sizeField,
                            static_cast<long long>(FSize)));
        ReadTable();
        CheckOrder();
        std::vector<TTrackExtent> extents;
        std::vector<TTrackSummary> summaries;
        for (int t = 0; t < FEntries; ++t) {
            FEntry = t;
            const int64_t offset = FOffsets[static_cast<size_t>(t)];
            // Some programs point unformatted tracks at the end of the image: no sectors.
            if (offset == 0 || offset == FSize)
                continue;
            if (offset > FSize) {
                Add(TSeverity::Error,
                    rtl::Format(rtl::Tr("%s starts at offset %lld, past the end of the image (%lld "
                                        "bytes)."),
                                CapitalTrackName(t, FOrder).c_str(), static_cast<long long>(offset),
                                static_cast<long long>(FSize)));
                continue;
            }
            if (offset < FHeaderSize) {
                Add(TSeverity::Error,
                    rtl::Format(rtl::Tr("%s starts at offset %lld, inside the header."),
                                CapitalTrackName(t, FOrder).c_str(),
                                static_cast<long long>(offset)));
                continue;
            }
            TTrackSummary summary;
            extents.push_back({t, offset, CheckTrack(t, offset, summary)});
            summaries.push_back(summary);
        }
        FEntry = -1;
        CheckOverlaps(extents);
        CheckDiskType(summaries);
        return std::move(FFindings);
    }

private:
    void Add(TSeverity severity, std::string text) {
        FFindings.push_back({severity, std::move(text), FEntry});
    }

    void ReadTable() {
        FOffsets = ReadTrackTable(FImage);
        int64_t first = 0;
        for (int t = 0; t < 160; ++t) {
            const int64_t offset = FOffsets[static_cast<size_t>(t)];
            if (offset != 0 && (first == 0 || offset < first))
                first = offset;
        }
        if (first == OldImageHeaderSize) {
            // The last four entries are the first track's bytes, not offsets.
            FEntries = 160;
            FHeaderSize = OldImageHeaderSize;
            for (int t = FEntries; t < TrackTableEntries; ++t)
                FOffsets[static_cast<size_t>(t)] = 0;
            Add(TSeverity::Warning,
                rtl::Tr(
                    "The header is 672 bytes, as in images whose track table has 160 entries; a "
                    "container's headers are 688 bytes."));
        }
        // Tracks the image could not hold name no cylinder.
        TTrackTable held = FOffsets;
        for (int64_t& offset : held)
            offset = offset < FHeaderSize || offset >= FSize ? 0 : offset;
        FOrder = TrackOrderOf(FImage, held, FEntries);
    }

    void CheckOrder() {
        int64_t last = 0;
        int lastTrack = -1;
        for (int t = 0; t < FEntries; ++t) {
            const int64_t offset = FOffsets[static_cast<size_t>(t)];
            // Offsets no track can have are reported on their own.
            if (offset < FHeaderSize || offset >= FSize)
                continue;
            if (offset < last) {
                FEntry = t;
                Add(TSeverity::Warning,
                    rtl::Format(
                        rtl::Tr("The track table is not in ascending order: %s starts before %s."),
                        TrackName(t, FOrder).c_str(), TrackName(lastTrack, FOrder).c_str()));
                FEntry = -1;
                return;
            }
            last = offset;
            lastTrack = t;
        }
    }

    // Walks the sectors the track's first header counts and returns where the last one ends.
    int64_t CheckTrack(int t, int64_t offset, TTrackSummary& summary) {
        // Named only for a finding: a sound track costs no text.
        const auto track = [&] { return CapitalTrackName(t, FOrder); };
        int count = -1;
        bool countsDisagree = false, sizesDisagree = false;
        int statusSectors = 0, deletedSectors = 0;
        // Kept across tracks, so that a walk of a whole collection allocates nothing per track.
        std::vector<uint32_t>& ids = FIds;
        ids.clear();
        TTally& sizeCodes = FSizeCodes;
        sizeCodes.Clear();
        const TTrackWalk walk = WalkTrack(FImage, offset, [&](const TSectorRecord& sector) {
            const TSectorHeader& header = sector.Header;
            if (count < 0)
                count = header.SectorCount;
            else if (header.SectorCount != count)
                countsDisagree = true;
            sizesDisagree = sizesDisagree || !header.DataSizeFitsCode();
            sizeCodes.Add(header.N);
            ids.push_back(header.Id());
            statusSectors += header.HasErrorStatus() ? 1 : 0;
            deletedSectors += header.HasDeletedData() ? 1 : 0;
        });
        if (walk.CountsNone)
            Add(TSeverity::Warning,
                rtl::Format(rtl::Tr("%s says it has no sectors."), track().c_str()));
        if (walk.Stop == TTrackEnd::HeaderPastEnd)
            Add(TSeverity::Error,
                rtl::Format(rtl::Tr("%s: the header of sector %d runs past the end of the image."),
                            track().c_str(), walk.FailedSector));
        else if (walk.Stop == TTrackEnd::DataPastEnd)
            Add(TSeverity::Error,
                rtl::Format(rtl::Tr("%s: the data of sector %d runs past the end of the image."),
                            track().c_str(), walk.FailedSector));
        summary.Sectors = walk.Sectors;
        // Sorted, equal IDs stand together; the smallest repeated one is named.
        std::string duplicate;
        std::sort(ids.begin(), ids.end());
        const auto repeated = std::adjacent_find(ids.begin(), ids.end());
        if (repeated != ids.end()) {
            uint8_t id[4];
            rtl::PutLe32(id, *repeated);
            duplicate = rtl::Format("C=%u H=%u R=%u N=%u", id[0], id[1], id[2], id[3]);
        }
        if (countsDisagree)
            Add(TSeverity::Warning,
                rtl::Format(rtl::Tr("%s: the sector count fields disagree."), track().c_str()));
        if (sizesDisagree)
            Add(TSeverity::Warning,
                rtl::Format(rtl::Tr("%s: a data size field disagrees with its sector's size code."),
                            track().c_str()));
        if (!duplicate.empty())
            Add(TSeverity::Warning, rtl::Format(rtl::Tr("%s has the sector ID %s more than once."),
                                                track().c_str(), duplicate.c_str()));
        // Whole sentences for each mix of marks, for a translation to word each.
        if (statusSectors > 0 && deletedSectors > 0)
            Add(TSeverity::Note,
                rtl::Format(rtl::Tr("%s has sectors %d with an error status and %d of deleted "
                                    "data; such marks are often copy protection, not damage."),
                            track().c_str(), statusSectors, deletedSectors));
        else if (statusSectors > 0)
            Add(TSeverity::Note,
                rtl::Format(rtl::Tr("%s has sectors %d with an error status; such marks are often "
                                    "copy protection, not damage."),
                            track().c_str(), statusSectors));
        else if (deletedSectors > 0)
            Add(TSeverity::Note,
                rtl::Format(rtl::Tr("%s has sectors %d of deleted data; such marks are often copy "
                                    "protection, not damage."),
                            track().c_str(), deletedSectors));
        if (walk.Sectors > 0)
            summary.SizeCode = sizeCodes.MostFrequent();
        return walk.End;
    }

    void CheckOverlaps(std::vector<TTrackExtent> extents) {
        std::stable_sort(
            extents.begin(), extents.end(),
            [](const TTrackExtent& a, const TTrackExtent& b) { return a.Start < b.Start; });
        for (size_t i = 1; i < extents.size(); ++i)
            if (extents[i].Start < extents[i - 1].End) {
                FEntry = extents[i - 1].Track;
                Add(TSeverity::Error,
                    rtl::Format(rtl::Tr("%s overlaps %s."),
                                CapitalTrackName(extents[i - 1].Track, FOrder).c_str(),
                                TrackName(extents[i].Track, FOrder).c_str()));
            }
        FEntry = -1;
    }

    void CheckDiskType(const std::vector<TTrackSummary>& summaries) {
        const int32_t type = FBytes[TDiskImage::DiskTypeOffset];
        if (type != DiskType2D && type != DiskType2DD && type != DiskType2HD) {
            Add(TSeverity::Warning,
                rtl::Format(rtl::Tr("The disk type 0x%02X is not one the program supports."),
                            type));
            return;
        }
        if (summaries.empty())
            return;
        int lastTrack = 0;
        for (int t = 0; t < FEntries; ++t)
            if (FOffsets[static_cast<size_t>(t)] != 0 && FOffsets[static_cast<size_t>(t)] < FSize)
                lastTrack = t;
        TTally counts, codes;
        for (const TTrackSummary& summary : summaries) {
            counts.Add(summary.Sectors);
            codes.Add(summary.SizeCode);
        }
        const int cylinders = FOrder.Cylinder(lastTrack) + 1;
        const int sectors = counts.MostFrequent();
        const int n = codes.MostFrequent();
        const int32_t expected = DiskTypeOfGeometry(cylinders, sectors, n);
        if (expected != type)
            Add(TSeverity::Warning,
                rtl::Format(
                    rtl::Tr("The disk type is %s, but %d cylinders of %d sectors of %d bytes "
                            "make a %s disk."),
                    DiskTypeToText(type).c_str(), cylinders, sectors, SectorBytes(n),
                    DiskTypeToText(expected).c_str()));
    }

    std::span<const uint8_t> FImage;
    const uint8_t* FBytes;
    int64_t FSize;
    TTrackTable FOffsets{};
    int FEntries = TrackTableEntries;
    int64_t FHeaderSize = HeaderSize;
    TTrackOrder FOrder;
    // The track the findings added now are about; -1 for the image.
    int FEntry = -1;
    std::vector<TDiskFinding> FFindings;
    std::vector<uint32_t> FIds;
    TTally FSizeCodes;
};

} // namespace

std::string SeverityText(TSeverity severity) {
    switch (severity) {
    case TSeverity::Error:
        return rtl::Tr("error");
    case TSeverity::Warning:
        return rtl::Tr("warning");
    default:
        return rtl::Tr("note");
    }
}

std::vector<TDiskFinding> CheckDiskImage(std::span<const uint8_t> image) {
    return TChecker(image).Run();
}

bool HasFault(const std::vector<TDiskFinding>& findings) {
    return std::any_of(findings.begin(), findings.end(), [](const TDiskFinding& finding) {
        return finding.Severity != TSeverity::Note;
    });
}

std::string TrackDataDigest(std::span<const uint8_t> image, rtl::THashAlgorithm algorithm) {
    const std::unique_ptr<rtl::THash> hash = rtl::NewHash(algorithm);
    if (image.size() > EditedFieldsSize)
        hash->Update(image.data() + EditedFieldsSize, image.size() - EditedFieldsSize);
    return hash->HexDigest();
}

std::vector<int> DuplicateImages(const TDiskImageList& images) {
    const auto trackData = [&](int index) {
        const std::span<const uint8_t> bytes = images[index]->Bytes();
        return bytes.size() > EditedFieldsSize ? bytes.subspan(EditedFieldsSize)
                                               : std::span<const uint8_t>();
    };
    std::unordered_multimap<uint64_t, int> seen;
    std::vector<int> duplicates;
    for (int i = 0; i < images.Count(); ++i) {
        const std::span<const uint8_t> data = trackData(i);
        // Only a key for grouping, confirmed byte for byte below: a fast hash, not a strong one.
        const uint64_t key = XXH3_64bits(data.data(), data.size());
        const auto [first, last] = seen.equal_range(key);
        const bool copy = std::any_of(first, last, [&](const auto& entry) {
            const std::span<const uint8_t> other = trackData(entry.second);
            return other.size() == data.size() &&
                   (data.empty() || std::memcmp(other.data(), data.data(), data.size()) == 0);
        });
        if (copy)
            duplicates.push_back(i);
        else
            seen.emplace(key, i);
    }
    return duplicates;
}
