#include "Cli_run.h"

#include "Cli_arguments.h"
#include "Cli_commands.h"
#include "Cli_outputs.h"
#include "Rtl_sysio.h"

#include <istream>
#include <new>
#include <ostream>
#include <streambuf>
#include <string_view>
#include <unistd.h>

namespace cli {

namespace {

constexpr const char* ProgramName = "trackwell-cli";

// What the usage text says beneath the commands, of all of them.
constexpr std::string_view UsageNotes =
    "ROWS are rows from 1, comma-separated, with ranges: 1,3-5.\n"
    "list and names print a control character (0x00-0x1F, 0x7F) in a name as \\xNN, NN two\n"
    "upper-case hex digits, and a backslash as \\\\; paste-names reads both back (hex digits\n"
    "in either case, \\x00 to \\x7F) and refuses any other backslash.\n"
    "IN of merge and add may be a container, an FDI or DIM file, or a plain sector dump\n"
    "whose size gives its geometry from Presets.dat; where several presets have that\n"
    "size, --format NAME names the preset.\n"
    "Without --force an existing OUT is never replaced.\n"
    "An editing command that fails leaves FILE as it was. --backup first copies FILE to\n"
    "\"[Backup] NAME\" beside it, numbered so that no earlier backup is replaced.\n"
    "Options may stand anywhere after the command; -- ends the options.\n"
    "  trackwell-cli --help   Print this text.\n";

// The usage lines and help of the commands that are editing ones, or of the others.
std::string CommandsText(bool editing) {
    std::string text;
    for (const TCommand& command : Commands()) {
        if (command.Editing != editing)
            continue;
        text += "  " + Synopsis(command) + '\n';
        std::string_view help = command.Help;
        for (;;) {
            const size_t end = help.find('\n');
            text.append("      ").append(help.substr(0, end)).append("\n");
            if (end == std::string_view::npos)
                break;
            help.remove_prefix(end + 1);
        }
    }
    return text;
}

// The text shown by --help and after every usage error.
const std::string& UsageText() {
    static const std::string text = "Usage: trackwell-cli COMMAND [ARGUMENTS] [OPTIONS]\n"
                                    "\n"
                                    "Commands:\n" +
                                    CommandsText(false) +
                                    "\n"
                                    "Editing commands (FILE is changed in place):\n" +
                                    CommandsText(true) + "\n" + std::string(UsageNotes);
    return text;
}

int Dispatch(const std::vector<std::string>& args, std::istream& in, std::ostream& out) {
    const TCommandLine line = ParseCommandLine(args, Commands());
    if (line.Help) {
        WriteOutput(out, UsageText());
        return ExitSuccess;
    }
    return line.Command->Handler(line, in, out);
}

// Decided from the command's name alone, since the line that names it may be what failed.
int FailureExitCode(const std::vector<std::string>& args) {
    const TCommand* command = args.empty() ? nullptr : FindCommand(Commands(), args[0]);
    return command != nullptr ? command->FailureExitCode : ExitFailure;
}

void WriteError(std::ostream& err, const std::string& message) {
    err << ProgramName << ": " << message << '\n';
    err.flush();
}

// Where WriteNote writes while a command runs.
std::ostream* NoteStream = nullptr;

class TNoteStreamScope {
public:
    explicit TNoteStreamScope(std::ostream& err) : FPrevious(std::exchange(NoteStream, &err)) {}
    TNoteStreamScope(const TNoteStreamScope&) = delete;
    TNoteStreamScope& operator=(const TNoteStreamScope&) = delete;
    ~TNoteStreamScope() { NoteStream = FPrevious; }

private:
    std::ostream* FPrevious;
};

// The process's standard input, read only as far as asked. std::cin takes a failed read for the
// end of the input; here it raises, which the stream turns into its bad state, so that a command
// can tell input it could not read from input that has ended.
class TStandardInputBuffer : public std::streambuf {
protected:
    int_type underflow() override {
        const ssize_t count = rtl::ReadSome(STDIN_FILENO, FBuffer, sizeof FBuffer);
        if (count < 0)
            throw rtl::Exception("The program could not read standard input.");
        if (count == 0)
            return traits_type::eof();
        setg(FBuffer, FBuffer, FBuffer + count);
        return traits_type::to_int_type(FBuffer[0]);
    }

private:
    char FBuffer[4096];
};

} // namespace

void WriteNote(const std::string& note) {
    if (NoteStream != nullptr)
        WriteError(*NoteStream, note);
}

int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err) {
    const TNoteStreamScope notes(err);
    try {
        return Dispatch(args, in, out);
    } catch (const EUsageError&) {
        err << UsageText();
        err.flush();
        return ExitUsage;
    } catch (const rtl::Exception& e) {
        WriteError(err, e.Message());
        // Beneath the program's sentence, the system's word on what went wrong and where.
        if (!e.Reason().empty())
            WriteError(err, e.Reason());
    } catch (const std::bad_alloc&) {
        WriteError(err, "Out of memory.");
    } catch (const std::exception& e) {
        WriteError(err, e.what());
    }
    return FailureExitCode(args);
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TStandardInputBuffer buffer;
    std::istream in(&buffer);
    return Run(args, in, out, err);
}

} // namespace cli
