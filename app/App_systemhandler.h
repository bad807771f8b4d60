// Carries the process's current folder from one run to the next: the file dialogs start where
// the user worked last.
#pragma once

#include "App_handler.h"

class TSystemHandler : public THandler {
public:
    // The current folder, quoted, under "SystemHandler" / "CurrentDirectory". A folder that no
    // longer exists is ignored; a value that is not quoted raises "The program cannot dequote
    // the string.".
    void LoadSettings(rtl::TMemIniFile& settings) override;
    void SaveSettings(rtl::TMemIniFile& settings) override;
};
