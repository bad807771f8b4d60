// The F-BASIC disk file system of the FM-7, FM-8 and FM77AV on 2D disks (40 cylinders, 2 sides,
// 16 sectors of 256 bytes): an allocation table of half-track clusters on cylinder 1 side 0, the
// directory after it, and files whose length no entry holds.
#pragma once

#include "App_filesystems.h"

#include <memory>

// The file system of the disk when its structures are this one's, else null. The file system
// reads the disk's image, which must outlive it.
std::unique_ptr<TFileSystem> OpenFBasic(const TDiskSectors& disk);
