#include "App_diskimages.h"

#include "Rtl_bytes.h"
#include "Rtl_codepage.h"
#include "Rtl_texts.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <thread>

namespace {

constexpr int NameFieldSize = 17;

const char* const LoadImageError = rtl::TrNoop("The program could not load the disk image.");
const char* const SaveImageError = rtl::TrNoop("The program could not save the disk image.");
const char* const DiskTypeError = rtl::TrNoop("The program does not support the disk type.");
const char* const WriteProtectedModeError =
    rtl::TrNoop("The program does not support the write-protected mode.");

int32_t GetInt32(const uint8_t* p) {
    return static_cast<int32_t>(rtl::GetLe32(p));
}

bool IsSupportedDiskType(int32_t value) {
    return value == DiskType2D || value == DiskType2DD || value == DiskType2HD;
}

// The length of the data after a header, checked as every load checks it against the bytes
// still available after the header: a size the input cannot supply is a short read, found
// before any memory is taken for it, and a size with its top bit set cannot be held at all.
int64_t CheckedDataLength(const uint8_t* header, int64_t available) {
    const int32_t size = GetInt32(header + TDiskImage::SizeOffset);
    if (size < 0)
        throw rtl::EStreamMemoryError(rtl::Tr("Out of memory while expanding memory stream"));
    const int64_t rest = int64_t{size} - TDiskImage::HeaderSize;
    if (rest < 0 || rest > available)
        throw rtl::EReadError(rtl::Tr("Stream read error"));
    return rest;
}

// Runs a step of reading one image, turning the stream's errors into the image's.
template <typename TStep> void ReadImageStep(TStep&& step) {
    try {
        step();
    } catch (const rtl::EFileReadError&) {
        // The file failed, not the image: the caller reports it with the file's reason.
        throw;
    } catch (const rtl::EReadError&) {
        throw EDiskImageError(rtl::Tr(LoadImageError));
    } catch (const rtl::EStreamError&) {
        throw EInvalidDiskImage(rtl::Tr(InvalidImageMessage));
    }
}

// Other programs fill all 17 bytes of the name field, with no zero byte after them: such a
// name is those 17 bytes, and writing it back puts the same bytes in the same place.
std::string HeaderName(const uint8_t* bytes) {
    const void* end = std::memchr(bytes, 0, NameFieldSize);
    const size_t length = end != nullptr
                              ? static_cast<size_t>(static_cast<const uint8_t*>(end) - bytes)
                              : NameFieldSize;
    return std::string(reinterpret_cast<const char*>(bytes), length);
}

void CheckNameFits(const std::string& name) {
    if (name.size() > NameFieldSize)
        throw EDiskImageError(rtl::Tr("The program cannot write the string data to a disk image."));
}

void PutHeaderFields(uint8_t* bytes, const std::string& name, int32_t writeProtected,
                     int32_t diskType, int32_t size) {
    CheckNameFits(name);
    std::memset(bytes, 0, NameFieldSize);
    std::memcpy(bytes, name.data(), name.size());
    bytes[TDiskImage::WriteProtectedOffset] = static_cast<uint8_t>(writeProtected);
    bytes[TDiskImage::DiskTypeOffset] = static_cast<uint8_t>(diskType);
    rtl::PutLe32(bytes + TDiskImage::SizeOffset, static_cast<uint32_t>(size));
}

} // namespace

int32_t DiskTypeOfGeometry(int32_t cylinders, int32_t sectors, int32_t n) {
    return DiskTypeOfTrackBytes(cylinders, int64_t{sectors} * SectorBytes(n));
}

int32_t DiskTypeOfTrackBytes(int32_t cylinders, int64_t trackBytes) {
    if (trackBytes >= 26 * 256)
        return DiskType2HD;
    return cylinders > 42 ? DiskType2DD : DiskType2D;
}

// ---------------------------------------------------------------------------------------------
// TDiskImage

TDiskImage::TDiskImage() {
    Build(TDiskFormat{});
}

TDiskImage::TDiskImage(const TDiskFormat& format) {
    Build(format);
}

TDiskImage::TDiskImage(const TDiskFormat& format, std::span<const uint8_t> sectors,
                       const std::vector<bool>& present) {
    Build(format, &sectors, &present);
}

TDiskImage::TDiskImage(int32_t diskType, const TLaidTracks& tracks) {
    if (tracks.size() > static_cast<size_t>(TrackTableEntries) || !IsSupportedDiskType(diskType))
        throw EDiskImageError(rtl::Tr(DiskFormatMessage));
    // Summed before any memory is taken: the size field is a signed 32-bit one.
    int64_t total = HeaderSize;
    for (const std::vector<TLaidSector>& sectors : tracks) {
        if (sectors.size() > UINT16_MAX)
            throw EDiskImageError(rtl::Tr(DiskFormatMessage));
        for (const TLaidSector& sector : sectors)
            total += SectorHeaderSize + sector.Header.DataSize;
        if (total > INT32_MAX)
            throw EDiskImageError(rtl::Tr(DiskFormatMessage));
    }
    rtl::TMemoryStream buffer;
    buffer.SetSize(total);
    uint8_t* bytes = buffer.Memory();
    std::memset(bytes, 0, HeaderSize);
    bytes[DiskTypeOffset] = static_cast<uint8_t>(diskType);
    rtl::PutLe32(bytes + SizeOffset, static_cast<uint32_t>(total));
    uint8_t* at = bytes + HeaderSize;
    for (size_t t = 0; t < tracks.size(); ++t) {
        if (tracks[t].empty())
            continue;
        WriteTrackOffset(bytes, static_cast<int>(t), static_cast<uint32_t>(at - bytes));
        for (const TLaidSector& sector : tracks[t]) {
            TSectorHeader header = sector.Header;
            header.SectorCount = static_cast<uint16_t>(tracks[t].size());
            EncodeSectorHeader(header, at);
            at += SectorHeaderSize;
            if (sector.Data != nullptr)
                std::memcpy(at, sector.Data, header.DataSize);
            else
                std::memset(at, sector.Fill, header.DataSize);
            at += header.DataSize;
        }
    }
    FData.Swap(buffer);
    ReadHeader();
}

void TDiskImage::Build(const TDiskFormat& format, const std::span<const uint8_t>* sectors,
                       const std::vector<bool>* present) {
    if (format.C < 0 || format.H < 0 || format.R < 0 || format.N < 0)
        throw EDiskImageError(rtl::Tr(DiskFormatMessage));
    const int64_t tracks = int64_t{format.C} * format.H;
    const bool hasSectors = tracks > 0 && format.R > 0;
    if (present != nullptr && !present->empty() && static_cast<int64_t>(present->size()) != tracks)
        throw EDiskImageError(rtl::Tr(DiskFormatMessage));
    const auto isPresent = [&](int64_t t) {
        return present == nullptr || present->empty() || (*present)[static_cast<size_t>(t)];
    };
    int64_t dataLength = 0;
    int64_t sectorLength = 0;
    int64_t trackLength = 0;
    int64_t total = HeaderSize;
    if (hasSectors) {
        // The layout's own limits: 164 table entries, one byte for R, 16 bits for the data
        // length, and a signed 32-bit size field. Refused before any memory is taken.
        if (TrackEntry(format.H, format.C - 1, format.H - 1) >= TrackTableEntries ||
            format.R > 255 || format.N > 8)
            throw EDiskImageError(rtl::Tr(DiskFormatMessage));
        dataLength = SectorBytes(format.N);
        sectorLength = SectorHeaderSize + dataLength;
        trackLength = format.R * sectorLength;
        int64_t laid = 0;
        for (int64_t t = 0; t < tracks; ++t)
            laid += isPresent(t) ? 1 : 0;
        total = HeaderSize + laid * trackLength;
        if (total > INT32_MAX)
            throw EDiskImageError(rtl::Tr(DiskFormatMessage));
        if (!IsSupportedDiskType(format.DiskType))
            throw EDiskImageError(rtl::Tr(DiskTypeError));
        if (sectors != nullptr &&
            static_cast<int64_t>(sectors->size()) != laid * format.R * dataLength)
            throw EDiskImageError(rtl::Tr(DiskFormatMessage));
    } else if (sectors != nullptr && !sectors->empty()) {
        throw EDiskImageError(rtl::Tr(DiskFormatMessage));
    }

    rtl::TMemoryStream buffer;
    buffer.SetSize(total);
    uint8_t* bytes = buffer.Memory();
    // With a dump's data every byte after the header is written below; only a blank needs the
    // whole image cleared.
    std::memset(bytes, 0, static_cast<size_t>(sectors != nullptr ? HeaderSize : total));
    bytes[TDiskImage::DiskTypeOffset] = static_cast<uint8_t>(format.DiskType);
    rtl::PutLe32(bytes + TDiskImage::SizeOffset, static_cast<uint32_t>(total));
    if (hasSectors) {
        uint8_t* sector = bytes + HeaderSize;
        const uint8_t* data = sectors != nullptr ? sectors->data() : nullptr;
        int64_t t = 0;
        for (int c = 0; c < format.C; ++c)
            for (int h = 0; h < format.H; ++h, ++t) {
                if (!isPresent(t))
                    continue;
                WriteTrackOffset(bytes, static_cast<int>(TrackEntry(format.H, c, h)),
                                 static_cast<uint32_t>(sector - bytes));
                for (int r = 1; r <= format.R; ++r) {
                    EncodeSectorHeader({static_cast<uint8_t>(c), static_cast<uint8_t>(h),
                                        static_cast<uint8_t>(r), static_cast<uint8_t>(format.N),
                                        static_cast<uint16_t>(format.R), 0, 0, 0,
                                        static_cast<uint16_t>(dataLength)},
                                       sector);
                    if (data != nullptr) {
                        std::memcpy(sector + SectorHeaderSize, data,
                                    static_cast<size_t>(dataLength));
                        data += dataLength;
                    }
                    sector += sectorLength;
                }
            }
    }
    FData.Swap(buffer);
    ReadHeader();
}

void TDiskImage::ReadHeader() {
    const uint8_t* bytes = FData.Memory();
    FName = HeaderName(bytes);
    FWriteProtected = bytes[TDiskImage::WriteProtectedOffset];
    FDiskType = bytes[TDiskImage::DiskTypeOffset];
    FSize = GetInt32(bytes + TDiskImage::SizeOffset);
}

void TDiskImage::WriteHeader() const {
    PutHeaderFields(FData.Memory(), FName, FWriteProtected, FDiskType, FSize);
}

void TDiskImage::Assign(const TDiskImage& source) {
    if (&source == this)
        return;
    source.WriteHeader();
    rtl::TMemoryStream copy;
    copy.SetSize(source.FData.Size());
    std::memcpy(copy.Memory(), source.FData.Memory(), static_cast<size_t>(source.FData.Size()));
    FData.Swap(copy);
    ReadHeader();
}

void TDiskImage::ExchangeContents(TDiskImage& other) {
    WriteHeader();
    other.WriteHeader();
    FData.Swap(other.FData);
    ReadHeader();
    other.ReadHeader();
}

void TDiskImage::LoadFromStream(rtl::TStream& stream) {
    Load(stream, nullptr);
}

void TDiskImage::Load(rtl::TStream& stream, TSharedBlock* shared) {
    TDiskImage loaded;
    ReadImageStep([&] {
        uint8_t* bytes = loaded.FData.Memory();
        int64_t room = INT64_MAX;
        if (shared != nullptr) {
            room = shared->Size - shared->Offset;
            if (room < HeaderSize)
                throw rtl::EReadError(rtl::Tr("Stream read error"));
            bytes = shared->Block.get() + shared->Offset;
        }
        stream.ReadBuffer(bytes, HeaderSize);
        const int64_t rest =
            CheckedDataLength(bytes, std::min(stream.Remaining(), room - HeaderSize));
        const auto size = static_cast<int32_t>(HeaderSize + rest);
        if (shared != nullptr) {
            stream.ReadBuffer(bytes + HeaderSize, rest);
            loaded.FData.Adopt(shared->Block, bytes, size);
        } else {
            loaded.FData.SetSize(size);
            stream.ReadBuffer(loaded.FData.Memory() + HeaderSize, rest);
        }
    });
    loaded.ReadHeader();
    // The same as Assign(loaded), without copying bytes that nobody else will use.
    loaded.WriteHeader();
    FData.Swap(loaded.FData);
    ReadHeader();
    if (shared != nullptr)
        shared->Offset += FSize;
}

void TDiskImage::SaveToStream(rtl::TStream& stream) const {
    WriteHeader();
    try {
        stream.WriteBuffer(FData.Memory(), FData.Size());
    } catch (const rtl::EStreamError&) {
        throw EDiskImageError(rtl::Tr(SaveImageError));
    }
}

std::span<const uint8_t> TDiskImage::Bytes() const {
    WriteHeader();
    return {FData.Memory(), static_cast<size_t>(FData.Size())};
}

void TDiskImage::SetName(const std::string& name) {
    if (name.size() > MaxNameLength)
        throw EDiskImageError(rtl::Tr("The program cannot set the name property of a disk image."));
    if (name != FName)
        FName = name;
}

void TDiskImage::RestoreName(const std::string& name) {
    CheckNameFits(name);
    FName = name;
}

void TDiskImage::SetWriteProtected(int32_t value) {
    if (value != WriteProtectedOff && value != WriteProtectedOn)
        throw EDiskImageError(
            rtl::Tr("The program cannot set the write-protected property of a disk image."));
    FWriteProtected = value;
}

// ---------------------------------------------------------------------------------------------
// TDiskImageList

void TDiskImageList::LoadFromStream(rtl::TStream& stream) {
    // Images loaded into a list of borrowed pointers would belong to nobody.
    if (!OwnsObjects())
        throw rtl::EInvalidOperation(rtl::Tr("The list does not own its objects."));
    TDiskImageList loaded(true);
    try {
        const int64_t size = stream.Size();
        stream.SetPosition(0);
        // The images live side by side in one block exactly the stream's size, so a load never
        // takes more memory than the input supplies.
        TDiskImage::TSharedBlock shared{rtl::AllocateSharedBlock(size), 0, size};
        while (stream.Position() < size) {
            auto image = std::make_unique<TDiskImage>();
            image->Load(stream, &shared);
            loaded.Add(std::move(image));
        }
    } catch (rtl::EStreamError& e) {
        e.SetMessage(rtl::Tr(LoadImagesMessage));
        throw;
    }
    // Nothing that can fail comes after this: the old images leave with `loaded`.
    SwapItems(loaded);
}

std::optional<rtl::TFileIdentity> TDiskImageList::LoadFromFile(const std::string& path) {
    // Read image by image straight from the file: the file is never held twice in memory, and
    // the all-or-nothing rule holds because the images gather in a list of their own first.
    const std::unique_ptr<rtl::TFileStream> file = OpenContainer(path);
    // Taken before the read, so that a write that overlaps it counts as a later change.
    std::optional<rtl::TFileIdentity> identity = file->Identity();
    LoadFromStream(*file);
    return identity;
}

void TDiskImageList::SaveToStream(rtl::TStream& stream) const {
    try {
        stream.SetSize(0);
    } catch (rtl::EStreamError& e) {
        e.SetMessage(rtl::Tr(SaveImagesMessage));
        throw;
    }
    for (const TDiskImage* image : *this)
        image->SaveToStream(stream);
}

std::optional<rtl::TFileIdentity> TDiskImageList::SaveToFile(const std::string& path,
                                                             rtl::TNaming naming) const {
    std::optional<rtl::TFileIdentity> identity;
    SaveToNewFile(path, naming, [&](rtl::TNewFileStream& file) {
        // Every byte is on the disk first, so the modification time is final; naming keeps it.
        file.Flush();
        identity = file.Identity();
        file.Commit();
    });
    return identity;
}

std::unique_ptr<rtl::TNewFileStream>
TDiskImageList::SaveToNewFile(const std::string& path, rtl::TNaming naming,
                              const std::function<void(rtl::TNewFileStream&)>& commit) const {
    try {
        auto file = std::make_unique<rtl::TNewFileStream>(path, naming);
        file->SetWriteBehind(true);
        try {
            for (const TDiskImage* image : *this)
                image->SaveToStream(*file);
        } catch (const EDiskImageError&) {
            // A failing disk is the file's failure, not an image's.
            if (file->WriteFailed()) {
                rtl::EWriteError error(rtl::Tr(SaveImagesMessage));
                error.SetReason(file->FailureReason());
                throw error;
            }
            throw;
        }
        commit(*file);
        return file;
    } catch (rtl::EStreamError& e) {
        e.SetMessage(rtl::Tr(SaveImagesMessage));
        throw;
    }
}

std::unique_ptr<rtl::TFileStream> OpenContainer(const std::string& path) {
    try {
        return std::make_unique<rtl::TFileStream>(path, rtl::TFileMode::OpenRead);
    } catch (rtl::EStreamError& e) {
        e.SetMessage(rtl::Tr(LoadImagesMessage));
        throw;
    }
}

void ScanDiskImages(rtl::TStream& stream, const std::function<void(const TScannedImage&)>& visit) {
    constexpr int64_t HeaderSize = TDiskImage::HeaderSize;
    // Headers are read a window at a time while the images are small, so that a container of
    // header-only images costs one read per window rather than one per image; past a large
    // image only its header is read.
    constexpr int64_t WindowSize = 64 * 1024;
    std::vector<uint8_t> window(WindowSize);
    int64_t windowStart = 0;
    int64_t windowLength = 0;
    bool smallImages = true;
    try {
        const int64_t size = stream.Size();
        TScannedImage image;
        for (int64_t offset = 0; offset < size; offset += image.Size) {
            const uint8_t* header = nullptr;
            ReadImageStep([&] {
                if (offset < windowStart || offset + HeaderSize > windowStart + windowLength) {
                    const int64_t wanted = smallImages ? WindowSize : HeaderSize;
                    // A short last header is a short read, as in the load.
                    const int64_t length = std::max(HeaderSize, std::min(wanted, size - offset));
                    stream.SetPosition(offset);
                    stream.ReadBuffer(window.data(), length);
                    windowStart = offset;
                    windowLength = length;
                }
                header = window.data() + (offset - windowStart);
                CheckedDataLength(header, size - offset - HeaderSize);
            });
            image.Offset = offset;
            image.Name = HeaderName(header);
            image.WriteProtected = header[TDiskImage::WriteProtectedOffset];
            image.DiskType = header[TDiskImage::DiskTypeOffset];
            image.Size = GetInt32(header + TDiskImage::SizeOffset);
            // The load writes each header back as it reads it, and refuses what it cannot write.
            CheckNameFits(image.Name);
            smallImages = image.Size < WindowSize;
            visit(image);
        }
    } catch (rtl::EStreamError& e) {
        e.SetMessage(rtl::Tr(LoadImagesMessage));
        throw;
    }
}

std::vector<TScannedImage> ScanDiskImages(rtl::TStream& stream) {
    std::vector<TScannedImage> images;
    ScanDiskImages(stream, [&](const TScannedImage& image) { images.push_back(image); });
    return images;
}

std::unique_ptr<rtl::TNewFileStream>
SaveScannedImage(rtl::TFileStream& container, const TScannedImage& image, const std::string& path,
                 rtl::TNaming naming, const std::function<void(rtl::TNewFileStream&)>& commit) {
    try {
        uint8_t header[TDiskImage::HeaderSize];
        container.SetPosition(image.Offset);
        container.ReadBuffer(header, TDiskImage::HeaderSize);
        PutHeaderFields(header, image.Name, image.WriteProtected, image.DiskType, image.Size);
        auto file = std::make_unique<rtl::TNewFileStream>(path, naming);
        file->SetWriteBehind(true);
        file->WriteBuffer(header, TDiskImage::HeaderSize);
        file->CopyRangeFrom(container, image.Offset + TDiskImage::HeaderSize,
                            image.Size - TDiskImage::HeaderSize);
        commit(*file);
        return file;
    } catch (rtl::EStreamError& e) {
        e.SetMessage(rtl::Tr(SaveImagesMessage));
        throw;
    }
}

void FlushSaves(rtl::TFileBatch& batch) {
    try {
        batch.Flush();
    } catch (rtl::EStreamError& e) {
        e.SetMessage(rtl::Tr(SaveImagesMessage));
        throw;
    }
}

// ---------------------------------------------------------------------------------------------
// Texts and comparers

void RefuseImageForm(const TDiskImage& image, int row, const std::string& form,
                     const std::string& detail) {
    const std::string name = rtl::Cp932ToUtf8(image.Name());
    if (name.empty())
        throw EDiskImageError(
            rtl::Format(rtl::Tr("The program cannot write the disk image %d as %s: %s."), row,
                        form.c_str(), detail.c_str()));
    throw EDiskImageError(
        rtl::Format(rtl::Tr("The program cannot write the disk image %d (\"%s\") as %s: %s."), row,
                    name.c_str(), form.c_str(), detail.c_str()));
}

std::string NameOfText(std::string_view text, size_t maxBytes) {
    std::string name;
    for (size_t i = 0; i < text.size();) {
        // One UTF-8 character at a time, so that what code page 932 lacks drops alone.
        size_t length = 1;
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead >= 0xF0)
            length = 4;
        else if (lead >= 0xE0)
            length = 3;
        else if (lead >= 0xC0)
            length = 2;
        length = std::min(length, text.size() - i);
        const std::optional<std::string> encoded = rtl::Utf8ToCp932(text.substr(i, length));
        i += length;
        if (!encoded)
            continue;
        if (name.size() + encoded->size() > maxBytes)
            break;
        name += *encoded;
    }
    return name;
}

std::string NameToText(const std::string& name) {
    return name;
}

namespace {

int WriteProtectedToRank(int32_t value) {
    switch (value) {
    case WriteProtectedOn:
        return 0;
    case WriteProtectedOff:
        return 1;
    default:
        throw EDiskImageError(rtl::Tr(WriteProtectedModeError));
    }
}

int DiskTypeToRank(int32_t value) {
    switch (value) {
    case DiskType2D:
        return 0;
    case DiskType2DD:
        return 1;
    case DiskType2HD:
        return 2;
    default:
        throw EDiskImageError(rtl::Tr(DiskTypeError));
    }
}

} // namespace

std::string WriteProtectedToText(int32_t value) {
    return WriteProtectedToRank(value) == 0 ? rtl::Tr("Yes") : rtl::Tr("No");
}

std::string DiskTypeToText(int32_t value) {
    static const char* const Texts[] = {"2D", "2DD", "2HD"};
    return Texts[DiskTypeToRank(value)];
}

std::string WriteProtectedColumnText(int32_t value) {
    if (value == WriteProtectedOn || value == WriteProtectedOff)
        return WriteProtectedToText(value);
    return rtl::Format("0x%02X", static_cast<unsigned>(value) & 0xFFu);
}

std::string DiskTypeColumnText(int32_t value) {
    if (value == DiskType2D || value == DiskType2DD || value == DiskType2HD)
        return DiskTypeToText(value);
    return rtl::Format("0x%02X", static_cast<unsigned>(value) & 0xFFu);
}

std::string SizeToText(int64_t value) {
    return rtl::Format(rtl::Tr("%s bytes"), GroupedNumber(value).c_str());
}

std::string GroupedNumber(int64_t value) {
    const uint64_t magnitude =
        value < 0 ? uint64_t{0} - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    const std::string digits = std::to_string(magnitude);
    std::string text = value < 0 ? "-" : "";
    // Appended digit by digit: inserting commas into the digits makes GCC's -Wrestrict see an
    // overlap that cannot happen.
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    return text;
}

int CompareNames(const std::string& name1, const std::string& name2) {
    const int order = NameSortKey(name1).compare(NameSortKey(name2));
    return (order > 0) - (order < 0);
}

TNameSortKeys NameSortKeys(const TDiskImageList& list) {
    const auto make = [&list](int first, int last) {
        TNameSortKeys keys;
        size_t bytes = 0;
        for (int i = first; i < last; ++i)
            bytes += list[i]->Name().size();
        keys.Reserve(static_cast<size_t>(last - first), bytes);
        for (int i = first; i < last; ++i)
            keys.Add(list[i]->Name());
        return keys;
    };
    // A key costs ICU about half a microsecond, which a million names make most of a sort's
    // time; the names are shared out among the processors, which collate independently. Below
    // that the threads would cost more than they save.
    constexpr int NamesPerPart = 50000;
    const int parts = std::clamp(std::min(static_cast<int>(std::thread::hardware_concurrency()),
                                          list.Count() / NamesPerPart),
                                 1, 8);
    const auto bound = [&](int part) {
        return static_cast<int>(static_cast<int64_t>(list.Count()) * part / parts);
    };
    std::vector<TNameSortKeys> made(static_cast<size_t>(parts));
    std::vector<std::exception_ptr> failures(static_cast<size_t>(parts));
    {
        std::vector<std::jthread> workers;
        for (int part = 1; part < parts; ++part)
            workers.emplace_back([&, part] {
                try {
                    made[static_cast<size_t>(part)] = make(bound(part), bound(part + 1));
                } catch (...) {
                    failures[static_cast<size_t>(part)] = std::current_exception();
                }
            });
        try {
            made[0] = make(0, bound(1));
        } catch (...) {
            failures[0] = std::current_exception();
        }
    }
    for (const std::exception_ptr& failure : failures)
        if (failure)
            std::rethrow_exception(failure);
    for (size_t part = 1; part < made.size(); ++part)
        made[0].Append(made[part]);
    return std::move(made[0]);
}

int CompareWriteProtected(int32_t value1, int32_t value2) {
    return WriteProtectedToRank(value1) - WriteProtectedToRank(value2);
}

int CompareDiskTypes(int32_t value1, int32_t value2) {
    return DiskTypeToRank(value1) - DiskTypeToRank(value2);
}

int CompareSizes(int32_t size1, int32_t size2) {
    return (size1 > size2) - (size1 < size2);
}
