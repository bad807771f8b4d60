#include "App_settingshandler.h"

#include "Rtl_paths.h"
#include "Rtl_texts.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* SettingsName = "Settings.ini";

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A folder made for the settings holds nothing for other users to read, as is usual for a
// configuration folder.
void CreateFolders(const std::string& folder) {
    if (folder.empty() || IsFolder(folder))
        return;
    size_t slash = folder.find('/', 1);
    for (;;) {
        const std::string prefix = folder.substr(0, slash);
        if (!IsFolder(prefix) && ::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            throw rtl::EIniFileError(rtl::Format(rtl::Tr("Cannot create folder \"%s\". %s"),
                                                 prefix.c_str(), std::strerror(errno)));
        if (slash == std::string::npos || slash + 1 >= folder.size())
            break;
        slash = folder.find('/', slash + 1);
    }
}

std::string ExecutablePath() {
    std::string path(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
        if (n < 0)
            return {};
        if (static_cast<size_t>(n) < path.size()) {
            path.resize(static_cast<size_t>(n));
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;
    std::string buffer(16384, '\0');
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 &&
        result != nullptr && result->pw_dir != nullptr)
        return result->pw_dir;
    return {};
}

} // namespace

std::string ChooseSettingsFileName(const std::string& executablePath, const char* configHome,
                                   const char* home) {
    const std::string folder = rtl::ExtractFilePath(executablePath);
    if (!folder.empty() && ::access(folder.c_str(), W_OK) == 0)
        return folder + SettingsName;
    // A relative $XDG_CONFIG_HOME is to be ignored by the XDG base directory rules.
    if (configHome != nullptr && configHome[0] == '/')
        return rtl::IncludeTrailingPathDelimiter(configHome) + "trackwell/" + SettingsName;
    if (home != nullptr && home[0] != '\0')
        return rtl::IncludeTrailingPathDelimiter(home) + ".config/trackwell/" + SettingsName;
    // Nowhere better to go: the executable's folder even though it refuses writes, so that
    // loading still works and saving says it failed.
    return rtl::ExpandFileName(folder + SettingsName);
}

const std::string& DefaultSettingsFileName() {
    static const std::string name = [] {
        const std::string home = HomeFolder();
        return ChooseSettingsFileName(ExecutablePath(), std::getenv("XDG_CONFIG_HOME"),
                                      home.c_str());
    }();
    return name;
}

std::string ChooseProgramDataFileName(const std::string& executablePath,
                                      const std::string& installedDataFolder,
                                      const std::string& name) {
    const std::string programFolder = rtl::ExtractFilePath(executablePath);
    const std::string besideProgram = programFolder + name;
    const bool relative = !installedDataFolder.empty() && installedDataFolder[0] != '/';
    // A relative folder needs the program's folder to start from, never the current one.
    if (rtl::FileOrFolderExists(besideProgram) || installedDataFolder.empty() ||
        (relative && programFolder.empty()))
        return besideProgram;
    const std::string folder =
        relative ? rtl::ExpandFileName(programFolder + installedDataFolder) : installedDataFolder;
    const std::string installed = rtl::IncludeTrailingPathDelimiter(folder) + name;
    return rtl::FileOrFolderExists(installed) ? installed : besideProgram;
}

std::string ProgramDataFileName(const std::string& name) {
#ifdef TRACKWELL_DATADIR
    const std::string installedDataFolder = TRACKWELL_DATADIR;
#else
    const std::string installedDataFolder;
#endif
    return ChooseProgramDataFileName(ExecutablePath(), installedDataFolder, name);
}

TSettingsHandler::TSettingsHandler() : FSettingsFileName(DefaultSettingsFileName()) {}

TSettingsHandler::TSettingsHandler(std::string settingsFileName)
    : FSettingsFileName(std::move(settingsFileName)) {}

void TSettingsHandler::LoadSettings(rtl::TMemIniFile&) {}

void TSettingsHandler::SaveSettings(rtl::TMemIniFile&) {}

void TSettingsHandler::Load() {
    if (!CanLoad())
        RaiseUnavailable();
    if (!rtl::FileOrFolderExists(FSettingsFileName))
        return;
    try {
        rtl::TMemIniFile file(FSettingsFileName);
        // By index: a handler may register another one while it loads.
        for (size_t i = 0; i < FHandlers.size(); ++i)
            FHandlers[i]->LoadSettings(file);
    } catch (const rtl::EIniFileError&) {
        throw EHandlerError(rtl::Tr("The program could not load the settings."));
    }
}

void TSettingsHandler::Save() {
    if (!CanSave())
        RaiseUnavailable();
    try {
        CreateFolders(rtl::ExtractFilePath(FSettingsFileName));
        rtl::TMemIniFile file(FSettingsFileName);
        for (size_t i = 0; i < FHandlers.size(); ++i)
            FHandlers[i]->SaveSettings(file);
        file.UpdateFile();
    } catch (const rtl::EIniFileError&) {
        throw EHandlerError(rtl::Tr("The program could not save the settings."));
    }
}
