// One D88/D77 disk image held whole in memory, and the ordered list of images that a D88/D77
// file is, with the texts and comparers of image properties.
#pragma once

#include "App_disklayout.h"
#include "Rtl_exceptions.h"
#include "Rtl_filewriter.h"
#include "Rtl_objectlist.h"
#include "Rtl_streams.h"
#include "Vix_collation.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

RTL_DECLARE_EXCEPTION(EDiskImageError, rtl::Exception);
// Deliberately not an EDiskImageError: callers tell a malformed file from other failures.
RTL_DECLARE_EXCEPTION(EInvalidDiskImage, rtl::Exception);

// The description of a blank disk.
struct TDiskFormat {
    int32_t DiskType = 0x00;
    int32_t C = 0;
    int32_t H = 0;
    int32_t R = 0;
    int32_t N = 0;
    friend bool operator==(const TDiskFormat&, const TDiskFormat&) = default;
};

constexpr int32_t DiskType2D = 0x00;
constexpr int32_t DiskType2DD = 0x10;
constexpr int32_t DiskType2HD = 0x20;
constexpr int32_t WriteProtectedOff = 0x00;
constexpr int32_t WriteProtectedOn = 0x10;

// The disk type a two-sided disk of this geometry is: high density where a track holds 6,656
// bytes or more (26 sectors of 256, as N88-BASIC's and the X1turbo's 2HD disks have them; no
// double-density track holds as much), double-density double-track beyond 42 cylinders, else 2D.
int32_t DiskTypeOfGeometry(int32_t cylinders, int32_t sectors, int32_t n);
// The same from the bytes of a disk's fullest track.
int32_t DiskTypeOfTrackBytes(int32_t cylinders, int64_t trackBytes);

class TDiskImage {
public:
    static constexpr int HeaderSize = ImageHeaderSize;
    static constexpr int MaxNameLength = 16;
    // Where the header keeps the fields the image interprets.
    static constexpr int WriteProtectedOffset = 26;
    static constexpr int DiskTypeOffset = 27;
    static constexpr int SizeOffset = 28;
    // The layout's own, for the readers that name them through the image.
    static constexpr int TrackTableEntries = ::TrackTableEntries;
    static constexpr int TrackTableOffset = ::TrackTableOffset;
    static constexpr int SectorHeaderSize = ::SectorHeaderSize;

    // The blank image of the all-zero format: 688 bytes, every track absent.
    TDiskImage();
    // A blank formatted image.
    explicit TDiskImage(const TDiskFormat& format);
    // A formatted image holding the sector data of a plain dump, track after track and sector
    // after sector. A track whose entry in present is false is absent from the image and from
    // the dump; an empty present has every track. EDiskImageError "The program does not support
    // the disk format." when the dump's size is not what the format and present make.
    TDiskImage(const TDiskFormat& format, std::span<const uint8_t> sectors,
               const std::vector<bool>& present = {});
    // The image of another form's tracks, each sector's header as given but for the count of
    // its track's sectors; at most 164 entries. EDiskImageError "The program does not support
    // the disk format." for tracks the layout cannot hold.
    TDiskImage(int32_t diskType, const TLaidTracks& tracks);
    TDiskImage(const TDiskImage&) = delete;
    TDiskImage& operator=(const TDiskImage&) = delete;
    virtual ~TDiskImage() = default;

    // Makes this image a byte-for-byte copy of source.
    virtual void Assign(const TDiskImage& source);
    // Exchanges every byte of the two images: a change of the files on a disk is made, undone
    // and redone this way, so that the image keeps its place in every list that holds it.
    void ExchangeContents(TDiskImage& other);
    // Reads one image from the stream's position and leaves the stream just after it. A file
    // that fails while it is read passes through as rtl::EFileReadError.
    virtual void LoadFromStream(rtl::TStream& stream);
    // Writes the image's bytes at the stream's position.
    virtual void SaveToStream(rtl::TStream& stream) const;

    const std::string& Name() const { return FName; }
    void SetName(const std::string& name);
    // Puts back a name the image had, which may be one that fills the header's whole 17-byte
    // field as other programs write it; a new name goes through SetName.
    void RestoreName(const std::string& name);
    int32_t WriteProtected() const { return FWriteProtected; }
    void SetWriteProtected(int32_t value);
    int32_t DiskType() const { return FDiskType; }
    int32_t Size() const { return FSize; }
    // The image's bytes as a save would write them, valid until the image next changes.
    std::span<const uint8_t> Bytes() const;

private:
    friend class TDiskImageList;
    // Memory for the images of one container, taken in one piece; each image keeps its slice.
    struct TSharedBlock {
        std::shared_ptr<uint8_t> Block;
        int64_t Offset = 0;
        int64_t Size = 0;
    };

    // Lays out the format; with sectors, their data goes in and only present tracks are laid.
    void Build(const TDiskFormat& format, const std::span<const uint8_t>* sectors = nullptr,
               const std::vector<bool>* present = nullptr);
    // LoadFromStream, taking the image's memory from `shared` when it is given.
    void Load(rtl::TStream& stream, TSharedBlock* shared);
    void ReadHeader();
    // Copies the cached fields into Data; logically const, as it only brings the bytes in line
    // with what the image already is.
    void WriteHeader() const;

    std::string FName;
    int32_t FWriteProtected = WriteProtectedOff;
    int32_t FDiskType = DiskType2D;
    mutable rtl::TMemoryStream FData;
    int32_t FSize = 0;
};

class TDiskImageList : public rtl::TObjectList<TDiskImage> {
public:
    explicit TDiskImageList(bool ownsObjects = true) : TObjectList(ownsObjects) {}

    // Replaces the contents with the images of the file; all or nothing. A file that cannot be
    // opened or read raises an rtl::EStreamError "The program could not load the disk images."
    // whose reason is the system's; a malformed container raises as LoadFromStream does.
    // Returns the identity the file had when the read began, so that a later write by anyone
    // else can be told.
    virtual std::optional<rtl::TFileIdentity> LoadFromFile(const std::string& path);
    // Writes every image, in order, as one file. The file on disk is replaced only once every
    // byte has been written: a failure leaves it as it was. With NoReplace an existing file is
    // never replaced, even one that appears while the images are written (EFileExistsError).
    // Returns the identity of the file written, as it was when it took its name.
    virtual std::optional<rtl::TFileIdentity>
    SaveToFile(const std::string& path, rtl::TNaming naming = rtl::TNaming::Replace) const;
    // Writes every image into a new file for path and has commit name it, with the save's
    // errors; returns the file, which a commit may leave to be flushed later.
    std::unique_ptr<rtl::TNewFileStream>
    SaveToNewFile(const std::string& path, rtl::TNaming naming,
                  const std::function<void(rtl::TNewFileStream&)>& commit) const;
    // Replaces the contents with the images of the whole stream; all or nothing. A stream error,
    // a failing file's among them, raises with the message "The program could not load the disk
    // images." and keeps its reason.
    virtual void LoadFromStream(rtl::TStream& stream);
    // Replaces the stream's contents with every image, in order.
    virtual void SaveToStream(rtl::TStream& stream) const;
};

// One image of a container as a header scan finds it: where its bytes begin, and its header's
// fields as a load reads them.
struct TScannedImage {
    int64_t Offset = 0;
    std::string Name;
    int32_t WriteProtected = 0;
    int32_t DiskType = 0;
    int32_t Size = 0;
};

// Walks a container from header to header, seeking past each image's data. It accepts and
// refuses exactly the inputs LoadFromStream does, with the same message, without reading or
// holding the images' data.
std::vector<TScannedImage> ScanDiskImages(rtl::TStream& stream);
// The same, handing each image to visit as it is found: an input that is refused further on may
// already have shown its first images.
void ScanDiskImages(rtl::TStream& stream, const std::function<void(const TScannedImage&)>& visit);
// Opens a container for reading, with the load's message when it cannot be opened.
std::unique_ptr<rtl::TFileStream> OpenContainer(const std::string& path);
// Saves one scanned image of the container open as container into a new file for path, as a
// loaded image would be saved, and has commit name it; the image's data goes from file to file
// without passing through memory.
std::unique_ptr<rtl::TNewFileStream>
SaveScannedImage(rtl::TFileStream& container, const TScannedImage& image, const std::string& path,
                 rtl::TNaming naming, const std::function<void(rtl::TNewFileStream&)>& commit);
// Waits until the files of a run of saves are on the disk, with the save's errors.
void FlushSaves(rtl::TFileBatch& batch);

// Refuses to write the image as another form holds disks: "The program cannot write the disk
// image 3 ("name") as plain sectors: track 12 side 1 is absent.", form being "plain sectors",
// "an NFD file", …; the name only when it has one.
[[noreturn]] void RefuseImageForm(const TDiskImage& image, int row, const std::string& form,
                                  const std::string& detail);

// text (UTF-8) as a name: in code page 932, characters it lacks left out, cut at a character
// boundary to at most maxBytes bytes.
std::string NameOfText(std::string_view text, size_t maxBytes = TDiskImage::MaxNameLength);

std::string NameToText(const std::string& name);
std::string WriteProtectedToText(int32_t value);
std::string DiskTypeToText(int32_t value);
std::string SizeToText(int64_t value);
// value's digits in groups of three parted by commas: "1,261,568".
std::string GroupedNumber(int64_t value);
// The texts of a listing, which must show every image a file can hold: a byte that has no text
// (loading does not check these bytes) is shown as "0x" and two hex digits instead of raising.
std::string WriteProtectedColumnText(int32_t value);
std::string DiskTypeColumnText(int32_t value);

// Each returns a negative number, zero or a positive number; negative puts the first first.
// Names (code page 932 bytes) order as a Japanese user expects, alike on every machine: by ICU's
// Japanese collation of their text, with half-width kana and full-width letters read as their
// ordinary forms, then by their bytes, so that only equal names compare equal.
int CompareNames(const std::string& name1, const std::string& name2);
int CompareWriteProtected(int32_t value1, int32_t value2);
int CompareDiskTypes(int32_t value1, int32_t value2);
int CompareSizes(int32_t size1, int32_t size2);

// The keys of the names of a list's images in the order of CompareNames, made once for a sort.
TNameSortKeys NameSortKeys(const TDiskImageList& list);
