// The commands of trackwell-cli that take images whole, from container to container or to files
// of other forms: list, blank, merge, extract, split, export, and forms, the list of the forms.
#pragma once

#include "App_diskimages.h"
#include "Cli_arguments.h"

#include <iosfwd>
#include <string>

namespace cli {

// The blank disk the arguments describe, checked in the order TYPE, C, H, R, N; rtl::Exception
// with the message of the first that is refused. blank's, and add-blank's too.
TDiskFormat ParseDiskFormat(const std::string& type, const std::string& c, const std::string& h,
                            const std::string& r, const std::string& n);

// list FILE: one line per image, ROW, name, write-protected, disk type, size.
int RunList(const TCommandLine& line, std::istream& in, std::ostream& out);
// blank OUT TYPE C H R N: a container of one blank formatted image.
int RunBlank(const TCommandLine& line, std::istream& in, std::ostream& out);
// merge OUT IN...: every image of every IN, in order, read before anything is written.
int RunMerge(const TCommandLine& line, std::istream& in, std::ostream& out);
// extract IN ROWS OUT: the given images, in ascending row order.
int RunExtract(const TCommandLine& line, std::istream& in, std::ostream& out);
// split IN [DIR]: each image to a file of its own, the paths printed once all are written.
int RunSplit(const TCommandLine& line, std::istream& in, std::ostream& out);
// forms: one line per form of disk file read.
int RunForms(const TCommandLine& line, std::istream& in, std::ostream& out);
// export IN ROWS OUT --as FORM: one row to OUT, several to numbered files in the folder OUT.
int RunExport(const TCommandLine& line, std::istream& in, std::ostream& out);

} // namespace cli
