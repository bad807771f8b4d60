#include "App_sectorhandler.h"

#include "App_diskfiles.h"
#include "Rtl_codepage.h"
#include "Rtl_texts.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <tuple>

namespace {

// Numbers separated by sep, each a whole decimal number, all of text.
std::optional<std::vector<int>> Numbers(const std::string& text, char sep, size_t count) {
    std::vector<int> numbers;
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    while (at != end && numbers.size() < count) {
        while (at != end && *at == ' ')
            ++at;
        int value = 0;
        const auto [next, error] = std::from_chars(at, end, value);
        if (error != std::errc() || value < 0)
            return std::nullopt;
        numbers.push_back(value);
        at = next;
        while (at != end && *at == ' ')
            ++at;
        if (numbers.size() < count) {
            if (at == end || *at != sep)
                return std::nullopt;
            ++at;
        }
    }
    if (at != end || numbers.size() != count)
        return std::nullopt;
    return numbers;
}

} // namespace

std::optional<TSectorPlaceInput> ParseSectorPlace(const std::string& text) {
    if (const auto id = Numbers(text, '/', 3))
        return TSectorPlaceInput{true, (*id)[0], (*id)[1], (*id)[2]};
    if (const auto place = Numbers(text, ':', 2))
        return TSectorPlaceInput{false, (*place)[0], (*place)[1], 0};
    return std::nullopt;
}

void RefuseText(const std::string& text) {
    throw EHandlerError(
        rtl::Format(rtl::Tr("The program cannot accept the text \"%s\"."), text.c_str()));
}

std::vector<uint8_t> SearchBytes(const std::string& text, bool hex) {
    if (!hex) {
        const std::optional<std::string> encoded = rtl::Utf8ToCp932(text);
        if (!encoded || encoded->empty())
            RefuseText(text);
        return {encoded->begin(), encoded->end()};
    }
    std::string digits;
    for (const char c : text)
        if (c != ' ')
            digits += c;
    if (digits.empty() || digits.size() % 2 != 0 ||
        !std::all_of(digits.begin(), digits.end(),
                     [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }))
        RefuseText(text);
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < digits.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

namespace {

void CheckNotWriteProtected(const TDiskImage& image, int index) {
    if (image.WriteProtected() != WriteProtectedOff)
        throw EHandlerError(rtl::Format(rtl::Tr("The disk image %s is write-protected; clear its "
                                                "write protection to change its sectors."),
                                        ImageLabel(image, index + 1).c_str()));
}

} // namespace

void WriteSector(TFileHandler& document, int index, int entry, int sector,
                 std::span<const uint8_t> data) {
    if (index < 0 || index >= document.DiskImageCount())
        document.RaiseUnavailable();
    const TDiskImage& image = document.DiskImages(index);
    CheckNotWriteProtected(image, index);
    const std::vector<uint8_t> bytes = WithSectorData(image.Bytes(), entry, sector, data);
    document.ChangeImageContents(index, rtl::Tr("Edit sector"), bytes);
}

TSectorHandler::TSectorHandler(TFileHandler& document, TListViewShell& listViewShell)
    : FDocument(document), FListViewShell(listViewShell) {}

void TSectorHandler::Refresh() {
    const int index = FListViewShell.FocusedIndex();
    const TDiskImage* image =
        index >= 0 && index < FDocument.DiskImageCount() ? &FDocument.DiskImages(index) : nullptr;
    const bool same = image != nullptr && image == FImage;
    const std::span<const uint8_t> bytes =
        image != nullptr ? image->Bytes() : std::span<const uint8_t>();
    if (same && std::ranges::equal(bytes, FBytes) && FIndex == index)
        return;
    ++FGeneration;
    FIndex = image != nullptr ? index : -1;
    FImage = image;
    FBytes.assign(bytes.begin(), bytes.end());
    FMap = MapSectors(FBytes);
    FFindings = image != nullptr ? CheckDiskImage(FBytes) : std::vector<TDiskFinding>();
    if (same && FMap.Track(FEntry) != nullptr) {
        if (FMap.Sector(FEntry, FSector) == nullptr)
            FSector = FMap.Track(FEntry)->Sectors.empty() ? 0 : 1;
        return;
    }
    FEntry = FMap.Tracks.empty() ? -1 : FMap.Tracks.front().Entry;
    FSector = FEntry >= 0 && !FMap.Tracks.front().Sectors.empty() ? 1 : 0;
}

std::span<const uint8_t> TSectorHandler::SectorData() const {
    const TMappedSector* sector = FMap.Sector(FEntry, FSector);
    if (sector == nullptr)
        return {};
    return std::span<const uint8_t>(FBytes).subspan(static_cast<size_t>(sector->DataOffset),
                                                    static_cast<size_t>(sector->Bytes));
}

void TSectorHandler::Choose(int entry, int sector) {
    const TMappedTrack* track = FMap.Track(entry);
    if (track == nullptr)
        return;
    THandlerChange change(*this);
    FEntry = entry;
    FSector = FMap.Sector(entry, sector) != nullptr ? sector : track->Sectors.empty() ? 0 : 1;
}

bool TSectorHandler::GoTo(const TSectorPlaceInput& place) {
    if (!place.ById) {
        if (FMap.Sector(place.First, place.Second) == nullptr)
            return false;
        Choose(place.First, place.Second);
        return true;
    }
    for (const TMappedTrack& track : FMap.Tracks)
        for (size_t i = 0; i < track.Sectors.size(); ++i) {
            const TSectorHeader& header = track.Sectors[i].Header;
            if (header.C == place.First && header.H == place.Second && header.R == place.Third) {
                Choose(track.Entry, static_cast<int>(i) + 1);
                return true;
            }
        }
    return false;
}

std::optional<TSectorMatch> TSectorHandler::Find(std::span<const uint8_t> bytes, bool backward,
                                                 const TSectorMatch& after) {
    const std::vector<TSectorMatch> matches = FindInSectors(FBytes, bytes);
    if (matches.empty())
        return std::nullopt;
    const auto order = [](const TSectorMatch& a, const TSectorMatch& b) {
        return std::tie(a.Entry, a.Index, a.Offset) < std::tie(b.Entry, b.Index, b.Offset);
    };
    const TSectorMatch* found = nullptr;
    if (backward) {
        const auto it = std::lower_bound(matches.begin(), matches.end(), after, order);
        found = it == matches.begin() ? &matches.back() : &*(it - 1);
    } else {
        const auto it = std::upper_bound(matches.begin(), matches.end(), after, order);
        found = it == matches.end() ? &matches.front() : &*it;
    }
    Choose(found->Entry, found->Index);
    return *found;
}

bool TSectorHandler::CanEdit() const {
    return FImage != nullptr && FImage->WriteProtected() == WriteProtectedOff &&
           FMap.Damage.empty() && FMap.Sector(FEntry, FSector) != nullptr;
}

void TSectorHandler::RaiseEditRefusal() {
    if (FImage == nullptr || FMap.Sector(FEntry, FSector) == nullptr)
        RaiseUnavailable();
    CheckNotWriteProtected(*FImage, FIndex);
    CheckSound(FMap);
}

void TSectorHandler::CommitEdit(std::span<const uint8_t> data) {
    if (FImage == nullptr || FMap.Sector(FEntry, FSector) == nullptr)
        RaiseUnavailable();
    THandlerChange change(*this);
    WriteSector(FDocument, FIndex, FEntry, FSector, data);
}
