// The commands of trackwell-cli that read the files on the disk of an image: which file system
// each image has, a folder's entries, and one file's bytes. The editing ones are Cli_edits'.
#pragma once

#include "Cli_arguments.h"

#include <iosfwd>

namespace cli {

// fs FILE [ROWS]: one line per image, ROW, file system (or -), files, free bytes.
int RunFs(const TCommandLine& line, std::istream& in, std::ostream& out);
// files FILE ROW [FOLDER]: one line per entry, NAME, SIZE, KIND, DETAILS.
int RunFiles(const TCommandLine& line, std::istream& in, std::ostream& out);
// get FILE ROW PATH [OUT]: the file's bytes to OUT, its name by default, - for standard output.
int RunGet(const TCommandLine& line, std::istream& in, std::ostream& out);

} // namespace cli
