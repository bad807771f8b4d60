// One run of trackwell-cli: the command line read against the table of commands, the command
// run, and whatever went wrong turned into the usage text or a message and an exit code.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

// Runs one command line (without the program name). Input comes from in, results go to out, the
// usage text and messages to err; returns the exit code. Never throws.
int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err);
// Run with the process's standard input.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Tells the user, on the standard error of the run under way beside its errors, what a command
// did that the output does not show: what an input held that its images cannot.
void WriteNote(const std::string& note);

} // namespace cli
