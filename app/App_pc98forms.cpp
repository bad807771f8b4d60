#include "App_pc98forms.h"

#include "Rtl_bytes.h"
#include "Rtl_texts.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace {

[[noreturn]] void RaiseDamaged() {
    throw EInvalidDiskImage(rtl::Tr(InvalidImageMessage));
}

// Whether the file holds length bytes at offset; both may be anything a header says.
bool Holds(std::span<const uint8_t> file, uint64_t offset, uint64_t length) {
    return offset <= file.size() && length <= file.size() - offset;
}

// The data length of size code n, refusing a code that names no size.
uint16_t CheckedSectorBytes(uint8_t n) {
    if (SectorBytes(n) == 0)
        RaiseDamaged();
    return static_cast<uint16_t>(SectorBytes(n));
}

std::optional<int32_t> DiskTypeOfDevice(uint8_t device) {
    switch (device & 0xF0) {
    case 0x90:
    case 0x30:
    case 0xB0:
        return DiskType2HD;
    case 0x10:
    case 0x70:
    case 0xF0:
        return DiskType2DD;
    case 0x50:
    case 0xD0:
        return DiskType2D;
    default:
        return std::nullopt;
    }
}

// For a file that does not say: as the geometry of its fullest track and its cylinders make it.
int32_t DiskTypeOfTracks(const TLaidTracks& tracks) {
    int64_t largest = 0;
    size_t last = 0;
    for (size_t t = 0; t < tracks.size(); ++t) {
        int64_t bytes = 0;
        for (const TLaidSector& sector : tracks[t])
            bytes += sector.Header.DataSize;
        largest = std::max(largest, bytes);
        last = tracks[t].empty() ? last : t;
    }
    return DiskTypeOfTrackBytes(static_cast<int32_t>(last / 2 + 1), largest);
}

void TrimAbsentTracks(TLaidTracks& tracks) {
    while (!tracks.empty() && tracks.back().empty())
        tracks.pop_back();
}

// ---- NFD ------------------------------------------------------------------------------------

// Both revisions: a 16-byte ID, a 256-byte comment, then the header's size, the protection and
// the heads; r0 then has a fixed table of 163 tracks of 26 sector entries, r1 a table of 164
// track offsets into the header, each track its counts and entries.
constexpr char NfdR0Id[] = "T98FDDIMAGE.R0";
constexpr char NfdR1Id[] = "T98FDDIMAGE.R1";
constexpr size_t NfdIdLength = sizeof NfdR0Id - 1;
constexpr size_t NfdHeadSizeOffset = 0x110;
constexpr size_t NfdProtectOffset = 0x114;
constexpr size_t NfdHeadsOffset = 0x115;
constexpr size_t NfdTableOffset = 0x120;
constexpr int NfdR0Tracks = 163;
constexpr int NfdR0Sectors = 26;
constexpr size_t NfdEntrySize = 16;
constexpr size_t NfdR0HeaderSize = NfdTableOffset + NfdR0Tracks * NfdR0Sectors * NfdEntrySize + 16;
constexpr size_t NfdR1HeaderSize = NfdTableOffset + TrackTableEntries * 4 + 16;
// C of an r0 entry that holds no sector.
constexpr uint8_t NfdNoSector = 0xFF;
// The counts of an r1 track are 16-bit; a track of a real disk has a few dozen sectors at most,
// and an image's sector count is one byte of R each.
constexpr unsigned NfdR1MaxSectors = 255;
constexpr unsigned NfdR1MaxReadings = 255;

// The fields r0 and r1 entries share: C, H, R, N, MFM, DDAM and the BIOS's status.
TSectorHeader NfdSectorHeader(const uint8_t* entry) {
    TSectorHeader header;
    header.C = entry[0];
    header.H = entry[1];
    header.R = entry[2];
    header.N = entry[3];
    header.Density = entry[4] != 0 ? 0 : SingleDensity;
    header.Deleted = entry[5] != 0 ? DeletedDataStatus : 0;
    header.Status = entry[6];
    header.DataSize = CheckedSectorBytes(entry[3]);
    return header;
}

// The header's size, at least the fixed part's and no more than the file.
uint64_t NfdDataStart(std::span<const uint8_t> file, size_t fixedSize) {
    if (file.size() < fixedSize)
        RaiseDamaged();
    const uint64_t start = rtl::GetLe32(file.data() + NfdHeadSizeOffset);
    if (start < fixedSize || start > file.size())
        RaiseDamaged();
    return start;
}

int32_t NfdDiskType(const TLaidTracks& tracks, const std::vector<uint8_t>& devices) {
    for (const uint8_t device : devices)
        if (const std::optional<int32_t> type = DiskTypeOfDevice(device))
            return *type;
    return DiskTypeOfTracks(tracks);
}

// No disk holds this much: 2HD tracks hold about 10 KB. A file of a few dozen kilobytes can
// claim more through sectors it fills with one byte, so the claim is checked before any memory is
// taken for it.
constexpr int64_t MaxImageData = int64_t{16} << 20;

TPc98Read FinishRead(TLaidTracks& tracks, int32_t diskType, bool writeProtected) {
    TrimAbsentTracks(tracks);
    int64_t data = 0;
    for (const std::vector<TLaidSector>& sectors : tracks)
        for (const TLaidSector& sector : sectors)
            data += sector.Header.DataSize;
    if (data > MaxImageData)
        RaiseDamaged();
    TPc98Read read;
    read.Image = std::make_unique<TDiskImage>(diskType, tracks);
    read.Image->SetWriteProtected(writeProtected ? WriteProtectedOn : WriteProtectedOff);
    return read;
}

TPc98Read ReadNfdR0(std::span<const uint8_t> file) {
    uint64_t data = NfdDataStart(file, NfdR0HeaderSize);
    TLaidTracks tracks(NfdR0Tracks);
    std::vector<uint8_t> devices;
    for (int t = 0; t < NfdR0Tracks; ++t)
        for (int s = 0; s < NfdR0Sectors; ++s) {
            const uint8_t* entry =
                file.data() + NfdTableOffset + (t * NfdR0Sectors + s) * NfdEntrySize;
            if (entry[0] == NfdNoSector)
                continue;
            const TSectorHeader header = NfdSectorHeader(entry);
            if (!Holds(file, data, header.DataSize))
                RaiseDamaged();
            tracks[static_cast<size_t>(t)].push_back({header, file.data() + data});
            data += header.DataSize;
            devices.push_back(entry[10]);
        }
    const int32_t type = NfdDiskType(tracks, devices);
    return FinishRead(tracks, type, file[NfdProtectOffset] != 0);
}

TPc98Read ReadNfdR1(std::span<const uint8_t> file, const std::string& fileName) {
    const uint64_t headSize = NfdDataStart(file, NfdR1HeaderSize);
    struct TBlock {
        uint64_t Start = 0;
        uint64_t End = 0;
        int Track = 0;
    };
    std::vector<TBlock> blocks;
    for (int t = 0; t < TrackTableEntries; ++t) {
        const uint64_t offset = rtl::GetLe32(file.data() + NfdTableOffset + 4 * t);
        if (offset == 0)
            continue;
        if (offset < NfdR1HeaderSize || offset + NfdEntrySize > headSize)
            RaiseDamaged();
        const unsigned sectors = rtl::GetLe16(file.data() + offset);
        const unsigned readings = rtl::GetLe16(file.data() + offset + 2);
        if (sectors > NfdR1MaxSectors || readings > NfdR1MaxReadings)
            RaiseDamaged();
        const uint64_t end = offset + NfdEntrySize * (1 + sectors + readings);
        if (end > headSize)
            RaiseDamaged();
        blocks.push_back({offset, end, t});
    }
    // Each track's entries are its own: two tracks sharing entries would read the same data
    // twice over.
    std::vector<TBlock> byStart = blocks;
    std::sort(byStart.begin(), byStart.end(),
              [](const TBlock& a, const TBlock& b) { return a.Start < b.Start; });
    for (size_t i = 1; i < byStart.size(); ++i)
        if (byStart[i].Start < byStart[i - 1].End)
            RaiseDamaged();

    // The data follows the header track by track: each sector's readings, then each special
    // reading's.
    uint64_t data = headSize;
    TLaidTracks tracks(TrackTableEntries);
    std::vector<uint8_t> devices;
    int repeated = 0;
    int special = 0;
    for (const TBlock& block : blocks) {
        const uint8_t* track = file.data() + block.Start;
        const unsigned sectors = rtl::GetLe16(track);
        const unsigned readings = rtl::GetLe16(track + 2);
        const uint8_t* entry = track + NfdEntrySize;
        for (unsigned s = 0; s < sectors; ++s, entry += NfdEntrySize) {
            const TSectorHeader header = NfdSectorHeader(entry);
            const uint64_t copies = uint64_t{entry[10]} + 1;
            if (!Holds(file, data, header.DataSize * copies))
                RaiseDamaged();
            tracks[static_cast<size_t>(block.Track)].push_back({header, file.data() + data});
            data += header.DataSize * copies;
            repeated += copies > 1 ? 1 : 0;
            devices.push_back(entry[11]);
        }
        for (unsigned k = 0; k < readings; ++k, entry += NfdEntrySize) {
            const uint64_t bytes = uint64_t{rtl::GetLe32(entry + 10)} * (uint64_t{entry[9]} + 1);
            if (!Holds(file, data, bytes))
                RaiseDamaged();
            data += bytes;
            ++special;
        }
    }
    const int32_t type = NfdDiskType(tracks, devices);
    TPc98Read read = FinishRead(tracks, type, file[NfdProtectOffset] != 0);
    if (repeated > 0)
        read.Notes.push_back(rtl::Format(
            rtl::Tr("The disk image \"%s\" has sectors read more than once (%d); the image "
                    "keeps the first reading of each."),
            fileName.c_str(), repeated));
    if (special > 0)
        read.Notes.push_back(
            rtl::Format(rtl::Tr("The disk image \"%s\" has special readings of its tracks (%d), "
                                "which an image cannot hold; they are left out."),
                        fileName.c_str(), special));
    return read;
}

// ---- FDD ------------------------------------------------------------------------------------

// "VFD1.0" and a version digit, a 128-byte comment, the protection, then from 0xDC a map of
// 160 tracks of 26 entries of 12 bytes: C, H, R, N, a fill byte, DDAM, MFM, 2HD and the data's
// offset, all 0xFF for a sector the file leaves out because its fill byte fills it. C 0xFF
// marks an entry that holds no sector.
constexpr char FddId[] = "VFD1.0";
constexpr size_t FddProtectOffset = 0x88;
constexpr size_t FddMapOffset = 0xDC;
constexpr int FddTracks = 160;
constexpr int FddSectors = 26;
constexpr size_t FddEntrySize = 12;
constexpr size_t FddHeaderSize = 0xC3FC;
constexpr uint32_t FddFilled = 0xFFFFFFFF;

TPc98Read ReadFdd(std::span<const uint8_t> file) {
    if (file.size() < FddHeaderSize)
        RaiseDamaged();
    TLaidTracks tracks(FddTracks);
    std::vector<std::pair<uint64_t, uint64_t>> ranges;
    bool highDensity = false;
    for (int t = 0; t < FddTracks; ++t)
        for (int s = 0; s < FddSectors; ++s) {
            const uint8_t* entry = file.data() + FddMapOffset + (t * FddSectors + s) * FddEntrySize;
            if (entry[0] == NfdNoSector)
                continue;
            TLaidSector sector;
            sector.Header.C = entry[0];
            sector.Header.H = entry[1];
            sector.Header.R = entry[2];
            sector.Header.N = entry[3];
            sector.Header.Density = entry[6] != 0 ? 0 : SingleDensity;
            sector.Header.Deleted = entry[5] != 0 ? DeletedDataStatus : 0;
            sector.Header.DataSize = CheckedSectorBytes(entry[3]);
            highDensity = highDensity || entry[7] != 0;
            const uint32_t offset = rtl::GetLe32(entry + 8);
            if (offset == FddFilled) {
                sector.Fill = entry[4];
            } else {
                if (offset < FddHeaderSize || !Holds(file, offset, sector.Header.DataSize))
                    RaiseDamaged();
                sector.Data = file.data() + offset;
                ranges.emplace_back(offset, offset + sector.Header.DataSize);
            }
            tracks[static_cast<size_t>(t)].push_back(sector);
        }
    // A sector's data is its own: data shared by two sectors is a damaged map.
    std::sort(ranges.begin(), ranges.end());
    for (size_t i = 1; i < ranges.size(); ++i)
        if (ranges[i].first < ranges[i - 1].second)
            RaiseDamaged();
    const int32_t type = highDensity ? DiskType2HD : DiskTypeOfTracks(tracks);
    return FinishRead(tracks, type, rtl::GetLe16(file.data() + FddProtectOffset) != 0);
}

// ---- DCP/DCU --------------------------------------------------------------------------------

// A media byte, a byte a track (cylinder * 2 + head) that is 1 where the file holds the track,
// a byte that is 1 where it holds every track whatever the map says, then the tracks' sectors.
constexpr size_t DcpMapOffset = 1;
constexpr int DcpMapTracks = 160;
constexpr size_t DcpAllOffset = DcpMapOffset + DcpMapTracks;
constexpr size_t DcpHeaderSize = DcpAllOffset + 1;

struct TDcpMedia {
    int32_t DiskType;
    int C;
    int R;
    int N;
    // N88-BASIC's disks have cylinder 0 side 0 in single density: 26 sectors of 128 bytes.
    bool BasicTrack0;
};

std::optional<TDcpMedia> DcpMedia(uint8_t media) {
    switch (media) {
    case 0x01:
        return TDcpMedia{DiskType2HD, 77, 8, 3, false};
    case 0x02:
        return TDcpMedia{DiskType2HD, 80, 15, 2, false};
    case 0x03:
        return TDcpMedia{DiskType2HD, 80, 18, 2, false};
    case 0x04:
        return TDcpMedia{DiskType2DD, 80, 8, 2, false};
    case 0x05:
        return TDcpMedia{DiskType2DD, 80, 9, 2, false};
    case 0x08:
        return TDcpMedia{DiskType2HD, 80, 9, 3, false};
    case 0x11:
        return TDcpMedia{DiskType2HD, 77, 26, 1, true};
    case 0x19:
        return TDcpMedia{DiskType2DD, 80, 16, 1, false};
    case 0x21:
        return TDcpMedia{DiskType2HD, 80, 26, 1, false};
    default:
        return std::nullopt;
    }
}

// The sectors of track t: R of size N, but for a BASIC disk's first track.
TSectorHeader DcpSector(const TDcpMedia& media, int t) {
    const bool basic = media.BasicTrack0 && t == 0;
    TSectorHeader header;
    header.C = static_cast<uint8_t>(t / 2);
    header.H = static_cast<uint8_t>(t % 2);
    header.N = static_cast<uint8_t>(basic ? 0 : media.N);
    header.Density = basic ? SingleDensity : 0;
    header.DataSize = static_cast<uint16_t>(SectorBytes(header.N));
    return header;
}

int64_t DcpTrackBytes(const TDcpMedia& media, int t) {
    return int64_t{media.R} * DcpSector(media, t).DataSize;
}

// The data size of the tracks the map holds, or of all of them.
int64_t DcpDataSize(std::span<const uint8_t> head, const TDcpMedia& media, bool all) {
    int64_t size = 0;
    for (int t = 0; t < media.C * 2; ++t)
        if (all || head[DcpMapOffset + t] != 0)
            size += DcpTrackBytes(media, t);
    return size;
}

bool DcpSizeFits(std::span<const uint8_t> head, int64_t fileSize) {
    const TDcpMedia media = *DcpMedia(head[0]);
    return fileSize == int64_t{DcpHeaderSize} + DcpDataSize(head, media, false) ||
           (head[DcpAllOffset] == 1 &&
            fileSize == int64_t{DcpHeaderSize} + DcpDataSize(head, media, true));
}

TPc98Read ReadDcp(std::span<const uint8_t> file) {
    if (!HasDcpHeader(file))
        throw EDiskImageError(rtl::Tr(DiskFormatMessage));
    if (!DcpSizeFits(file, static_cast<int64_t>(file.size())))
        RaiseDamaged();
    const TDcpMedia media = *DcpMedia(file[0]);
    const bool all =
        file.size() != DcpHeaderSize + static_cast<size_t>(DcpDataSize(file, media, false));
    TLaidTracks tracks(static_cast<size_t>(media.C) * 2);
    const uint8_t* data = file.data() + DcpHeaderSize;
    for (int t = 0; t < media.C * 2; ++t) {
        const bool mapped = file[DcpMapOffset + t] != 0;
        if (!mapped && !all)
            continue;
        TSectorHeader header = DcpSector(media, t);
        for (int r = 1; mapped && r <= media.R; ++r) {
            header.R = static_cast<uint8_t>(r);
            tracks[static_cast<size_t>(t)].push_back({header, data + (r - 1) * header.DataSize});
        }
        data += DcpTrackBytes(media, t);
    }
    return FinishRead(tracks, media.DiskType, false);
}

// ---- DIP ------------------------------------------------------------------------------------

// A 256-byte header that starts with these 8 bytes, then a 2HD disk of 77 cylinders, two
// sides and 8 sectors of 1024 bytes, sector after sector.
constexpr std::array<uint8_t, 8> DipId = {0x01, 0x08, 0x00, 0x13, 0x41, 0x00, 0x01, 0x00};
constexpr size_t DipHeaderSize = 256;
constexpr TDiskFormat DipFormat{DiskType2HD, 77, 2, 8, 3};

TPc98Read ReadDip(std::span<const uint8_t> file) {
    const auto dataSize = static_cast<size_t>(int64_t{DipFormat.C} * DipFormat.H * DipFormat.R *
                                              SectorBytes(DipFormat.N));
    if (file.size() != DipHeaderSize + dataSize)
        RaiseDamaged();
    TPc98Read read;
    read.Image = std::make_unique<TDiskImage>(DipFormat, file.subspan(DipHeaderSize));
    return read;
}

bool StartsWith(std::span<const uint8_t> head, const char* id, size_t length) {
    return head.size() >= length && std::memcmp(head.data(), id, length) == 0;
}

// ---- NFD writer -----------------------------------------------------------------------------

// The FDC's result bytes a BIOS status stands for, for the emulators that read them.
std::array<uint8_t, 3> ResultBytes(const TSectorHeader& header) {
    const uint8_t head = static_cast<uint8_t>((header.H & 1) << 2);
    switch (header.Status) {
    case 0xA0: // ID CRC error
        return {static_cast<uint8_t>(0x40 | head), 0x20, 0x00};
    case 0xB0: // data CRC error
        return {static_cast<uint8_t>(0x40 | head), 0x20, 0x20};
    case 0xC0: // no such sector
        return {static_cast<uint8_t>(0x40 | head), 0x04, 0x00};
    case 0xE0: // no ID address mark
        return {static_cast<uint8_t>(0x40 | head), 0x01, 0x00};
    case 0xF0: // no data address mark
        return {static_cast<uint8_t>(0x40 | head), 0x01, 0x01};
    default:
        return {head, 0x00, static_cast<uint8_t>(header.Deleted != 0 ? 0x40 : 0x00)};
    }
}

[[noreturn]] void RefuseNfd(const TDiskImage& image, int row, const std::string& detail) {
    RefuseImageForm(image, row, rtl::Tr("an NFD file"), detail);
}

} // namespace

std::optional<TPc98Form> DetectPc98Form(std::span<const uint8_t> head, int64_t fileSize) {
    if (StartsWith(head, NfdR0Id, NfdIdLength) || StartsWith(head, NfdR1Id, NfdIdLength))
        return TPc98Form::Nfd;
    if (StartsWith(head, FddId, sizeof FddId - 1))
        return TPc98Form::Fdd;
    if (head.size() >= DipId.size() && std::equal(DipId.begin(), DipId.end(), head.begin()))
        return TPc98Form::Dip;
    if (HasDcpHeader(head) && DcpSizeFits(head, fileSize))
        return TPc98Form::Dcp;
    return std::nullopt;
}

bool HasDcpHeader(std::span<const uint8_t> head) {
    if (head.size() < DcpHeaderSize)
        return false;
    const std::optional<TDcpMedia> media = DcpMedia(head[0]);
    if (!media || head[DcpAllOffset] > 1)
        return false;
    for (int t = 0; t < DcpMapTracks; ++t) {
        const uint8_t flag = head[DcpMapOffset + t];
        if (flag > 1 || (flag == 1 && t >= media->C * 2))
            return false;
    }
    return true;
}

TPc98Read ReadPc98Form(TPc98Form form, std::span<const uint8_t> file, const std::string& fileName) {
    switch (form) {
    case TPc98Form::Nfd:
        return StartsWith(file, NfdR0Id, NfdIdLength) ? ReadNfdR0(file) : ReadNfdR1(file, fileName);
    case TPc98Form::Fdd:
        return ReadFdd(file);
    case TPc98Form::Dcp:
        return ReadDcp(file);
    case TPc98Form::Dip:
        return ReadDip(file);
    }
    RaiseDamaged();
}

std::vector<uint8_t> NfdBytes(const TDiskImage& image, int row) {
    const std::span<const uint8_t> bytes = image.Bytes();
    const TTrackTable table = ReadTrackTable(bytes);
    std::vector<uint8_t> out(NfdR0HeaderSize);
    std::memcpy(out.data(), NfdR0Id, NfdIdLength);
    rtl::PutLe32(out.data() + NfdHeadSizeOffset, static_cast<uint32_t>(NfdR0HeaderSize));
    out[NfdProtectOffset] = image.WriteProtected() != WriteProtectedOff ? 1 : 0;
    bool secondSides = false;
    TTally sectorCounts, sizeCodes;
    std::vector<std::vector<TSectorRecord>> tracks(TrackTableEntries);
    for (int t = 0; t < TrackTableEntries; ++t) {
        const int64_t offset = table[static_cast<size_t>(t)];
        // Some programs point unformatted tracks at the end of the image.
        if (offset == 0 || offset == static_cast<int64_t>(bytes.size()))
            continue;
        std::vector<TSectorRecord>& sectors = tracks[static_cast<size_t>(t)];
        const TTrackWalk walk = WalkTrack(
            bytes, offset, [&](const TSectorRecord& sector) { sectors.push_back(sector); });
        if (offset < ImageHeaderSize || walk.Stop != TTrackEnd::Complete)
            RefuseNfd(
                image, row,
                rtl::Format(rtl::Tr("%s runs past the end of the image"), TrackName(t).c_str()));
        if (t >= NfdR0Tracks)
            RefuseNfd(image, row,
                      rtl::Format(rtl::Tr("%s is past the %d tracks an NFD file holds"),
                                  TrackName(t).c_str(), NfdR0Tracks));
        if (sectors.size() > static_cast<size_t>(NfdR0Sectors))
            RefuseNfd(image, row,
                      rtl::Format(rtl::Tr("%s has %d sectors; an NFD file holds %d a track"),
                                  TrackName(t).c_str(), static_cast<int>(sectors.size()),
                                  NfdR0Sectors));
        secondSides = secondSides || t % 2 == 1;
        sectorCounts.Add(static_cast<int>(sectors.size()));
        for (const TSectorRecord& sector : sectors) {
            sizeCodes.Add(sector.Header.N);
            if (!sector.Header.DataSizeFitsCode())
                RefuseNfd(image, row,
                          rtl::Format(rtl::Tr("%s has a sector whose data is not the size its "
                                              "code names"),
                                      TrackName(t).c_str()));
            if (sector.Header.C == NfdNoSector)
                RefuseNfd(image, row,
                          rtl::Format(rtl::Tr("%s has a sector of cylinder 255, which an NFD "
                                              "file takes for no sector"),
                                      TrackName(t).c_str()));
        }
    }
    out[NfdHeadsOffset] = secondSides ? 2 : 1;
    const uint8_t device =
        Pc98DeviceType(image.DiskType(), sectorCounts.MostFrequent(), sizeCodes.MostFrequent());
    std::memset(out.data() + NfdTableOffset, NfdNoSector,
                NfdR0Tracks * NfdR0Sectors * NfdEntrySize);
    for (int t = 0; t < NfdR0Tracks; ++t) {
        const std::vector<TSectorRecord>& sectors = tracks[static_cast<size_t>(t)];
        for (size_t s = 0; s < sectors.size(); ++s) {
            const TSectorHeader& header = sectors[s].Header;
            uint8_t* entry = out.data() + NfdTableOffset + (t * NfdR0Sectors + s) * NfdEntrySize;
            std::memset(entry, 0, NfdEntrySize);
            const std::array<uint8_t, 3> results = ResultBytes(header);
            const uint8_t fields[] = {
                header.C,
                header.H,
                header.R,
                header.N,
                static_cast<uint8_t>((header.Density & SingleDensity) != 0 ? 0 : 1),
                static_cast<uint8_t>(header.Deleted != 0 ? 1 : 0),
                header.Status,
                results[0],
                results[1],
                results[2],
                device};
            std::memcpy(entry, fields, sizeof fields);
            const uint8_t* data = bytes.data() + sectors[s].DataOffset;
            out.insert(out.end(), data, data + header.DataSize);
        }
    }
    return out;
}

uint8_t Pc98DeviceType(int32_t diskType, int32_t sectors, int32_t n) {
    switch (diskType) {
    case DiskType2HD:
        return sectors == 18 && n == 2 ? 0x30 : 0x90;
    case DiskType2DD:
        return 0x10;
    default:
        return 0x50;
    }
}
