// How a command of trackwell-cli is declared and how a command line is read against the
// declarations: the options, the argument counts and the line the usage text shows for each. Which
// commands there are is the table's business (Cli_commands.h), not this unit's.
#pragma once

#include "Rtl_exceptions.h"

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

constexpr int ExitSuccess = 0;
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

// Raised for a command line that does not follow the usage text; it is answered with the usage
// text rather than a message, so it carries none worth showing.
RTL_DECLARE_EXCEPTION(EUsageError, rtl::Exception);

// The options a command may take, in the order its usage line shows them; anything else is a
// usage error for it.
enum TOption : unsigned {
    OptionName = 1,
    OptionWriteProtected = 2,
    OptionFormat = 4,
    OptionAs = 8,
    OptionAlgorithm = 16,
    OptionForce = 32,
    OptionBackup = 64,
    OptionList = 128,
    OptionRecursive = 256,
    OptionReportFormat = 512,
    OptionMissingDat = 1024,
    OptionAll = 2048,
    OptionHex = 4096,
};

struct TCommandLine;

// Runs a command whose line has been read; returns the exit code. Input comes from in, results go
// to out; a failure raises.
using TCommandHandler = int (*)(const TCommandLine& line, std::istream& in, std::ostream& out);

struct TCommand {
    std::string_view Name;
    // The arguments as the usage line shows them, and the only statement of how many a command
    // line may give: a word in brackets may be left out, one ending in "..." may be repeated.
    std::string_view Arguments;
    // TOption flags.
    unsigned Options = 0;
    // The help beneath the usage line; '\n' separates its lines.
    std::string_view Help;
    // Listed apart from the others, as a command that works on FILE through the editor's document.
    bool Editing = false;
    // The exit code of a command that fails rather than being misused.
    int FailureExitCode = ExitFailure;
    TCommandHandler Handler = nullptr;
    // What the command reads from standard input, shown after the options; empty for nothing.
    // Last, so that the entries of the commands that read nothing can leave it out.
    std::string_view Input = {};
};

struct TCommandLine {
    // Null only when Help is set.
    const TCommand* Command = nullptr;
    std::vector<std::string> Arguments;
    bool Help = false;
    bool Force = false;
    bool WriteProtected = false;
    bool Backup = false;
    bool Recursive = false;
    bool All = false;
    bool Hex = false;
    std::optional<std::string> ReportFormat;
    std::optional<std::string> MissingDat;
    std::optional<std::string> Name;
    std::optional<std::string> Format;
    std::optional<std::string> As;
    std::optional<std::string> Algorithm;
    // Every --list, in order: an option that may be given again and again.
    std::vector<std::string> Lists;
};

// The command of commands called name; nullptr for none.
const TCommand* FindCommand(std::span<const TCommand> commands, std::string_view name);

// A command line (without the program name) read against commands. EUsageError for an unknown
// command or option, a missing option value, an argument count outside the command's or a missing
// required option. Help is set, and nothing else checked, for --help or -h among the options.
TCommandLine ParseCommandLine(const std::vector<std::string>& args,
                              std::span<const TCommand> commands);

// The command's line of the usage text, without its indentation: name, arguments, options, input.
std::string Synopsis(const TCommand& command);

} // namespace cli
