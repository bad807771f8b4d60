// Loads and saves the settings of every registered handler through one settings file.
#pragma once

#include "App_handler.h"

#include <string>
#include <vector>

class TSettingsHandler : public THandler {
public:
    // Bound to DefaultSettingsFileName().
    TSettingsHandler();
    // Bound to another settings file, so that a run can keep its settings elsewhere.
    explicit TSettingsHandler(std::string settingsFileName);

    // The handlers whose settings are loaded and saved, in registration order; not owned.
    const std::vector<THandler*>& Handlers() const { return FHandlers; }
    void Register(THandler& handler) { FHandlers.push_back(&handler); }
    const std::string& SettingsFileName() const { return FSettingsFileName; }

    void LoadSettings(rtl::TMemIniFile& file) override;
    void SaveSettings(rtl::TMemIniFile& file) override;

    // Nothing is read when the file is missing. A failure of the settings file becomes
    // EHandlerError "The program could not load the settings."; a handler's own error passes
    // unchanged and the handlers after it are not loaded.
    virtual void Load();
    virtual bool CanLoad() const { return true; }
    // Reads the existing file first, so that what no handler wrote survives, and creates the
    // file's folder when it is missing. A failure of the settings file becomes EHandlerError
    // "The program could not save the settings."; other errors pass unchanged.
    virtual void Save();
    virtual bool CanSave() const { return true; }

private:
    std::string FSettingsFileName;
    std::vector<THandler*> FHandlers;
};

// "Settings.ini" in the executable's folder when that folder is writable, otherwise in
// $XDG_CONFIG_HOME/trackwell, or ~/.config/trackwell without it. Worked out at the first call
// and never again, so that the file does not follow any later change of the environment.
const std::string& DefaultSettingsFileName();

// The rule behind DefaultSettingsFileName with its inputs given: the path of the running
// executable ("" when unknown), $XDG_CONFIG_HOME and the home folder (null or "" when unset).
std::string ChooseSettingsFileName(const std::string& executablePath, const char* configHome,
                                   const char* home);

// A data file that ships with the program, such as "Presets.dat" or "Help/index.html": the one in
// the executable's folder when it is there, else the one in the installed data folder; when
// neither exists, the executable's folder, so that the failure names where it was looked for.
std::string ProgramDataFileName(const std::string& name);
// The rule behind ProgramDataFileName with its inputs given. A relative installed folder is
// taken from the executable's folder ("../share/trackwell" from ".../bin/").
std::string ChooseProgramDataFileName(const std::string& executablePath,
                                      const std::string& installedDataFolder,
                                      const std::string& name);
