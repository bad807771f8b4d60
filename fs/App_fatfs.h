// The FAT12 file system: MS-DOS on the PC-98 (2HD of 1,232 sectors of 1024 bytes, 2DD of 640 and
// 720 KB), MSX-DOS (720 KB, and 360 KB single-sided) and Human68k (2HD, names of 18.3 bytes).
// A disk is recognised from its boot sector's parameters, or, on the old disks whose boot sector
// has none, from the media byte at the head of its FAT and the geometry of its tracks; both ways
// the FAT must begin as a FAT does.
#pragma once

#include "App_filesystems.h"

#include <cstdint>
#include <memory>
#include <span>

// The file system of the disk when its structures are this one's, else null. The file system
// reads the disk's image, which must outlive it.
std::unique_ptr<TFileSystem> OpenFat12(const TDiskSectors& disk);
