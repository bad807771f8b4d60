// The disk files of PC-98 emulators and copy programs: NFD (T98-Next, both revisions), FDD
// (Virtual98), DCP/DCU (Disk Copy Pro) and DIP files read into images of our own, and images
// written as NFD files. NFD and FDD files keep each sector's ID, density and marks, and so do
// the images read from them and the NFD files written.
#pragma once

#include "App_diskimages.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

enum class TPc98Form { Nfd, Fdd, Dcp, Dip };

// How many of a file's first bytes detection looks at.
constexpr size_t Pc98HeadSize = 256;
// No floppy disk comes near this; a larger file of these forms is a damaged one.
constexpr int64_t MaxPc98FileSize = int64_t{64} << 20;

// The form whose signature a file of fileSize starting with head has, a damaged file's
// included, for the reader to refuse; or a DCP/DCU file, which has none, when its media byte,
// its track map and its size agree exactly.
std::optional<TPc98Form> DetectPc98Form(std::span<const uint8_t> head, int64_t fileSize);
// Whether head starts as a DCP/DCU file does, whatever its size: a file named as one is then
// a damaged one rather than a dump.
bool HasDcpHeader(std::span<const uint8_t> head);

// An image read, and what the file held that an image cannot, in sentences for the user.
struct TPc98Read {
    std::unique_ptr<TDiskImage> Image;
    std::vector<std::string> Notes;
};

// Reads the image of a file the detection has matched, every field checked against the file's
// size first. A damaged file raises EInvalidDiskImage "The data is not a valid disk image.", a
// media byte no geometry is known for EDiskImageError "The program does not support the disk
// format.". fileName names the file in the notes.
TPc98Read ReadPc98Form(TPc98Form form, std::span<const uint8_t> file, const std::string& fileName);

// The bytes of an NFD r0 file of the image: its tracks as they are, each sector with its ID,
// size, density, marks and status, in the image's order. Refused, naming the image by row and
// the first track that does not fit, for an image r0's table cannot hold: more than 26 sectors
// on a track, tracks past the 163rd, sectors whose data is not the size their code names.
std::vector<uint8_t> NfdBytes(const TDiskImage& image, int row);

// The device type PC-98 files give a disk: 0x90 for a 1 MB (2HD) disk, 0x30 for a 1.44 MB one,
// 0x10 for a 640 KB (2DD) one, 0x50 for a 320 KB (2D) one.
uint8_t Pc98DeviceType(int32_t diskType, int32_t sectors, int32_t n);
