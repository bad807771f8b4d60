#include "App_systemhandler.h"

#include "Rtl_paths.h"
#include "Vix_strings.h"

namespace {

const char* const SectionName = "SystemHandler";
const char* const CurrentDirectoryKey = "CurrentDirectory";

// Quoted, so that the blanks at either end of a folder's name survive the settings file, which
// trims its values.
std::string QuotedCurrentDir() {
    return QuoteString(rtl::GetCurrentDir(), '"');
}

} // namespace

void TSystemHandler::LoadSettings(rtl::TMemIniFile& settings) {
    THandlerChange change(*this);
    const std::string value =
        settings.ReadString(SectionName, CurrentDirectoryKey, QuotedCurrentDir());
    // A folder removed since the last run is no reason to bother the user: the dialogs simply
    // start where the program was started.
    rtl::SetCurrentDir(DequoteString(value, '"'));
}

void TSystemHandler::SaveSettings(rtl::TMemIniFile& settings) {
    THandlerChange change(*this);
    settings.WriteString(SectionName, CurrentDirectoryKey, QuotedCurrentDir());
}
