// The Help menu: the local help page, opened in the user's browser after a confirmation, and
// the About box.
#pragma once

#include "App_dialogs.h"
#include "App_handler.h"

#include <string>

class THelpHandler : public THandler {
public:
    // The help page is DefaultHelpFileName() unless another is given.
    explicit THelpHandler(TUserInterface& userInterface);
    THelpHandler(TUserInterface& userInterface, std::string helpFileName);

    const std::string& HelpFileName() const { return FHelpFileName; }

    // Confirms, then opens the help page; EAbort when the user declines, EHandlerError "The
    // program could not open the help." when the desktop cannot open it.
    virtual void Contents();
    virtual bool CanContents() const { return true; }
    virtual void About();
    virtual bool CanAbout() const { return true; }

    void LoadSettings(rtl::TMemIniFile&) override {}
    void SaveSettings(rtl::TMemIniFile&) override {}

private:
    TUserInterface& FUserInterface;
    std::string FHelpFileName;
};

// "Help/index.html" beside the program, or in the installed data folder.
// The help page in language (an ISO 639 code such as "ja") when there is one, else in English.
std::string DefaultHelpFileName(const std::string& language = "en");
// "Trackwell" and the version, an empty line, the rights notice; lines end with CR LF.
std::string AboutText();
