// The Hu-BASIC disk file system of the X1: 2D disks (40 cylinders, 2 sides, 16 sectors of 256
// bytes) and 2HD disks (77 cylinders, 2 sides, 26 sectors of 256 bytes), one folder of files.
#pragma once

#include "App_filesystems.h"

#include <cstdint>
#include <memory>
#include <span>

// The file system of the disk when its structures are this one's, else null. The file system
// reads the disk's image, which must outlive it.
std::unique_ptr<TFileSystem> OpenHuBasic(const TDiskSectors& disk);
