// The N88-BASIC and N-BASIC disk file system of the PC-88 and PC-98: one system track holding
// the directory, the ID sector and three copies of an 8-bit allocation table, on 2D, 2DD and
// 2HD disks.
#pragma once

#include "App_filesystems.h"

#include <cstdint>
#include <memory>
#include <span>

// The file system of the disk when its structures are this one's, else null. The file system
// reads the disk's image, which must outlive it.
std::unique_ptr<TFileSystem> OpenN88Basic(const TDiskSectors& disk);
