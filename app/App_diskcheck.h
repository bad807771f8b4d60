// What a walk of an image's track table and sector headers finds wrong with it, and what
// identifies an image whatever its name: the digest of its track data, and the images of a list
// whose track data another one before them already has.
#pragma once

#include "App_diskimages.h"
#include "Rtl_hashes.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

enum class TSeverity { Error, Warning, Note };

// "error", "warning", "note".
std::string SeverityText(TSeverity severity);

struct TDiskFinding {
    TSeverity Severity;
    std::string Text;
    // The track table entry the finding is about, where the sector view shows it; -1 for the
    // image as a whole.
    int Entry = -1;
};

// The findings for the bytes of one image (its header and data, as its size field delimits it
// in a container), in a stable order: the header's, then each track's in table order, then the
// disk type's. An error is a structure a reader cannot follow; a warning is a field that
// disagrees with the others; a note is not a fault (sectors marked as copy protection marks
// them). Nothing outside image is read, and nothing is allocated in proportion to a field.
std::vector<TDiskFinding> CheckDiskImage(std::span<const uint8_t> image);
// Whether findings hold an error or a warning.
bool HasFault(const std::vector<TDiskFinding>& findings);

// The digest of everything after the first 32 bytes: name, write protection, disk type and size
// are left out, so a renamed or write-protected copy has the digest of its original.
std::string TrackDataDigest(std::span<const uint8_t> image, rtl::THashAlgorithm algorithm);

// The indexes, ascending, of the images whose bytes after the first 32 equal those of an image
// before them.
std::vector<int> DuplicateImages(const TDiskImageList& images);
