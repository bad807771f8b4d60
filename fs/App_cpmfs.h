// The CP/M 2.2 disk file system of the X1turbo and the PC-88 on 2D disks (40 cylinders, 2 sides,
// 16 sectors of 256 bytes), read only. These disks carry no description of their own layout: the
// directory is found by trying the layouts the machines' CP/M used.
#pragma once

#include "App_filesystems.h"

#include <cstdint>
#include <memory>
#include <span>

// The file system of the disk when its structures are this one's, else null. The file system
// reads the disk's image, which must outlive it.
std::unique_ptr<TFileSystem> OpenCpm(const TDiskSectors& disk);
