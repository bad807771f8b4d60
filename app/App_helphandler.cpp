#include "App_helphandler.h"

#include "App_settingshandler.h"
#include "Rtl_exceptions.h"
#include "Rtl_paths.h"
#include "Rtl_texts.h"

THelpHandler::THelpHandler(TUserInterface& userInterface)
    : THelpHandler(userInterface, DefaultHelpFileName()) {}

THelpHandler::THelpHandler(TUserInterface& userInterface, std::string helpFileName)
    : FUserInterface(userInterface), FHelpFileName(std::move(helpFileName)) {}

void THelpHandler::Contents() {
    if (!CanContents())
        RaiseUnavailable();
    // The page opens in another program, which the user may not expect of a Help command.
    if (FUserInterface.MessageBox(
            rtl::Tr("The program opens the help (a local file in the HTML format)."),
            FUserInterface.ApplicationTitle(), TMessageButtons::OKCancel,
            TMessageIcon::Warning) != idOK)
        rtl::Abort();
    if (!FUserInterface.OpenDocument(FHelpFileName))
        throw EHandlerError(rtl::Tr("The program could not open the help."));
}

void THelpHandler::About() {
    if (!CanAbout())
        RaiseUnavailable();
    FUserInterface.MessageBox(AboutText(), rtl::Tr("About"), TMessageButtons::OK,
                              TMessageIcon::None);
}

std::string DefaultHelpFileName(const std::string& language) {
    // A translated page sits in a folder of its language's code beside the English one, which
    // stands in for every language without one.
    if (!language.empty() && language != "en") {
        const std::string translated = ProgramDataFileName("Help/" + language + "/index.html");
        if (rtl::FileOrFolderExists(translated))
            return translated;
    }
    return ProgramDataFileName("Help/index.html");
}

std::string AboutText() {
    // No licence has been chosen for the program, so the notice grants nothing. Made on every
    // call, so that it follows the translator the window installs.
    return rtl::Format(
        "Trackwell %s\r\n\r\n%s", TRACKWELL_VERSION,
        rtl::Tr("Copyright (c) 2026 the Trackwell developers. All rights reserved."));
}
