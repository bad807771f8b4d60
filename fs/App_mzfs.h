// The disk BASIC file system of the Sharp MZ-80B, MZ-2000 and MZ-2200, on 2D disks (35 cylinders)
// and 2DD ones (80): a volume entry and an allocation bitmap, files in runs of records, every
// byte stored inverted and the sides numbered the other way round. Read only: the notes leave the
// meaning of a bitmap field open, and a disk its own BASIC then misreads is worse than none.
#pragma once

#include "App_filesystems.h"

#include <memory>

// The file system of the disk when its structures are this one's, else null. The file system
// reads the disk's image, which must outlive it.
std::unique_ptr<TFileSystem> OpenMzBasic(const TDiskSectors& disk);
