#include "Cli_outputs.h"

#include "Rtl_exceptions.h"
#include "Rtl_filewriter.h"
#include "Rtl_paths.h"

#include <ostream>

namespace cli {

// Results are gathered first and written at once, so that a failure to write them is found
// and reported with the exit code instead of passing unnoticed.
void WriteOutput(std::ostream& out, const std::string& text) {
    out << text;
    out.flush();
    if (!out)
        throw rtl::Exception("The program could not write to standard output.");
}

void RaiseOverwrite(const std::string& path) {
    throw rtl::Exception(
        rtl::Format("The program cannot overwrite the file \"%s\".", path.c_str()));
}

// Refuses early, before any work, what the final naming would refuse anyway.
void CheckOverwrite(const std::string& path, bool force) {
    if (!force && rtl::FileOrFolderExists(path))
        RaiseOverwrite(path);
}

void WriteNewFile(const std::string& path, std::span<const uint8_t> data, bool force) {
    rtl::TNewFileStream file(path, force ? rtl::TNaming::Replace : rtl::TNaming::NoReplace);
    file.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
    try {
        file.Commit(path);
    } catch (const rtl::EFileExistsError&) {
        RaiseOverwrite(path);
    }
}

} // namespace cli
