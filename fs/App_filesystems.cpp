#include "App_filesystems.h"

#include "App_cpmfs.h"
#include "App_fatfs.h"
#include "App_fbasicfs.h"
#include "App_hubasicfs.h"
#include "App_mzfs.h"
#include "App_n88fs.h"

#include "Rtl_codepage.h"
#include "Rtl_texts.h"

#include <algorithm>

const char* const NoFileMessage = rtl::TrNoop("The disk has no file \"%s\".");
const char* const NoFolderMessage = rtl::TrNoop("The disk has no folder \"%s\".");
const char* const DamagedDiskMessage =
    rtl::TrNoop("The program cannot change the files of this disk: %s.");
const char* const ReadOnlyFileSystemMessage =
    rtl::TrNoop("The program cannot change the files of a %s disk.");
const char* const DiskFullMessage =
    rtl::TrNoop("The file \"%s\" (%s bytes) does not fit the free space of the disk (%s bytes).");
const char* const NoFoldersMessage =
    rtl::TrNoop("The %s file system has no folders: it keeps every file in one.");

namespace {

[[noreturn]] void RefuseReadOnly(const TFileSystem& fs) {
    throw EFileSystemError(rtl::Format(rtl::Tr(ReadOnlyFileSystemMessage), fs.Name().c_str()));
}

} // namespace

std::vector<uint8_t> TFileSystem::PutFile(std::string_view, std::span<const uint8_t>,
                                          const std::optional<rtl::TLocalTime>&) const {
    RefuseReadOnly(*this);
}

std::vector<uint8_t> TFileSystem::MakeFolder(std::string_view,
                                             const std::optional<rtl::TLocalTime>&) const {
    if (!CanWrite())
        RefuseReadOnly(*this);
    throw EFileSystemError(rtl::Format(rtl::Tr(NoFoldersMessage), Name().c_str()));
}

std::vector<uint8_t> TFileSystem::Delete(std::span<const std::string>) const {
    RefuseReadOnly(*this);
}

std::vector<uint8_t> TFileSystem::Rename(std::string_view, std::string_view) const {
    RefuseReadOnly(*this);
}

void CheckChangeable(const TFileSystem& fs) {
    if (!fs.CanWrite())
        RefuseReadOnly(fs);
    const std::string damage = fs.Damage();
    if (!damage.empty())
        throw EFileSystemError(rtl::Format(rtl::Tr(DamagedDiskMessage), damage.c_str()));
}

std::vector<std::string> SplitFilePath(std::string_view path) {
    std::vector<std::string> parts;
    size_t begin = 0;
    while (begin <= path.size()) {
        size_t end = path.find('/', begin);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > begin)
            parts.emplace_back(path.substr(begin, end - begin));
        begin = end + 1;
    }
    return parts;
}

std::unique_ptr<TFileSystem> OpenFileSystem(std::span<const uint8_t> image) {
    // The file systems whose structures say most about themselves first: a FAT boot sector and
    // the BASICs' tables are checked field by field, CP/M's directory only for consistency.
    const TDiskSectors disk(image);
    for (const auto open : {OpenFat12, OpenN88Basic, OpenHuBasic, OpenFBasic, OpenMzBasic, OpenCpm})
        if (std::unique_ptr<TFileSystem> fs = open(disk))
            return fs;
    return nullptr;
}
