#include "App_diskformats.h"

#include "App_pc98forms.h"

#include "Rtl_bytes.h"
#include "Rtl_codepage.h"
#include "Rtl_convert.h"
#include "Rtl_paths.h"
#include "Rtl_texts.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <exception>
#include <map>
#include <utility>

namespace {

constexpr int64_t FdiFieldsSize = 32;
constexpr int64_t FdiHeaderSize = 4096;
constexpr int64_t DimHeaderSize = 256;
constexpr int64_t DimSignatureOffset = 0xAB;
constexpr char DimSignature[] = "DIFC HEADER";
constexpr int DimTrackFlags = 160;

std::string LowerExtension(const std::string& path) {
    std::string extension = rtl::ExtractFileExt(path);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

bool HasExtensionOf(const std::string& path, const std::vector<std::string>& extensions) {
    const std::string extension = LowerExtension(path);
    return std::find(extensions.begin(), extensions.end(), extension) != extensions.end();
}

bool HasContainerExtension(const std::string& path) {
    return HasExtensionOf(path, ContainerExtensions());
}

// A file of one of them that is in no form is refused as such, not as a damaged container.
bool HasOtherFormExtension(const std::string& path) {
    return HasExtensionOf(path, OtherFormExtensions());
}

// The size code of a sector size, or -1 for a size that is not 128 << N of a size the image
// layout can hold.
int SizeCode(uint64_t sectorSize) {
    for (int n = 0; n <= 8; ++n)
        if (sectorSize == static_cast<uint64_t>(SectorBytes(n)))
            return n;
    return -1;
}

int64_t DumpSize(const TDiskFormat& format) {
    if (format.C <= 0 || format.H <= 0 || format.R <= 0 || format.N < 0 || format.N > 8)
        return -1;
    return int64_t{format.C} * format.H * format.R * SectorBytes(format.N);
}

// The fields of an FDI header, as read; they are only trusted once checked.
struct TFdiFields {
    uint64_t HeaderSize = 0;
    uint64_t DataSize = 0;
    uint64_t SectorSize = 0;
    uint64_t Sectors = 0;
    uint64_t Surfaces = 0;
    uint64_t Cylinders = 0;
};

TFdiFields ReadFdiFields(const uint8_t* bytes) {
    return {rtl::GetLe32(bytes + 8),  rtl::GetLe32(bytes + 12), rtl::GetLe32(bytes + 16),
            rtl::GetLe32(bytes + 20), rtl::GetLe32(bytes + 24), rtl::GetLe32(bytes + 28)};
}

// An FDI file says how long its header and data are, and the data is exactly its geometry:
// together that is too much for a dump or container to match by chance.
bool IsFdiHeader(const TFdiFields& fields, int64_t fileSize) {
    if (fields.HeaderSize < FdiFieldsSize || fields.DataSize == 0 ||
        fields.HeaderSize + fields.DataSize != static_cast<uint64_t>(fileSize))
        return false;
    // Each factor is at most the data size, so no product below overflows.
    uint64_t product = 1;
    for (const uint64_t factor :
         {fields.SectorSize, fields.Sectors, fields.Surfaces, fields.Cylinders}) {
        if (factor == 0 || factor > fields.DataSize || product > fields.DataSize / factor)
            return false;
        product *= factor;
    }
    return product == fields.DataSize;
}

// A geometry an image can hold: a sector size of 128 << N, 1 to 255 sectors, one or two
// surfaces, and no more tracks than the table has entries.
bool FdiGeometryFits(const TFdiFields& fields) {
    return SizeCode(fields.SectorSize) >= 0 && fields.Sectors >= 1 && fields.Sectors <= 255 &&
           fields.Surfaces >= 1 && fields.Surfaces <= 2 && fields.Cylinders >= 1 &&
           fields.Cylinders * fields.Surfaces <= TrackTableEntries;
}

// The header of an FDI file whose size disagrees with it: the geometry is one a disk can have
// and the data size is exactly that geometry, but the file is cut short or padded. Such a file
// is a damaged FDI file, not a plain dump of some other size.
bool IsDamagedFdiHeader(const TFdiFields& fields, int64_t fileSize) {
    if (fields.HeaderSize < FdiFieldsSize || fields.HeaderSize > FdiHeaderSize ||
        fields.HeaderSize + fields.DataSize == static_cast<uint64_t>(fileSize))
        return false;
    return FdiGeometryFits(fields) && fields.DataSize == fields.SectorSize * fields.Sectors *
                                                             fields.Surfaces * fields.Cylinders;
}

bool IsDimHeader(const uint8_t* bytes) {
    return std::memcmp(bytes + DimSignatureOffset, DimSignature, sizeof DimSignature - 1) == 0;
}

// The DIM media bytes whose tracks are all alike, and their geometries.
struct TDimMedia {
    uint8_t Media;
    TDiskFormat Format;
};
constexpr TDimMedia DimMedia[] = {
    {0x00, {DiskType2HD, 77, 2, 8, 3}},  // 2HD
    {0x01, {DiskType2HD, 80, 2, 9, 3}},  // 2HS
    {0x02, {DiskType2HD, 80, 2, 15, 2}}, // 2HC
    {0x09, {DiskType2HD, 80, 2, 18, 2}}, // 2HQ
};

std::optional<TDiskFormat> DimGeometry(uint8_t media) {
    for (const TDimMedia& known : DimMedia)
        if (known.Media == media)
            return known.Format;
    return std::nullopt;
}

// A header a load would take for the start of a container, whatever follows it: its size,
// type and protection bytes are ones a container holds, and its first track starts where a
// container's does, right after the header (an image without tracks is a header alone). The
// first sector of a plain dump holds anything: bytes that merely fit the fields' ranges, as one
// dump in some thousands of random ones does, must not make it a damaged container.
bool LooksLikeContainer(rtl::TStream& stream, int64_t fileSize) {
    if (fileSize < TDiskImage::HeaderSize)
        return false;
    uint8_t header[TDiskImage::HeaderSize];
    stream.SetPosition(0);
    stream.ReadBuffer(header, sizeof header);
    const uint32_t size = rtl::GetLe32(header + TDiskImage::SizeOffset);
    const uint8_t type = header[TDiskImage::DiskTypeOffset];
    const uint8_t writeProtected = header[TDiskImage::WriteProtectedOffset];
    uint32_t firstTrack = 0;
    for (int t = 0; t < TrackTableEntries && firstTrack == 0; ++t)
        firstTrack = rtl::GetLe32(header + TrackTableOffset + 4 * t);
    return size >= TDiskImage::HeaderSize &&
           (writeProtected == WriteProtectedOff || writeProtected == WriteProtectedOn) &&
           (type == 0x00 || type == 0x10 || type == 0x20 || type == 0x30 || type == 0x40) &&
           (firstTrack == 0
                ? size == TDiskImage::HeaderSize
                : (firstTrack == OldImageHeaderSize || firstTrack == TDiskImage::HeaderSize) &&
                      firstTrack < size);
}

// A dump's bytes, read into memory that is not cleared first: the read fills all of it.
struct TDumpBytes {
    std::unique_ptr<uint8_t[]> Bytes;
    size_t Length = 0;
    std::span<const uint8_t> Span() const { return {Bytes.get(), Length}; }
};

TDumpBytes ReadRange(rtl::TStream& stream, int64_t offset, int64_t length) {
    TDumpBytes dump{std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(length)),
                    static_cast<size_t>(length)};
    stream.SetPosition(offset);
    stream.ReadBuffer(dump.Bytes.get(), length);
    return dump;
}

// Reads the image of a file the detection has already matched, checking every field first.
std::unique_ptr<TDiskImage> ReadFdi(rtl::TStream& stream, int64_t fileSize,
                                    const std::vector<TNamedFormat>& table) {
    uint8_t bytes[FdiFieldsSize];
    stream.SetPosition(0);
    stream.ReadBuffer(bytes, sizeof bytes);
    const TFdiFields fields = ReadFdiFields(bytes);
    if (!IsFdiHeader(fields, fileSize))
        throw EInvalidDiskImage(rtl::Tr(InvalidImageMessage));
    if (!FdiGeometryFits(fields))
        throw EDiskImageError(rtl::Tr(DiskFormatMessage));
    const int n = SizeCode(fields.SectorSize);
    const auto c = static_cast<int32_t>(fields.Cylinders);
    const auto h = static_cast<int32_t>(fields.Surfaces);
    const auto r = static_cast<int32_t>(fields.Sectors);
    const TDiskFormat format{DiskTypeOf(table, c, h, r, n), c, h, r, n};
    const TDumpBytes data = ReadRange(stream, static_cast<int64_t>(fields.HeaderSize),
                                      fileSize - int64_t(fields.HeaderSize));
    return std::make_unique<TDiskImage>(format, data.Span());
}

std::unique_ptr<TDiskImage> ReadDim(rtl::TStream& stream, int64_t fileSize,
                                    const std::vector<TNamedFormat>& table) {
    uint8_t header[DimHeaderSize];
    stream.SetPosition(0);
    stream.ReadBuffer(header, sizeof header);
    const std::optional<TDiskFormat> geometry = DimGeometry(header[0]);
    if (!geometry)
        throw EDiskImageError(rtl::Tr(DiskFormatMessage));
    TDiskFormat format = *geometry;
    format.DiskType = DiskTypeOf(table, format.C, format.H, format.R, format.N);
    const int tracks = format.C * format.H;
    std::vector<bool> present(static_cast<size_t>(tracks));
    int64_t presentCount = 0;
    for (int t = 0; t < DimTrackFlags; ++t) {
        const bool flagged = header[1 + t] != 0;
        if (flagged && t >= tracks)
            throw EInvalidDiskImage(rtl::Tr(InvalidImageMessage));
        if (t < tracks)
            present[static_cast<size_t>(t)] = flagged;
        presentCount += flagged ? 1 : 0;
    }
    const int64_t trackBytes = int64_t{format.R} * SectorBytes(format.N);
    if (fileSize - DimHeaderSize != presentCount * trackBytes)
        throw EInvalidDiskImage(rtl::Tr(InvalidImageMessage));
    const TDumpBytes data = ReadRange(stream, DimHeaderSize, fileSize - DimHeaderSize);
    return std::make_unique<TDiskImage>(format, data.Span(), present);
}

// Of the formats a dump's size fits, those its DOS boot sector names, where it has one whose
// sector size, sectors a track, sides and sector count agree with some of them: an MSX 1DD
// disk and a PC/AT 2D one are both 368,640 bytes, and only the boot sector tells them apart.
std::vector<TNamedFormat> ByBootSector(std::vector<TNamedFormat> candidates, rtl::TStream& stream) {
    if (candidates.size() < 2 || stream.Size() < 32)
        return candidates;
    uint8_t boot[32];
    stream.SetPosition(0);
    stream.ReadBuffer(boot, sizeof boot);
    const int bps = rtl::GetLe16(boot + 0x0B);
    const int total = rtl::GetLe16(boot + 0x13);
    const int spt = rtl::GetLe16(boot + 0x18);
    const int heads = rtl::GetLe16(boot + 0x1A);
    std::vector<TNamedFormat> named;
    for (const TNamedFormat& candidate : candidates) {
        const TDiskFormat& f = candidate.Format;
        if (bps == SectorBytes(f.N) && spt == f.R && heads == f.H && total == f.C * f.H * f.R)
            named.push_back(candidate);
    }
    return named.empty() ? candidates : named;
}

std::unique_ptr<TDiskImage> ReadRaw(rtl::TStream& stream, int64_t fileSize, const std::string& path,
                                    const TFormatSource& source) {
    if (source.Named) {
        const auto named =
            std::find_if(source.Presets.begin(), source.Presets.end(),
                         [&](const TNamedFormat& format) { return format.Name == *source.Named; });
        if (named == source.Presets.end())
            throw EDiskImageError(rtl::Format(
                rtl::Tr("The program cannot read \"%s\" (%s) as \"%s\": no preset has that "
                        "name."),
                path.c_str(), SizeToText(fileSize).c_str(), source.Named->c_str()));
        if (DumpSize(named->Format) != fileSize)
            throw EDiskImageError(rtl::Format(
                rtl::Tr("The program cannot read \"%s\" (%s) as \"%s\", whose dumps have %s."),
                path.c_str(), SizeToText(fileSize).c_str(), source.Named->c_str(),
                SizeToText(std::max<int64_t>(DumpSize(named->Format), 0)).c_str()));
        const TDumpBytes data = ReadRange(stream, 0, fileSize);
        return std::make_unique<TDiskImage>(named->Format, data.Span());
    }
    const std::vector<TNamedFormat> candidates =
        ByBootSector(FormatsOfSize(source.Table, fileSize), stream);
    if (candidates.empty())
        throw EDiskImageError(
            rtl::Format(rtl::Tr("The program does not support disk images of %s."),
                        SizeToText(fileSize).c_str()));
    size_t chosen = 0;
    if (candidates.size() > 1) {
        if (!source.Choose)
            throw EDiskImageError(rtl::Tr(DiskFormatMessage));
        chosen = source.Choose(path, candidates, LikeliestFormat(candidates, path));
        if (chosen >= candidates.size())
            throw EDiskImageError(rtl::Tr(DiskFormatMessage));
    }
    const TDumpBytes data = ReadRange(stream, 0, fileSize);
    return std::make_unique<TDiskImage>(candidates[chosen].Format, data.Span());
}

// ---- plain geometry ---------------------------------------------------------------------------

[[noreturn]] void RefusePlain(const TDiskImage& image, int row, TImageForm form,
                              const std::string& detail) {
    RefuseImageForm(image, row, rtl::Tr(FormTraits(form).AsText), detail);
}

struct TPlainLayout {
    TDiskFormat Format;
    // The sectors of every track the dump holds, in the dump's order, each one's data where
    // the image holds it.
    std::vector<std::vector<TSectorRecord>> Tracks;
};

TPlainLayout PlainLayout(const TDiskImage& image, int row, TImageForm form) {
    const std::span<const uint8_t> bytes = image.Bytes();
    const auto size = static_cast<int64_t>(bytes.size());
    TTrackTable table = ReadTrackTable(bytes);
    // Some programs point unformatted tracks at the end of the image.
    for (int64_t& offset : table)
        offset = offset == size ? 0 : offset;
    int entries = TrackTableEntries;
    while (entries > 0 && table[static_cast<size_t>(entries - 1)] == 0)
        --entries;
    if (entries == 0)
        RefusePlain(image, row, form, rtl::Tr("it has no tracks"));
    const TTrackOrder order = TrackOrderOf(bytes, table, entries);

    std::vector<std::vector<TSectorRecord>> tracks(static_cast<size_t>(entries));
    for (int t = 0; t < entries; ++t) {
        const int64_t offset = table[static_cast<size_t>(t)];
        if (offset == 0)
            continue;
        std::vector<TSectorRecord>& sectors = tracks[static_cast<size_t>(t)];
        const TTrackWalk walk = WalkTrack(
            bytes, offset, [&](const TSectorRecord& sector) { sectors.push_back(sector); });
        if (offset < TDiskImage::HeaderSize || walk.Stop != TTrackEnd::Complete)
            RefusePlain(image, row, form,
                        rtl::Format(rtl::Tr("%s runs past the end of the image"),
                                    TrackName(t, order).c_str()));
    }
    // The entry of each track the dump holds, in the dump's order.
    std::vector<int> dumped;
    for (int t = 0; t < entries; t += order.Stride)
        dumped.push_back(t);

    TTally counts, codes;
    for (const int t : dumped) {
        const auto& sectors = tracks[static_cast<size_t>(t)];
        counts.Add(static_cast<int>(sectors.size()));
        for (const TSectorRecord& sector : sectors)
            codes.Add(sector.Header.N);
    }
    const int r = counts.MostFrequent();
    const int n = codes.MostFrequent();
    // A size code beyond 8 names no size at all; shifted, it would overflow.
    if (SectorBytes(n) == 0)
        RefusePlain(image, row, form,
                    rtl::Format(rtl::Tr("its sectors have size code %d, which no disk has"), n));
    TPlainLayout layout;
    for (const int t : dumped) {
        const std::string track = TrackName(t, order);
        std::vector<TSectorRecord> sectors = std::move(tracks[static_cast<size_t>(t)]);
        if (table[static_cast<size_t>(t)] == 0)
            RefusePlain(image, row, form, rtl::Format(rtl::Tr("%s is absent"), track.c_str()));
        if (static_cast<int>(sectors.size()) != r)
            RefusePlain(image, row, form,
                        rtl::Format(rtl::Tr("%s has %d sectors; the others have %d"), track.c_str(),
                                    static_cast<int>(sectors.size()), r));
        // A plain dump holds a track's sectors by their numbers, whatever order the disk has
        // them in: interleaved tracks are written sorted.
        std::stable_sort(
            sectors.begin(), sectors.end(),
            [](const TSectorRecord& a, const TSectorRecord& b) { return a.Header.R < b.Header.R; });
        for (size_t k = 0; k < sectors.size(); ++k) {
            const TSectorHeader& sector = sectors[k].Header;
            if (sector.N != n)
                RefusePlain(image, row, form,
                            rtl::Format(rtl::Tr("%s has sectors of %d bytes; the others have %d"),
                                        track.c_str(), SectorBytes(std::min<int>(sector.N, 8)),
                                        SectorBytes(n)));
            if (!sector.DataSizeFitsCode())
                RefusePlain(image, row, form,
                            rtl::Format(rtl::Tr("%s has a sector whose data is not %d bytes"),
                                        track.c_str(), SectorBytes(n)));
            if (sector.R != static_cast<int>(k) + 1)
                RefusePlain(
                    image, row, form,
                    rtl::Format(rtl::Tr("%s does not have each of the sectors 1 to %d once"),
                                track.c_str(), r));
            if (sector.C != order.Cylinder(t) || sector.H != order.Side(t))
                RefusePlain(image, row, form,
                            rtl::Format(rtl::Tr("%s has a sector with the ID of track %d side %d"),
                                        track.c_str(), sector.C, sector.H));
            if (sector.HasErrorStatus())
                RefusePlain(
                    image, row, form,
                    rtl::Format(rtl::Tr("%s has a sector with an error status"), track.c_str()));
            if (sector.HasDeletedData())
                RefusePlain(image, row, form,
                            rtl::Format(rtl::Tr("%s has a sector of deleted data"), track.c_str()));
        }
        layout.Tracks.push_back(std::move(sectors));
    }
    const auto cylinders = static_cast<int>(dumped.size()) / order.Heads;
    if (static_cast<int>(dumped.size()) % order.Heads != 0)
        RefusePlain(image, row, form,
                    rtl::Format(rtl::Tr("%s is absent"), TrackName(entries, order).c_str()));
    layout.Format = TDiskFormat{image.DiskType(), cylinders, order.Heads, r, n};
    return layout;
}

std::vector<uint8_t> PlainSectors(const TDiskImage& image, const TPlainLayout& layout) {
    const std::span<const uint8_t> bytes = image.Bytes();
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(DumpSize(layout.Format)));
    for (const auto& sectors : layout.Tracks)
        for (const TSectorRecord& sector : sectors)
            out.insert(out.end(), bytes.begin() + sector.DataOffset,
                       bytes.begin() + sector.DataOffset + sector.Header.DataSize);
    return out;
}

// The media byte of the layout's geometry; a geometry no media byte names is refused.
uint8_t DimMediaOf(const TDiskImage& image, int row, const TPlainLayout& layout) {
    const TDiskFormat& format = layout.Format;
    for (const TDimMedia& known : DimMedia)
        if (known.Format.C == format.C && known.Format.H == format.H &&
            known.Format.R == format.R && known.Format.N == format.N)
            return known.Media;
    RefusePlain(image, row, TImageForm::Dim,
                rtl::Format(rtl::Tr("no DIM media byte names its geometry of %d cylinders, "
                                    "%d sides and %d sectors of %d bytes"),
                            format.C, format.H, format.R, SectorBytes(format.N)));
}

std::vector<uint8_t> RawBytes(const TDiskImage& image, int row) {
    return PlainSectors(image, PlainLayout(image, row, TImageForm::Raw));
}

void CheckRaw(const TDiskImage& image, int row) {
    PlainLayout(image, row, TImageForm::Raw);
}

std::vector<uint8_t> FdiBytes(const TDiskImage& image, int row) {
    const TPlainLayout layout = PlainLayout(image, row, TImageForm::Fdi);
    const std::vector<uint8_t> sectors = PlainSectors(image, layout);
    const TDiskFormat& format = layout.Format;
    // Sized whole before the header is filled in: growing a vector of a known size makes GCC
    // see a copy past its end that is not there.
    std::vector<uint8_t> out(static_cast<size_t>(FdiHeaderSize) + sectors.size());
    rtl::PutLe32(out.data() + 4, Pc98DeviceType(format.DiskType, format.R, format.N));
    rtl::PutLe32(out.data() + 8, static_cast<uint32_t>(FdiHeaderSize));
    rtl::PutLe32(out.data() + 12, static_cast<uint32_t>(sectors.size()));
    rtl::PutLe32(out.data() + 16, static_cast<uint32_t>(SectorBytes(format.N)));
    rtl::PutLe32(out.data() + 20, static_cast<uint32_t>(format.R));
    rtl::PutLe32(out.data() + 24, static_cast<uint32_t>(format.H));
    rtl::PutLe32(out.data() + 28, static_cast<uint32_t>(format.C));
    std::copy(sectors.begin(), sectors.end(), out.begin() + FdiHeaderSize);
    return out;
}

void CheckFdi(const TDiskImage& image, int row) {
    PlainLayout(image, row, TImageForm::Fdi);
}

std::vector<uint8_t> DimBytes(const TDiskImage& image, int row) {
    const TPlainLayout layout = PlainLayout(image, row, TImageForm::Dim);
    const uint8_t media = DimMediaOf(image, row, layout);
    const std::vector<uint8_t> sectors = PlainSectors(image, layout);
    std::vector<uint8_t> out(static_cast<size_t>(DimHeaderSize) + sectors.size());
    out[0] = media;
    std::memset(out.data() + 1, 1, static_cast<size_t>(layout.Format.C * layout.Format.H));
    std::memcpy(out.data() + DimSignatureOffset, DimSignature, sizeof DimSignature - 1);
    std::copy(sectors.begin(), sectors.end(), out.begin() + DimHeaderSize);
    return out;
}

void CheckDim(const TDiskImage& image, int row) {
    DimMediaOf(image, row, PlainLayout(image, row, TImageForm::Dim));
}

void CheckNfd(const TDiskImage& image, int row) {
    NfdBytes(image, row);
}

// ---- detection and reading --------------------------------------------------------------------

static_assert(Pc98HeadSize >= DimHeaderSize && Pc98HeadSize >= FdiFieldsSize,
              "the head a file is detected by holds every header looked at");

bool IsContainer(const TFormFile& file, const std::vector<TNamedFormat>&) {
    try {
        ScanDiskImages(file.Stream, [](const TScannedImage&) {});
        return true;
    } catch (const rtl::EFileReadError&) {
        throw;
    } catch (const rtl::Exception&) {
        // Not a container, or a damaged one: the other forms decide.
        return false;
    }
}

template <TPc98Form Pc98> bool IsPc98Form(const TFormFile& file, const std::vector<TNamedFormat>&) {
    return DetectPc98Form(file.Head, file.Size) == Pc98;
}

// A DCP/DCU file has no signature; one whose size disagrees with its header is known by its
// name.
bool IsDcp(const TFormFile& file, const std::vector<TNamedFormat>& table) {
    const auto& extensions = FormTraits(TImageForm::Dcp).Extensions;
    return IsPc98Form<TPc98Form::Dcp>(file, table) ||
           (std::find(extensions.begin(), extensions.end(), LowerExtension(file.Path)) !=
                extensions.end() &&
            HasDcpHeader(file.Head));
}

bool IsFdi(const TFormFile& file, const std::vector<TNamedFormat>&) {
    if (file.Size < FdiFieldsSize)
        return false;
    const TFdiFields fields = ReadFdiFields(file.Head.data());
    // A damaged one is named an FDI file too, for the reader to refuse as one; never a damaged
    // container.
    return IsFdiHeader(fields, file.Size) ||
           (IsDamagedFdiHeader(fields, file.Size) && !HasContainerExtension(file.Path) &&
            !LooksLikeContainer(file.Stream, file.Size));
}

bool IsDim(const TFormFile& file, const std::vector<TNamedFormat>&) {
    return file.Size >= DimHeaderSize && IsDimHeader(file.Head.data());
}

bool IsRaw(const TFormFile& file, const std::vector<TNamedFormat>& table) {
    return !HasContainerExtension(file.Path) && !LooksLikeContainer(file.Stream, file.Size) &&
           !FormatsOfSize(table, file.Size).empty();
}

template <TPc98Form Pc98> TFormRead ReadPc98(const TFormFile& file, const TFormatSource&) {
    if (file.Size > MaxPc98FileSize)
        throw EInvalidDiskImage(rtl::Tr(InvalidImageMessage));
    const TDumpBytes bytes = ReadRange(file.Stream, 0, file.Size);
    TPc98Read read = ReadPc98Form(Pc98, bytes.Span(), rtl::ExtractFileName(file.Path));
    return {std::move(read.Image), std::move(read.Notes)};
}

TFormRead ReadFdiFile(const TFormFile& file, const TFormatSource& source) {
    return {ReadFdi(file.Stream, file.Size, source.Table), {}};
}

TFormRead ReadDimFile(const TFormFile& file, const TFormatSource& source) {
    return {ReadDim(file.Stream, file.Size, source.Table), {}};
}

TFormRead ReadRawFile(const TFormFile& file, const TFormatSource& source) {
    return {ReadRaw(file.Stream, file.Size, file.Path, source), {}};
}

// ---- the forms --------------------------------------------------------------------------------

constexpr const char* ContainerExtensionList[] = {".d88", ".d77", ".d68", ".d98", ".88d"};
constexpr const char* RawExtensions[] = {".img", ".ima", ".hdm", ".xdf", ".2hd", ".dup",
                                         ".tfd", ".2d",  ".2dd", ".dd",  ".dsk"};
constexpr const char* FdiExtensions[] = {".fdi"};
constexpr const char* NfdExtensions[] = {".nfd"};
constexpr const char* DimExtensions[] = {".dim"};
constexpr const char* FddExtensions[] = {".fdd"};
constexpr const char* DcpExtensions[] = {".dcp", ".dcu"};
constexpr const char* DipExtensions[] = {".dip"};

constexpr TImageFormTraits Forms[] = {
    {TImageForm::D88, "D88/D77", "d88", rtl::TrNoop("a container"), rtl::TrNoop("a container"), "",
     "", ContainerExtensionList,
     rtl::TrNoop("Any number of disks, each track's sectors with their IDs, densities, marks and "
                 "statuses as they are."),
     IsContainer, nullptr, nullptr, nullptr},
    {TImageForm::Raw, rtl::TrNoop("Plain sectors"), "raw", rtl::TrNoop("a plain dump"),
     rtl::TrNoop("plain sectors"), rtl::TrNoop("Multiple &Plain Sector Files..."),
     rtl::TrNoop("Save to multiple plain sector files..."), RawExtensions,
     rtl::TrNoop("One disk whose tracks are all present with sectors 1 to R of one size, "
                 "without deleted data or error statuses; its size tells its geometry."),
     IsRaw, ReadRawFile, RawBytes, CheckRaw},
    {TImageForm::Fdi, "FDI", "fdi", rtl::TrNoop("an FDI file"), rtl::TrNoop("plain sectors"),
     rtl::TrNoop("Multiple &FDI Files..."), rtl::TrNoop("Save to multiple FDI files..."),
     FdiExtensions,
     rtl::TrNoop("What plain sectors hold, after a header that gives the geometry and the disk "
                 "type."),
     IsFdi, ReadFdiFile, FdiBytes, CheckFdi},
    {TImageForm::Nfd, "NFD", "nfd", rtl::TrNoop("an NFD file"), rtl::TrNoop("an NFD file"),
     rtl::TrNoop("Multiple &NFD Files..."), rtl::TrNoop("Save to multiple NFD files..."),
     NfdExtensions,
     rtl::TrNoop("One disk, every sector with its ID, size, density, marks and status; written "
                 "as r0, of up to 163 tracks of up to 26 sectors."),
     IsPc98Form<TPc98Form::Nfd>, ReadPc98<TPc98Form::Nfd>, NfdBytes, CheckNfd},
    {TImageForm::Dim, "DIM", "dim", rtl::TrNoop("a DIM file"), rtl::TrNoop("a DIM file"),
     rtl::TrNoop("Multiple &DIM Files..."), rtl::TrNoop("Save to multiple DIM files..."),
     DimExtensions,
     rtl::TrNoop("What plain sectors hold, of the 2HD geometries its media byte names (77×2×8 "
                 "of 1,024 bytes, 80×2×9 of 1,024, 80×2×15 of 512, 80×2×18 of 512); tracks may "
                 "be left out."),
     IsDim, ReadDimFile, DimBytes, CheckDim},
    {TImageForm::Fdd, "FDD", "", rtl::TrNoop("an FDD file"), rtl::TrNoop("an FDD file"), "", "",
     FddExtensions,
     rtl::TrNoop("One disk, every sector with its ID, size, density and status; read only."),
     IsPc98Form<TPc98Form::Fdd>, ReadPc98<TPc98Form::Fdd>, nullptr, nullptr},
    {TImageForm::Dcp, "DCP/DCU", "", rtl::TrNoop("a DCP or DCU file"),
     rtl::TrNoop("a DCP or DCU file"), "", "", DcpExtensions,
     rtl::TrNoop("One disk of a geometry its media byte names, tracks left out where its map "
                 "says; read only."),
     IsDcp, ReadPc98<TPc98Form::Dcp>, nullptr, nullptr},
    {TImageForm::Dip, "DIP", "", rtl::TrNoop("a DIP file"), rtl::TrNoop("a DIP file"), "", "",
     DipExtensions, rtl::TrNoop("One 2HD disk of 77×2×8 sectors of 1,024 bytes; read only."),
     IsPc98Form<TPc98Form::Dip>, ReadPc98<TPc98Form::Dip>, nullptr, nullptr},
};

// The order a file is tested in: a sound container first; then the signatures, which cannot
// match by chance; then the FDI header, whose sizes must agree with the file's, and the DIM one,
// a text at one place; a plain dump, which has nothing but its size, last.
constexpr TImageForm DetectionOrder[] = {TImageForm::D88, TImageForm::Nfd, TImageForm::Fdd,
                                         TImageForm::Dip, TImageForm::Dcp, TImageForm::Fdi,
                                         TImageForm::Dim, TImageForm::Raw};
static_assert(std::size(DetectionOrder) == std::size(Forms), "every form is looked for");

// The bytes of a file of form holding the image; a form only read is refused.
std::vector<uint8_t> FormBytes(const TDiskImage& image, int row, TImageForm form) {
    const TImageFormTraits& traits = FormTraits(form);
    if (traits.Bytes == nullptr)
        throw EDiskImageError(rtl::Tr(DiskFormatMessage));
    return traits.Bytes(image, row);
}

} // namespace

std::span<const TImageFormTraits> ImageForms() {
    return Forms;
}

const TImageFormTraits& FormTraits(TImageForm form) {
    for (const TImageFormTraits& traits : Forms)
        if (traits.Form == form)
            return traits;
    return Forms[0];
}

std::optional<TImageForm> FormOfCliName(std::string_view name) {
    for (const TImageFormTraits& traits : Forms)
        if (traits.Writes() && name == traits.CliName)
            return traits.Form;
    return std::nullopt;
}

std::string CliFormNames(const char* separator) {
    std::string names;
    for (const TImageFormTraits& traits : Forms)
        if (traits.Writes())
            names.append(names.empty() ? "" : separator).append(traits.CliName);
    return names;
}

const std::vector<std::string>& ContainerExtensions() {
    static const std::vector<std::string> extensions(std::begin(ContainerExtensionList),
                                                     std::end(ContainerExtensionList));
    return extensions;
}

const std::vector<std::string>& OtherFormExtensions() {
    static const std::vector<std::string> extensions = [] {
        std::vector<std::string> all;
        for (const TImageFormTraits& traits : Forms)
            if (traits.Form != TImageForm::D88)
                all.insert(all.end(), traits.Extensions.begin(), traits.Extensions.end());
        return all;
    }();
    return extensions;
}

bool HasDiskFileExtension(const std::string& path) {
    return HasContainerExtension(path) || HasOtherFormExtension(path);
}

std::vector<TNamedFormat> NamedFormats(const TPresetList& presets) {
    std::vector<TNamedFormat> table;
    for (const auto& item : presets.Items) {
        const TDiskFormat& format = item->DiskFormat;
        const bool known = std::any_of(table.begin(), table.end(), [&](const TNamedFormat& f) {
            return f.Format.C == format.C && f.Format.H == format.H && f.Format.R == format.R &&
                   f.Format.N == format.N;
        });
        if (!known)
            table.push_back({item->Name, format});
    }
    return table;
}

std::vector<TNamedFormat> PresetFormats(const TPresetList& presets) {
    std::vector<TNamedFormat> formats;
    for (const auto& item : presets.Items)
        formats.push_back({item->Name, item->DiskFormat});
    return formats;
}

std::vector<TNamedFormat> FormatsOfSize(const std::vector<TNamedFormat>& table, int64_t size) {
    std::vector<TNamedFormat> fitting;
    for (const TNamedFormat& format : table)
        if (size > 0 && DumpSize(format.Format) == size)
            fitting.push_back(format);
    return fitting;
}

size_t LikeliestFormat(const std::vector<TNamedFormat>& candidates, const std::string& path) {
    const bool smallSectors = LowerExtension(path) == ".2d";
    size_t best = 0;
    for (size_t i = 1; i < candidates.size(); ++i) {
        const int n = candidates[i].Format.N;
        const int bestN = candidates[best].Format.N;
        if (smallSectors ? n < bestN : n > bestN)
            best = i;
    }
    return best;
}

int32_t DiskTypeOf(const std::vector<TNamedFormat>& table, int32_t c, int32_t h, int32_t r,
                   int32_t n) {
    for (const TNamedFormat& format : table)
        if (format.Format.C == c && format.Format.H == h && format.Format.R == r &&
            format.Format.N == n)
            return format.Format.DiskType;
    return DiskTypeOfGeometry(c, r, n);
}

std::optional<TImageForm> DetectImageForm(rtl::TStream& stream, const std::string& path,
                                          const std::vector<TNamedFormat>& table) {
    const int64_t size = stream.Size();
    uint8_t head[Pc98HeadSize];
    const auto headSize = static_cast<size_t>(std::min<int64_t>(size, Pc98HeadSize));
    stream.SetPosition(0);
    stream.ReadBuffer(head, static_cast<int64_t>(headSize));
    const TFormFile file{stream, size, path, {head, headSize}};
    for (const TImageForm form : DetectionOrder)
        if (FormTraits(form).Detect(file, table))
            return form;
    return std::nullopt;
}

TImageForm ReadingForm(rtl::TStream& stream, const std::string& path,
                       const std::vector<TNamedFormat>& table) {
    const int64_t size = stream.Size();
    // An empty file holds no disk, whatever its name promises; as a container it holds no
    // image.
    if (size == 0)
        return HasOtherFormExtension(path) ? TImageForm::Raw : TImageForm::D88;
    if (const std::optional<TImageForm> form = DetectImageForm(stream, path, table))
        return *form;
    return HasOtherFormExtension(path) && !LooksLikeContainer(stream, size) ? TImageForm::Raw
                                                                            : TImageForm::D88;
}

TImageFile::TImageFile(const std::string& path, const std::vector<TNamedFormat>& table)
    : FPath(path), FFile(OpenContainer(path)) {
    try {
        FSize = FFile->Size();
        FForm = ReadingForm(*FFile, path, table);
    } catch (rtl::EStreamError& e) {
        e.SetMessage(rtl::Tr(LoadImagesMessage));
        throw;
    }
}

TImageFile::~TImageFile() = default;

void TImageFile::LoadInto(TDiskImageList& images, const TFormatSource& source) {
    if (FForm == TImageForm::D88) {
        // Read again as the container it is, or for the refusal it gets.
        images.LoadFromStream(*FFile);
        return;
    }
    TDiskImageList loaded(true);
    std::vector<std::string> notes;
    try {
        uint8_t head[Pc98HeadSize];
        const auto headSize = static_cast<size_t>(std::min<int64_t>(FSize, Pc98HeadSize));
        FFile->SetPosition(0);
        FFile->ReadBuffer(head, static_cast<int64_t>(headSize));
        TFormRead read =
            FormTraits(FForm).Read(TFormFile{*FFile, FSize, FPath, {head, headSize}}, source);
        loaded.Add(std::move(read.Image));
        notes = std::move(read.Notes);
    } catch (rtl::EStreamError& e) {
        e.SetMessage(rtl::Tr(LoadImagesMessage));
        throw;
    }
    loaded[0]->SetName(ImageNameOfFile(FPath));
    images.SwapItems(loaded);
    // Told once the read has succeeded: a refused file held nothing worth a note.
    if (source.Note)
        for (const std::string& note : notes)
            source.Note(note);
}

void LoadImagesOfAnyForm(const std::string& path, TDiskImageList& images,
                         const TFormatSource& source) {
    TImageFile(path, source.Table).LoadInto(images, source);
}

std::string ImageNameOfFile(const std::string& path) {
    return NameOfText(rtl::RemoveFileExt(rtl::ExtractFileName(path)));
}

void CheckImageInForm(const TDiskImage& image, int row, TImageForm form) {
    const TImageFormTraits& traits = FormTraits(form);
    if (form == TImageForm::D88)
        return;
    if (traits.Check == nullptr)
        throw EDiskImageError(rtl::Tr(DiskFormatMessage));
    traits.Check(image, row);
}

TDiskFormat PlainGeometry(const TDiskImage& image, int row) {
    return PlainLayout(image, row, TImageForm::Raw).Format;
}

void SaveImageInForm(const TDiskImage& image, int row, TImageForm form, rtl::TStream& stream) {
    if (form == TImageForm::D88) {
        image.SaveToStream(stream);
        return;
    }
    const std::vector<uint8_t> bytes = FormBytes(image, row, form);
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

std::unique_ptr<rtl::TNewFileStream>
SaveImageInFormToNewFile(const TDiskImage& image, int row, TImageForm form, const std::string& path,
                         rtl::TNaming naming,
                         const std::function<void(rtl::TNewFileStream&)>& commit) {
    if (form == TImageForm::D88) {
        // The list only borrows the image for the one write, which leaves it as it was.
        TDiskImageList single(false);
        single.Add(const_cast<TDiskImage*>(&image));
        return single.SaveToNewFile(path, naming, commit);
    }
    // Refused before any file exists: nothing is written for an image that cannot be.
    const std::vector<uint8_t> bytes = FormBytes(image, row, form);
    try {
        auto file = std::make_unique<rtl::TNewFileStream>(path, naming);
        file->SetWriteBehind(true);
        file->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        commit(*file);
        return file;
    } catch (rtl::EStreamError& e) {
        e.SetMessage(rtl::Tr(SaveImagesMessage));
        throw;
    }
}

std::string NameInForm(const std::string& fileName, TImageForm form) {
    if (form == TImageForm::D88)
        return fileName;
    return rtl::RemoveFileExt(fileName) + FormTraits(form).Extensions.front();
}
