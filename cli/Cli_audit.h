// The command of trackwell-cli that audits a collection: every disk image under folders and
// files, identified against the software lists, reported by title.
#pragma once

#include "Cli_arguments.h"

#include <iosfwd>

namespace cli {

// audit PATH... [--list PATH]... [--format text|tsv|json] [--missing-dat OUT] [--all]: exit
// status 0 when every title found is complete and every file was read, 1 otherwise.
int RunAudit(const TCommandLine& line, std::istream& in, std::ostream& out);

} // namespace cli
