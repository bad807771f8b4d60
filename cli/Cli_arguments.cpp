#include "Cli_arguments.h"

#include "App_diskformats.h"

namespace cli {

namespace {

struct TOptionRule {
    TOption Option;
    std::string_view Name;
    // What the usage line shows for the value; empty for an option that takes none.
    std::string_view Value;
    // Left out, it is a usage error for a command that takes it.
    bool Required;
    // Where the line keeps the option: a switch or a value, whichever it is.
    bool TCommandLine::*Switch;
    std::optional<std::string> TCommandLine::*Text;
    // Where a repeatable option's values go; the usage line shows "..." after it.
    std::vector<std::string> TCommandLine::*Texts = nullptr;
};

// The forms --as names, as the forms' table has them.
const std::string AsValues = CliFormNames("|");

// In the order of TOption, which is the usage lines' order.
const TOptionRule OptionRules[] = {
    {OptionName, "--name", "NAME", false, nullptr, &TCommandLine::Name},
    {OptionWriteProtected, "--write-protected", "", false, &TCommandLine::WriteProtected, nullptr},
    {OptionFormat, "--format", "NAME", false, nullptr, &TCommandLine::Format},
    {OptionAs, "--as", AsValues, true, nullptr, &TCommandLine::As},
    {OptionAlgorithm, "--algorithm", "crc32|md5|sha1", false, nullptr, &TCommandLine::Algorithm},
    {OptionForce, "--force", "", false, &TCommandLine::Force, nullptr},
    {OptionBackup, "--backup", "", false, &TCommandLine::Backup, nullptr},
    {OptionList, "--list", "PATH", false, nullptr, nullptr, &TCommandLine::Lists},
    {OptionRecursive, "--recursive", "", false, &TCommandLine::Recursive, nullptr},
    // The audit's report; no command takes both this and the dumps' --format.
    {OptionReportFormat, "--format", "text|tsv|json", false, nullptr, &TCommandLine::ReportFormat},
    {OptionMissingDat, "--missing-dat", "OUT", false, nullptr, &TCommandLine::MissingDat},
    {OptionAll, "--all", "", false, &TCommandLine::All, nullptr},
    {OptionHex, "--hex", "", false, &TCommandLine::Hex, nullptr},
};

constexpr size_t Unlimited = static_cast<size_t>(-1);

struct TArgumentCounts {
    size_t Min = 0;
    size_t Max = 0;
};

TArgumentCounts CountArguments(std::string_view synopsis) {
    TArgumentCounts counts;
    size_t position = 0;
    while (position < synopsis.size()) {
        const size_t space = synopsis.find(' ', position);
        const std::string_view word = synopsis.substr(
            position, space == std::string_view::npos ? std::string_view::npos : space - position);
        position = space == std::string_view::npos ? synopsis.size() : space + 1;
        if (word.empty())
            continue;
        const bool optional = word.starts_with('[');
        const bool repeated = (optional ? word.substr(0, word.size() - 1) : word).ends_with("...");
        if (!optional)
            ++counts.Min;
        if (counts.Max != Unlimited)
            counts.Max = repeated ? Unlimited : counts.Max + 1;
    }
    return counts;
}

// A leading '-' followed by a digit or '$' is a negative number, not an option: without this
// rule `blank OUT 2D -1 ...` would be a usage error instead of the C value's own refusal.
bool IsOption(const std::string& arg) {
    if (arg.size() < 2 || arg[0] != '-')
        return false;
    const char next = arg[1];
    return !((next >= '0' && next <= '9') || next == '$');
}

bool IsHelp(const std::string& arg) {
    return arg == "--help" || arg == "-h";
}

// The rule of an option the command takes; nullptr for any other word.
const TOptionRule* AllowedOption(const std::string& arg, unsigned allowed) {
    for (const TOptionRule& rule : OptionRules)
        if (arg == rule.Name && (allowed & rule.Option) != 0)
            return &rule;
    return nullptr;
}

} // namespace

const TCommand* FindCommand(std::span<const TCommand> commands, std::string_view name) {
    for (const TCommand& command : commands)
        if (name == command.Name)
            return &command;
    return nullptr;
}

TCommandLine ParseCommandLine(const std::vector<std::string>& args,
                              std::span<const TCommand> commands) {
    TCommandLine line;
    if (args.empty())
        throw EUsageError("no command");
    if (IsHelp(args[0])) {
        line.Help = true;
        return line;
    }
    line.Command = FindCommand(commands, args[0]);
    if (line.Command == nullptr)
        throw EUsageError("unknown command");

    const unsigned allowed = line.Command->Options;
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || !IsOption(arg)) {
            line.Arguments.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (IsHelp(arg)) {
            line.Help = true;
            return line;
        } else if (const TOptionRule* rule = AllowedOption(arg, allowed)) {
            if (rule->Switch != nullptr) {
                line.*rule->Switch = true;
            } else {
                if (i + 1 >= args.size())
                    throw EUsageError("missing option value");
                if (rule->Texts != nullptr)
                    (line.*rule->Texts).push_back(args[++i]);
                else
                    line.*rule->Text = args[++i];
            }
        } else {
            throw EUsageError("unknown option");
        }
    }
    const TArgumentCounts counts = CountArguments(line.Command->Arguments);
    const size_t count = line.Arguments.size();
    if (count < counts.Min || count > counts.Max)
        throw EUsageError("wrong argument count");
    for (const TOptionRule& rule : OptionRules)
        if (rule.Required && (allowed & rule.Option) != 0 && !(line.*rule.Text))
            throw EUsageError("missing required option");
    return line;
}

std::string Synopsis(const TCommand& command) {
    std::string text(command.Name);
    if (!command.Arguments.empty())
        text.append(" ").append(command.Arguments);
    for (const TOptionRule& rule : OptionRules) {
        if ((command.Options & rule.Option) == 0)
            continue;
        std::string option(rule.Name);
        if (!rule.Value.empty())
            option.append(" ").append(rule.Value);
        text += rule.Required ? " " + option : " [" + option + "]";
        if (rule.Texts != nullptr)
            text += "...";
    }
    if (!command.Input.empty())
        text.append(" ").append(command.Input);
    return text;
}

} // namespace cli
