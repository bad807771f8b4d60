#include "App_filenames.h"

#include "App_handler.h"
#include "Rtl_codepage.h"
#include "Rtl_paths.h"
#include "Rtl_texts.h"
#include "Vix_files.h"
#include "Vix_shelllinks.h"
#include "Vix_strings.h"

namespace {

bool IsShellLinkPath(const std::string& path) {
    std::string extension = rtl::ExtractFileExt(path);
    for (char& c : extension)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return extension == ".lnk";
}

} // namespace

std::string NormalizePath(const std::string& path) {
    if (IsRelativePath(path))
        throw EHandlerError(
            rtl::Tr("The program cannot accept files specified in a relative path."));
    std::string expanded = rtl::AbsoluteFileName(path);
    if (IsShellLinkPath(expanded)) {
        // The target as the shortcut stores it, even when it has moved since; the long form
        // below refuses one that is gone.
        TShellLink link;
        link.LoadFromFile(expanded);
        expanded = link.GetPath();
        // A target stored as a Windows path ("C:\\Games\\disk.d88") must not be looked up as
        // a name in the current folder.
        if (IsRelativePath(expanded))
            throw EFileError(rtl::Tr("The program could not get the long form of the path."));
    }
    return GetLongPath(expanded);
}

namespace {

// path itself for 1, else the number before the extension when splitExtension, else at the end.
std::string NumberedPath(const std::string& path, bool splitExtension, int number) {
    if (number == 1)
        return path;
    const std::string base = splitExtension ? rtl::RemoveFileExt(path) : path;
    const std::string extension = splitExtension ? rtl::ExtractFileExt(path) : std::string();
    return rtl::Format("%s (%d)%s", base.c_str(), number, extension.c_str());
}

constexpr int MaxPathNumber = 999;

std::string BackupBasePath(const std::string& path) {
    const std::string folder = rtl::ExtractFilePath(path);
    const std::string extension = rtl::ExtractFileExt(path);
    const std::string name = rtl::RemoveFileExt(rtl::ExtractFileName(path));
    return folder + rtl::Format("[Backup] %s%s", name.c_str(), extension.c_str());
}

// Names a complete file with the first of path's numbered forms that is free. A name seen taken
// is passed over; one taken between the look and the naming is caught by the naming itself,
// which never replaces.
std::string NameUniquely(rtl::TNewFileStream& file, const std::string& path, bool splitExtension,
                         bool later) {
    for (int number = 1; number <= MaxPathNumber; ++number) {
        const std::string candidate = NumberedPath(path, splitExtension, number);
        if (rtl::FileOrFolderExists(candidate))
            continue;
        try {
            if (later)
                file.CommitLater(candidate);
            else
                file.Commit(candidate);
            return candidate;
        } catch (const rtl::EFileExistsError&) {
        }
    }
    throw EHandlerError(rtl::Tr("The program cannot create a unique path."));
}

} // namespace

std::string MakeBackupPath(const std::string& path) {
    return MakeUniquePath(BackupBasePath(path), !rtl::ExtractFileExt(path).empty());
}

std::string BackUpFile(const std::string& path) {
    try {
        rtl::TFileStream source(path, rtl::TFileMode::OpenRead);
        const std::string backup = BackupBasePath(path);
        rtl::TNewFileStream copy(backup, rtl::TNaming::NoReplace);
        copy.SetPermissions(source.Permissions());
        copy.CopyFrom(source, 0);
        return NameUniquely(copy, backup, !rtl::ExtractFileExt(path).empty(), false);
    } catch (const rtl::EStreamError& e) {
        EHandlerError error(rtl::Tr("The program cannot create a backup of the document."));
        error.SetReason(e.Reason());
        throw error;
    }
}

std::string MakeUniquePath(const std::string& path, bool splitExtension) {
    for (int number = 1; number <= MaxPathNumber; ++number) {
        std::string candidate = NumberedPath(path, splitExtension, number);
        if (!rtl::FileOrFolderExists(candidate))
            return candidate;
    }
    throw EHandlerError(rtl::Tr("The program cannot create a unique path."));
}

std::string SaveToUniquePath(const TDiskImageList& images, const std::string& path,
                             bool splitExtension, rtl::TFileBatch& batch) {
    std::string taken;
    batch.Add(images.SaveToNewFile(path, rtl::TNaming::NoReplace, [&](rtl::TNewFileStream& file) {
        taken = NameUniquely(file, path, splitExtension, true);
    }));
    return taken;
}

std::string SaveToUniquePath(const TDiskImage& image, int row, TImageForm form,
                             const std::string& path, bool splitExtension, rtl::TFileBatch& batch) {
    std::string taken;
    batch.Add(SaveImageInFormToNewFile(image, row, form, path, rtl::TNaming::NoReplace,
                                       [&](rtl::TNewFileStream& file) {
                                           taken = NameUniquely(file, path, splitExtension, true);
                                       }));
    return taken;
}

std::string SaveToUniquePath(rtl::TFileStream& container, const TScannedImage& image,
                             const std::string& path, bool splitExtension, rtl::TFileBatch& batch) {
    std::string taken;
    batch.Add(SaveScannedImage(container, image, path, rtl::TNaming::NoReplace,
                               [&](rtl::TNewFileStream& file) {
                                   taken = NameUniquely(file, path, splitExtension, true);
                               }));
    return taken;
}

std::string MakeMultipleFilesName(const std::string& baseName, int row,
                                  const std::string& fileSafeName, const std::string& extension) {
    return rtl::Format("%s #%03d (%s)%s", baseName.c_str(), row, fileSafeName.c_str(),
                       extension.c_str());
}

std::string MultipleFilesPath(const std::string& folder, const std::string& documentName, int row,
                              const std::string& imageName) {
    // Made safe in code page 932, where a trail byte equal to a path character is known to
    // belong to its character; the file system then gets UTF-8.
    const std::string safeName = rtl::Cp932ToUtf8(MakeFileName(imageName, '_'));
    return rtl::IncludeTrailingPathDelimiter(folder) +
           MakeMultipleFilesName(rtl::RemoveFileExt(documentName), row, safeName,
                                 rtl::ExtractFileExt(documentName));
}
