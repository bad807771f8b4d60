#include "App_filehandler.h"

#include "App_handler.h"
#include "Rtl_paths.h"
#include "Vix_files.h"

std::string NormalizePath(const std::string& path) {
    if (IsRelativePath(path))
        throw EHandlerError("The program cannot accept files specified in a relative path.");
    return GetLongPath(rtl::ExpandFileName(path));
}

std::string MakeBackupPath(const std::string& path) {
    const std::string folder = rtl::ExtractFilePath(path);
    const std::string extension = rtl::ExtractFileExt(path);
    const std::string name = rtl::RemoveFileExt(rtl::ExtractFileName(path));
    return MakeUniquePath(folder + rtl::Format("[Backup] %s%s", name.c_str(), extension.c_str()),
                          !extension.empty());
}

std::string MakeUniquePath(const std::string& path, bool splitExtension) {
    if (!rtl::FileOrFolderExists(path))
        return path;
    const std::string base = splitExtension ? rtl::RemoveFileExt(path) : path;
    const std::string extension = splitExtension ? rtl::ExtractFileExt(path) : std::string();
    for (int n = 2; n <= 999; ++n) {
        std::string candidate = rtl::Format("%s (%d)%s", base.c_str(), n, extension.c_str());
        if (!rtl::FileOrFolderExists(candidate))
            return candidate;
    }
    throw EHandlerError("The program cannot create a unique path.");
}

std::string MakeMultipleFilesName(const std::string& baseName, int row,
                                  const std::string& fileSafeName, const std::string& extension) {
    return rtl::Format("%s #%03d (%s)%s", baseName.c_str(), row, fileSafeName.c_str(),
                       extension.c_str());
}
