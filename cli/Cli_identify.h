// The commands of trackwell-cli that tell what each image of a file is: whether a reader can
// follow its tracks (check), the digest of its track data (hash), how many bytes the images take
// (sum), and which disk of the software lists it is (identify).
#pragma once

#include "Cli_arguments.h"

#include <iosfwd>

namespace cli {

// check FILE [ROWS]: one line per finding, ROW, severity, text; exit status 1 for a fault.
int RunCheck(const TCommandLine& line, std::istream& in, std::ostream& out);
// hash FILE [ROWS] [--algorithm NAME]: one line per image, ROW, digest, name.
int RunHash(const TCommandLine& line, std::istream& in, std::ostream& out);
// sum FILE [ROWS]: the total size of the images.
int RunSum(const TCommandLine& line, std::istream& in, std::ostream& out);
// identify FILE [ROWS] [--list PATH]...: one line per disk an image is; exit status 1 for an
// image that is none.
int RunIdentify(const TCommandLine& line, std::istream& in, std::ostream& out);

} // namespace cli
