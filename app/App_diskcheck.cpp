#include "App_diskcheck.h"

#include "Rtl_bytes.h"
#include "Rtl_convert.h"
#include "Rtl_texts.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <unordered_map>

namespace {

constexpr int64_t HeaderSize = TDiskImage::HeaderSize;
// Images from before the table had 164 entries have 160, and their first track at 672.
constexpr int64_t OldHeaderSize = 32 + 4 * 160;
constexpr uint8_t DeletedDataStatus = 0x10;
// What the editor changes in an image, and so what tells no copy from another.
constexpr size_t EditedFieldsSize = 32;

std::string TrackName(int track) {
    return rtl::Format(rtl::Tr("track %d side %d"), track / 2, track % 2);
}

// The name that begins a sentence, a text of its own: a translation may have no capitals, and
// its first byte need not be a letter.
std::string CapitalTrackName(int track) {
    return rtl::Format(rtl::Tr("Track %d side %d"), track / 2, track % 2);
}

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
        : FBytes(image.data()), FSize(static_cast<int64_t>(image.size())) {}

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
            const int64_t offset = FOffsets[static_cast<size_t>(t)];
            // Some programs point unformatted tracks at the end of the image: no sectors.
            if (offset == 0 || offset == FSize)
                continue;
            if (offset > FSize) {
                Add(TSeverity::Error,
                    rtl::Format(rtl::Tr("%s starts at offset %lld, past the end of the image (%lld "
                                        "bytes)."),
                                CapitalTrackName(t).c_str(), static_cast<long long>(offset),
                                static_cast<long long>(FSize)));
                continue;
            }
            if (offset < FHeaderSize) {
                Add(TSeverity::Error,
                    rtl::Format(rtl::Tr("%s starts at offset %lld, inside the header."),
                                CapitalTrackName(t).c_str(), static_cast<long long>(offset)));
                continue;
            }
            TTrackSummary summary;
            extents.push_back({t, offset, WalkTrack(t, offset, summary)});
            summaries.push_back(summary);
        }
        CheckOverlaps(extents);
        CheckDiskType(summaries);
        return std::move(FFindings);
    }

private:
    void Add(TSeverity severity, std::string text) {
        FFindings.push_back({severity, std::move(text)});
    }

    void ReadTable() {
        for (int t = 0; t < TDiskImage::TrackTableEntries; ++t)
            FOffsets[static_cast<size_t>(t)] =
                rtl::GetLe32(FBytes + TDiskImage::TrackTableOffset + 4 * t);
        int64_t first = 0;
        for (int t = 0; t < 160; ++t) {
            const int64_t offset = FOffsets[static_cast<size_t>(t)];
            if (offset != 0 && (first == 0 || offset < first))
                first = offset;
        }
        if (first == OldHeaderSize) {
            // The last four entries are the first track's bytes, not offsets.
            FEntries = 160;
            FHeaderSize = OldHeaderSize;
            Add(TSeverity::Warning,
                rtl::Tr(
                    "The header is 672 bytes, as in images whose track table has 160 entries; a "
                    "container's headers are 688 bytes."));
        }
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
                Add(TSeverity::Warning,
                    rtl::Format(
                        rtl::Tr("The track table is not in ascending order: %s starts before %s."),
                        TrackName(t).c_str(), TrackName(lastTrack).c_str()));
                return;
            }
            last = offset;
            lastTrack = t;
        }
    }

    // Walks the sectors the track's first header counts and returns where the last one ends.
    int64_t WalkTrack(int t, int64_t offset, TTrackSummary& summary) {
        // Named only for a finding: a sound track costs no text.
        const auto track = [t] { return CapitalTrackName(t); };
        int count = -1;
        bool countsDisagree = false, sizesDisagree = false;
        int statusSectors = 0, deletedSectors = 0;
        std::string duplicate;
        // At most 65,535 sectors, each at least a header long: bounded by the image. Kept
        // across tracks, so that a walk of a whole collection allocates nothing per track.
        std::vector<uint32_t>& ids = FIds;
        ids.clear();
        std::array<int, 256> sizeCodes{};
        for (int i = 0; count < 0 || i < count; ++i) {
            if (offset + TDiskImage::SectorHeaderSize > FSize) {
                Add(TSeverity::Error,
                    rtl::Format(
                        rtl::Tr("%s: the header of sector %d runs past the end of the image."),
                        track().c_str(), i + 1));
                break;
            }
            const uint8_t* s = FBytes + offset;
            const int fieldCount = rtl::GetLe16(s + 4);
            if (count < 0) {
                count = fieldCount;
                if (count == 0) {
                    Add(TSeverity::Warning,
                        rtl::Format(rtl::Tr("%s says it has no sectors."), track().c_str()));
                    count = 1;
                }
            } else if (fieldCount != count) {
                countsDisagree = true;
            }
            const int64_t dataSize = rtl::GetLe16(s + 14);
            if (s[3] > 8 || dataSize != (int64_t{128} << s[3]))
                sizesDisagree = true;
            ++sizeCodes[s[3]];
            ids.push_back(rtl::GetLe32(s));
            // Status 0x10 is deleted data read without error: a mark, not a failure.
            statusSectors += s[8] != 0 && s[8] != DeletedDataStatus ? 1 : 0;
            deletedSectors += s[7] != 0 || s[8] == DeletedDataStatus ? 1 : 0;
            if (offset + TDiskImage::SectorHeaderSize + dataSize > FSize) {
                Add(TSeverity::Error,
                    rtl::Format(
                        rtl::Tr("%s: the data of sector %d runs past the end of the image."),
                        track().c_str(), i + 1));
                offset = FSize;
                ++summary.Sectors;
                break;
            }
            offset += TDiskImage::SectorHeaderSize + dataSize;
            ++summary.Sectors;
        }
        // Sorted, equal IDs stand together; the smallest repeated one is named.
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
        int best = 0;
        for (int code = 0; code < 256; ++code)
            if (sizeCodes[static_cast<size_t>(code)] > best) {
                best = sizeCodes[static_cast<size_t>(code)];
                summary.SizeCode = code;
            }
        return offset;
    }

    void CheckOverlaps(std::vector<TTrackExtent> extents) {
        std::stable_sort(
            extents.begin(), extents.end(),
            [](const TTrackExtent& a, const TTrackExtent& b) { return a.Start < b.Start; });
        for (size_t i = 1; i < extents.size(); ++i)
            if (extents[i].Start < extents[i - 1].End)
                Add(TSeverity::Error, rtl::Format(rtl::Tr("%s overlaps %s."),
                                                  CapitalTrackName(extents[i - 1].Track).c_str(),
                                                  TrackName(extents[i].Track).c_str()));
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
        std::map<int, int> counts, codes;
        for (const TTrackSummary& summary : summaries) {
            ++counts[summary.Sectors];
            ++codes[summary.SizeCode];
        }
        const auto mostFrequent = [](const std::map<int, int>& values) {
            return std::max_element(
                       values.begin(), values.end(),
                       [](const auto& a, const auto& b) { return a.second < b.second; })
                ->first;
        };
        const int cylinders = lastTrack / 2 + 1;
        const int sectors = mostFrequent(counts);
        const int n = mostFrequent(codes);
        const int32_t expected = DiskTypeOfGeometry(cylinders, sectors, n);
        if (expected != type)
            Add(TSeverity::Warning,
                rtl::Format(
                    rtl::Tr("The disk type is %s, but %d cylinders of %d sectors of %d bytes "
                            "make a %s disk."),
                    DiskTypeToText(type).c_str(), cylinders, sectors, SectorBytes(n),
                    DiskTypeToText(expected).c_str()));
    }

    const uint8_t* FBytes;
    int64_t FSize;
    int64_t FOffsets[TDiskImage::TrackTableEntries] = {};
    int FEntries = TDiskImage::TrackTableEntries;
    int64_t FHeaderSize = HeaderSize;
    std::vector<TDiskFinding> FFindings;
    std::vector<uint32_t> FIds;
};

uint64_t Fnv1a(const uint8_t* bytes, size_t length) {
    uint64_t hash = 0xcbf29ce484222325u;
    for (size_t i = 0; i < length; ++i)
        hash = (hash ^ bytes[i]) * 0x100000001b3u;
    return hash;
}

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
        const uint64_t key = Fnv1a(data.data(), data.size());
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
