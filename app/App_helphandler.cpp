#include "App_helphandler.h"

#include "App_settingshandler.h"
#include "Rtl_exceptions.h"

THelpHandler::THelpHandler(TUserInterface& userInterface)
    : THelpHandler(userInterface, DefaultHelpFileName()) {}

THelpHandler::THelpHandler(TUserInterface& userInterface, std::string helpFileName)
    : FUserInterface(userInterface), FHelpFileName(std::move(helpFileName)) {}

void THelpHandler::Contents() {
    if (!CanContents())
        RaiseUnavailable();
    // The page opens in another program, which the user may not expect of a Help command.
    if (FUserInterface.MessageBox("The program opens the help (a local file in the HTML format).",
                                  FUserInterface.ApplicationTitle(), TMessageButtons::OKCancel,
                                  TMessageIcon::Warning) != idOK)
        rtl::Abort();
    if (!FUserInterface.OpenDocument(FHelpFileName))
        throw EHandlerError("The program could not open the help.");
}

void THelpHandler::About() {
    if (!CanAbout())
        RaiseUnavailable();
    FUserInterface.MessageBox(AboutText(), "About", TMessageButtons::OK, TMessageIcon::None);
}

std::string DefaultHelpFileName() {
    return ProgramDataFileName("Help/index.html");
}

const std::string& AboutText() {
    // No licence has been chosen for the program, so the notice grants nothing.
    static const std::string text = std::string("Trackwell ") + TRACKWELL_VERSION +
                                    "\r\n\r\nCopyright (c) 2026 the Trackwell developers. All "
                                    "rights reserved.";
    return text;
}
