#include "App_disklayout.h"

#include "Rtl_bytes.h"
#include "Rtl_exceptions.h"
#include "Rtl_texts.h"

#include <algorithm>
#include <cstring>

const char* const InvalidImageMessage = rtl::TrNoop("The data is not a valid disk image.");
const char* const LoadImagesMessage = rtl::TrNoop("The program could not load the disk images.");
const char* const SaveImagesMessage = rtl::TrNoop("The program could not save the disk images.");
const char* const DiskFormatMessage = rtl::TrNoop("The program does not support the disk format.");

void EncodeSectorHeader(const TSectorHeader& header, uint8_t* bytes) {
    std::memset(bytes, 0, SectorHeaderSize);
    bytes[0] = header.C;
    bytes[1] = header.H;
    bytes[2] = header.R;
    bytes[3] = header.N;
    rtl::PutLe16(bytes + 4, header.SectorCount);
    bytes[6] = header.Density;
    bytes[7] = header.Deleted;
    bytes[8] = header.Status;
    rtl::PutLe16(bytes + 14, header.DataSize);
}

TTrackTable ReadTrackTable(std::span<const uint8_t> image) {
    TTrackTable table{};
    // An entry the image does not hold whole is absent.
    const auto whole = static_cast<int>(std::min<size_t>(
        TrackTableEntries,
        image.size() > TrackTableOffset ? (image.size() - TrackTableOffset) / 4 : 0));
    for (int t = 0; t < whole; ++t)
        table[static_cast<size_t>(t)] = rtl::GetLe32(image.data() + TrackTableOffset + 4 * t);
    return table;
}

void WriteTrackOffset(uint8_t* image, int entry, uint32_t offset) {
    rtl::PutLe32(image + TrackTableOffset + 4 * entry, offset);
}

int64_t TrackEntry(int64_t heads, int64_t c, int64_t h) {
    return heads == 1 ? 2 * c : c * heads + h;
}

TTrackOrder TrackOrderOf(std::span<const uint8_t> image, const TTrackTable& table, int entries) {
    const auto present = [&](int t) { return table[static_cast<size_t>(t)] != 0; };
    int last = entries - 1;
    while (last >= 0 && !present(last))
        --last;
    if (last <= 0)
        return {1, 1};
    bool everyOther = last % 2 == 0;
    for (int t = 1; everyOther && t < last; t += 2)
        everyOther = !present(t);
    if (everyOther)
        return {1, 2};
    const int64_t second = table[1];
    if (second > 0 && second <= static_cast<int64_t>(image.size()) - SectorHeaderSize) {
        const TSectorHeader header = DecodeSectorHeader(image.data() + second);
        if (header.C == 1 && header.H == 0)
            return {1, 1};
    }
    return {2, 1};
}

std::string TrackName(int entry, const TTrackOrder& order) {
    return rtl::Format(rtl::Tr("track %d side %d"), order.Cylinder(entry), order.Side(entry));
}

std::string CapitalTrackName(int entry, const TTrackOrder& order) {
    return rtl::Format(rtl::Tr("Track %d side %d"), order.Cylinder(entry), order.Side(entry));
}

int TTally::MostFrequent() {
    std::sort(FValues.begin(), FValues.end());
    int best = 0;
    size_t bestCount = 0;
    for (size_t i = 0; i < FValues.size();) {
        size_t j = i;
        while (j < FValues.size() && FValues[j] == FValues[i])
            ++j;
        if (j - i > bestCount) {
            best = FValues[i];
            bestCount = j - i;
        }
        i = j;
    }
    return best;
}
