// An audit of a collection: every disk image in the files under some folders, identified against
// the catalog of software lists, and what that says of each title: complete, or which of its
// disks are missing; the disks found in more than one place; the images no list knows; the files
// that could not be read. Reports for people (text), scripts (tab-separated) and tools (JSON),
// and a DAT of the missing disks that the catalog reads back.
#pragma once

#include "App_diskformats.h"
#include "App_softwarelists.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Where an image is: its file and its row there, from 1.
struct TAuditPlace {
    std::string File;
    int Row = 0;
    bool operator==(const TAuditPlace&) const = default;
};

// A title of the lists and each of its disks, in list order, with the places it was found; a
// disk found nowhere is missing.
struct TAuditTitle {
    uint32_t Software = 0;
    std::vector<std::pair<uint32_t, std::vector<TAuditPlace>>> Disks;
    bool Complete() const;
};

struct TAuditDuplicate {
    uint32_t Disk = 0;
    std::vector<TAuditPlace> Places;
};

struct TAuditUnknown {
    TAuditPlace Place;
    // The image's name (UTF-8).
    std::string Name;
};

struct TAuditUnreadable {
    std::string File;
    std::string Message;
};

struct TAuditReport {
    // In the catalog's order.
    std::vector<TAuditTitle> Titles;
    std::vector<TAuditDuplicate> Duplicates;
    // In file and row order, as are the unreadable files.
    std::vector<TAuditUnknown> Unknown;
    std::vector<TAuditUnreadable> Unreadable;
    size_t Files = 0;
    size_t Images = 0;
    // Every title found complete and every file read.
    bool Clean() const;
};

// The files an audit of paths reads: each file given, and each file under a folder given (its
// sub-folders too; links to folders are not followed) whose extension is a disk form's; sorted,
// each once. Raises rtl::Exception for a path that is neither.
std::vector<std::string> AuditFiles(const std::vector<std::string>& paths);

// Told how many files are done, from the calling thread, after each one and now and then while
// one takes long; false stops the audit.
using TAuditProgress = std::function<bool(size_t done, size_t total)>;

// Reads and identifies the images of files, two files at a time, the report in files' order
// whatever the order they were read in. Titles are those with a disk found, or every title of
// the catalog with all. Raises EAbort once progress said stop, when the files being read are.
TAuditReport Audit(const TSoftwareCatalog& catalog, const std::vector<std::string>& files,
                   const TFormatSource& source, bool all, const TAuditProgress& progress = {});

// The report for people: a line per title, its missing disks under it, the duplicates, the
// unknown images and the unreadable files, and a summary line.
std::string AuditText(const TSoftwareCatalog& catalog, const TAuditReport& report);
// A line per fact, its kind first: title, disk, duplicate, unknown, unreadable (tab-separated).
std::string AuditTsv(const TSoftwareCatalog& catalog, const TAuditReport& report);
// An object with titles, duplicates, unknown and unreadable.
std::string AuditJson(const TSoftwareCatalog& catalog, const TAuditReport& report);
// "N files, N images: N titles complete, ..." in the user's language.
std::string AuditSummary(const TAuditReport& report);

// One line of the report as the window lists it: a title complete or incomplete (Disks naming
// the missing ones), a disk found in several places (Disks naming it), an unknown image (Title
// its name) or an unreadable file (Title the message).
enum class TAuditLineKind { Complete, Incomplete, Duplicate, Unknown, Unreadable };
struct TAuditLine {
    TAuditLineKind Kind = TAuditLineKind::Complete;
    std::string Title;
    std::string Disks;
    // "list/software"; empty for a line of no title.
    std::string Software;
    // Where the line's disks are, each place's file below the folder audited.
    std::string Where;
    // Where opening the line goes: the first place; Row 0 for a file alone.
    TAuditPlace Place;
};
// The report's lines in its order: titles, duplicates, unknown images, unreadable files.
std::vector<TAuditLine> AuditLines(const TSoftwareCatalog& catalog, const TAuditReport& report,
                                   const std::string& folder);

// A Logiqx DAT of exactly the missing disks of the incomplete titles.
std::string MissingDat(const TSoftwareCatalog& catalog, const TAuditReport& report);
