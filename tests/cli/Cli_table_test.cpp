// The manual page and the bash completion against the table of commands, as the program shows
// the table in --help: every command and only those, each with its own options. The lists are
// read from --help, never written here, so a command or option added to the table fails these
// cases until both documents have it.
#include "CliRunner.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using clitest::RunCli;
using clitest::TRunResult;

struct TOptionUse {
    std::string Name;
    // As the usage line shows it: a placeholder or the words it may be; empty for a switch.
    std::string Value;
};

struct TCommandUse {
    // The usage line without its indentation.
    std::string Synopsis;
    std::string Name;
    std::vector<std::string> Arguments;
    std::vector<TOptionUse> Options;
    bool Editing = false;
};

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    for (;;) {
        const size_t end = text.find(separator);
        parts.emplace_back(text.substr(0, end));
        if (end == std::string_view::npos)
            return parts;
        text.remove_prefix(end + 1);
    }
}

bool IsOptionWord(const std::string& word) {
    return word.starts_with("--") || word.starts_with("[--");
}

// "protect FILE ROWS yes|no|toggle [--backup]" into its parts. An option's value is the word
// after it, inside its brackets when it has them.
TCommandUse ReadSynopsis(const std::string& synopsis, bool editing) {
    TCommandUse command;
    command.Synopsis = synopsis;
    command.Editing = editing;
    const std::vector<std::string> words = Split(synopsis, ' ');
    command.Name = words[0];
    size_t i = 1;
    for (; i < words.size() && !IsOptionWord(words[i]) && words[i] != "<"; ++i)
        command.Arguments.push_back(words[i]);
    for (; i < words.size() && IsOptionWord(words[i]); ++i) {
        const bool bracketed = words[i].starts_with('[');
        std::string name = words[i].substr(bracketed ? 1 : 0);
        TOptionUse option;
        if (name.ends_with(']')) {
            name.pop_back();
        } else if (i + 1 < words.size() && !IsOptionWord(words[i + 1]) && words[i + 1] != "<") {
            option.Value = words[++i];
            // A repeatable option: "[--list PATH]...".
            if (option.Value.ends_with("]..."))
                option.Value.resize(option.Value.size() - 3);
            if (bracketed && option.Value.ends_with(']'))
                option.Value.pop_back();
        }
        option.Name = name;
        command.Options.push_back(option);
    }
    return command;
}

// The commands of --help in its order: the indented lines beneath each heading that ends in a
// colon, up to the blank line after them, those beneath the editing heading marked as such.
std::vector<TCommandUse> ReadUsage() {
    const TRunResult help = RunCli({"--help"});
    EXPECT_EQ(help.ExitCode, 0);
    std::vector<TCommandUse> commands;
    bool listing = false;
    bool editing = false;
    for (const std::string& line : Split(help.Out, '\n')) {
        if (line.empty()) {
            listing = false;
        } else if (!line.starts_with(' ') && line.ends_with(':')) {
            listing = true;
            editing = line.starts_with("Editing commands");
        } else if (listing && line.starts_with("  ") && line[2] != ' ') {
            commands.push_back(ReadSynopsis(line.substr(2), editing));
        }
    }
    return commands;
}

const std::vector<TCommandUse>& UsageCommands() {
    static const std::vector<TCommandUse> commands = ReadUsage();
    return commands;
}

// Every option any command takes, each once, with the value it is shown with.
std::map<std::string, std::string> AllOptions() {
    std::map<std::string, std::string> options;
    for (const TCommandUse& command : UsageCommands())
        for (const TOptionUse& option : command.Options)
            options[option.Name] = option.Value;
    return options;
}

bool Takes(const TCommandUse& command, const std::string& optionName) {
    for (const TOptionUse& option : command.Options)
        if (option.Name == optionName)
            return true;
    return false;
}

// The words a completion offers for a value or argument shown as "a|b|c"; none for a
// placeholder such as NAME or ROWS.
std::vector<std::string> WordsOf(const std::string& shown) {
    if (shown.find('|') == std::string::npos)
        return {};
    return Split(shown, '|');
}

// A word that stands for shown on a command line: its first word, or any text for a
// placeholder.
std::string Stand(const std::string& shown) {
    const std::vector<std::string> words = WordsOf(shown);
    return words.empty() ? "x" : words[0];
}

// ---------------------------------------------------------------------------------------------
// The manual page, read as man shows its text: the fonts left out.

// The text of a piece of roff as the page shows it.
std::string RoffText(std::string_view text) {
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            shown += text[i];
            continue;
        }
        const char escape = text[++i];
        if (escape == 'f') {
            ++i;
        } else if (escape == '(' && i + 2 < text.size()) {
            const std::string_view glyph = text.substr(i + 1, 2);
            shown += glyph == "dq" ? "\"" : glyph == "rs" ? "\\" : "?";
            i += 2;
        } else if (escape == '~') {
            shown += ' ';
        } else if (escape != '&') {
            shown += escape;
        }
    }
    return shown;
}

// One source line as the page shows it. A font request's words are joined with spaces (.B, .I)
// or run together (.BI, .RB and the like), a quoted word running to the next quote; other
// requests show nothing.
std::string ManLineText(const std::string& line) {
    if (!line.starts_with('.'))
        return RoffText(line);
    const size_t space = line.find(' ');
    const std::string request = line.substr(0, space);
    const bool alternating = request.size() == 3;
    if (request != ".B" && request != ".I" &&
        !(alternating && std::string("BIR").find(request[1]) != std::string::npos &&
          std::string("BIR").find(request[2]) != std::string::npos))
        return "";
    std::vector<std::string> words;
    const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    for (size_t i = 0; i < rest.size();) {
        if (rest[i] == ' ') {
            ++i;
        } else if (rest[i] == '"') {
            const size_t end = rest.find('"', i + 1);
            words.push_back(rest.substr(i + 1, end == std::string::npos ? end : end - i - 1));
            i = end == std::string::npos ? rest.size() : end + 1;
        } else {
            const size_t end = rest.find(' ', i);
            words.push_back(rest.substr(i, end == std::string::npos ? end : end - i));
            i = end == std::string::npos ? rest.size() : end;
        }
    }
    std::string text;
    for (const std::string& word : words) {
        if (!alternating && !text.empty())
            text += ' ';
        text += RoffText(word);
    }
    return text;
}

struct TManEntry {
    std::string Subsection;
    std::string Tag;
    // The text of the paragraph beneath the tag, its lines joined with spaces.
    std::string Text;
};

// The tagged paragraphs (.TP) of one section of the page.
std::vector<TManEntry> ManEntries(const std::string& section) {
    const std::string source = testsupport::ReadFileText(TRACKWELL_MAN_PAGE);
    std::vector<TManEntry> entries;
    bool inSection = false;
    bool tagNext = false;
    bool inEntry = false;
    std::string subsection;
    for (const std::string& line : Split(source, '\n')) {
        if (line.starts_with(".SH ")) {
            inSection = line.substr(4) == section;
            inEntry = false;
        } else if (!inSection) {
            continue;
        } else if (line.starts_with(".SS ")) {
            subsection = line.substr(4);
            inEntry = false;
        } else if (line == ".TP") {
            tagNext = true;
        } else if (tagNext) {
            entries.push_back({subsection, ManLineText(line), ""});
            tagNext = false;
            inEntry = true;
        } else if (line == ".PP") {
            inEntry = false;
        } else if (inEntry) {
            std::string& text = entries.back().Text;
            text += (text.empty() ? "" : " ") + ManLineText(line);
        }
    }
    return entries;
}

TEST(CliTable, TheUsageTextListsCommandsOfBothKinds) {
    const std::vector<TCommandUse>& commands = UsageCommands();
    ASSERT_FALSE(commands.empty());
    std::set<bool> kinds;
    for (const TCommandUse& command : commands) {
        kinds.insert(command.Editing);
        // Only a command of no arguments, whose line is its name, parses to none.
        EXPECT_EQ(command.Arguments.empty(), command.Synopsis == command.Name) << command.Synopsis;
    }
    EXPECT_EQ(kinds.size(), 2u);
}

// Each command, in the usage text's order and under the same heading, with the same line.
TEST(CliTable, ManPageShowsEachCommandAsTheUsageTextDoes) {
    std::vector<std::pair<bool, std::string>> expected;
    for (const TCommandUse& command : UsageCommands())
        expected.emplace_back(command.Editing, command.Synopsis);
    ASSERT_FALSE(expected.empty());
    std::vector<std::pair<bool, std::string>> shown;
    for (const TManEntry& entry : ManEntries("COMMANDS"))
        shown.emplace_back(entry.Subsection == "Editing commands", entry.Tag);
    EXPECT_EQ(shown, expected);
}

// Each option once, whether it takes a value, and the commands that take it: the "(a, b)" that
// opens its paragraph, none for --help, which every command takes.
TEST(CliTable, ManPageNamesTheCommandsOfEachOption) {
    using TUse = std::pair<bool, std::vector<std::string>>;
    std::map<std::string, TUse> expected{{"--help", {false, {}}}};
    for (const TCommandUse& command : UsageCommands())
        for (const TOptionUse& option : command.Options) {
            TUse& use = expected[option.Name];
            use.first = !option.Value.empty();
            use.second.push_back(command.Name);
        }
    ASSERT_GT(expected.size(), 1u);

    std::map<std::string, TUse> shown;
    for (const TManEntry& entry : ManEntries("OPTIONS")) {
        const std::vector<std::string> words = Split(entry.Tag, ' ');
        size_t i = 0;
        while (i < words.size() && !words[i].starts_with("--"))
            ++i;
        ASSERT_LT(i, words.size()) << entry.Tag;
        TUse use{i + 1 < words.size(), {}};
        if (entry.Text.starts_with('('))
            use.second = Split(entry.Text.substr(1, entry.Text.find(')') - 1), ',');
        for (std::string& name : use.second)
            if (name.starts_with(' '))
                name.erase(0, 1);
        EXPECT_TRUE(shown.emplace(words[i], use).second) << words[i] << " twice";
    }
    EXPECT_EQ(shown, expected);
}

// ---------------------------------------------------------------------------------------------
// The completion script, run by bash as bash runs it, with bash-completion's helpers as stubs:
// a file name completion shows as "(files PATTERN)".

using TWords = std::vector<std::string>;

// What the completion offers for each request, sorted; a request's last word is the one being
// completed, after the program's name and the words before it.
std::vector<TWords> Complete(const std::vector<TWords>& requests) {
    std::string script = R"sh(shopt -s extglob
_init_completion() {
    words=("${COMP_WORDS[@]}") cword=$COMP_CWORD
    cur=${words[cword]} prev=${words[cword - 1]}
}
_filedir() { COMPREPLY=("(files${1:+ $1})"); }
source "$1" || exit 1
ask() {
    COMP_WORDS=(trackwell-cli "$@") COMP_CWORD=$# COMPREPLY=()
    _trackwell_cli
    local offered
    for offered in "${COMPREPLY[@]}"; do printf '%s\n' "$offered"; done
    printf '%s\n' '-- end --'
}
)sh";
    for (const TWords& request : requests) {
        script += "ask";
        for (const std::string& word : request)
            script += " '" + word + "'";
        script += '\n';
    }
    const TRunResult result =
        clitest::RunProgram("bash", {"-c", script, "bash", TRACKWELL_BASH_COMPLETION});
    EXPECT_EQ(result.ExitCode, 0) << result.Err;
    EXPECT_EQ(result.Err, "");
    std::vector<TWords> offers(1);
    for (const std::string& line : Split(result.Out, '\n')) {
        if (line == "-- end --")
            offers.emplace_back();
        else if (!line.empty())
            offers.back().push_back(line);
    }
    offers.pop_back();
    EXPECT_EQ(offers.size(), requests.size());
    offers.resize(requests.size());
    for (TWords& offer : offers)
        std::sort(offer.begin(), offer.end());
    return offers;
}

TWords Sorted(TWords words) {
    std::sort(words.begin(), words.end());
    return words;
}

TEST(CliTable, CompletionOffersEachCommandAndOnlyThose) {
    TWords expected{"--help"};
    for (const TCommandUse& command : UsageCommands())
        expected.push_back(command.Name);
    EXPECT_EQ(Complete({{""}}), std::vector<TWords>{Sorted(expected)});
}

TEST(CliTable, CompletionOffersTheOptionsOfEachCommandAndOnlyThose) {
    std::vector<TWords> requests;
    std::vector<TWords> expected;
    for (const TCommandUse& command : UsageCommands()) {
        requests.push_back({command.Name, "-"});
        TWords options{"--help", "--"};
        for (const TOptionUse& option : command.Options)
            options.push_back(option.Name);
        expected.push_back(Sorted(options));
    }
    const std::vector<TWords> offers = Complete(requests);
    for (size_t i = 0; i < requests.size(); ++i)
        EXPECT_EQ(offers[i], expected[i]) << requests[i][0];
}

// The words of "--as raw|fdi|d88" after --as, files after a PATH, nothing after an option whose
// value is another placeholder, and the words of "yes|no|toggle" where that argument stands.
TEST(CliTable, CompletionOffersTheWordsAValueOrArgumentMayBe) {
    std::vector<TWords> requests;
    std::vector<TWords> expected;
    for (const TCommandUse& command : UsageCommands()) {
        for (const TOptionUse& option : command.Options) {
            if (option.Value.empty())
                continue;
            requests.push_back({command.Name, option.Name, ""});
            // A PATH is any file or folder.
            expected.push_back(option.Value == "PATH" ? TWords{"(files)"}
                                                      : Sorted(WordsOf(option.Value)));
        }
        TWords before{command.Name};
        for (const std::string& argument : command.Arguments) {
            if (!WordsOf(argument).empty()) {
                TWords request = before;
                request.push_back("");
                requests.push_back(request);
                expected.push_back(Sorted(WordsOf(argument)));
            }
            before.push_back(Stand(argument));
        }
    }
    ASSERT_FALSE(requests.empty());
    const std::vector<TWords> offers = Complete(requests);
    for (size_t i = 0; i < requests.size(); ++i) {
        std::string shown;
        for (const std::string& word : requests[i])
            shown += "[" + word + "]";
        EXPECT_EQ(offers[i], expected[i]) << shown;
    }
}

// An option, with its value, before or after the arguments, and "--" before them, leave every
// argument's completion as it is without them.
TEST(CliTable, CompletionCountsArgumentsPastTheOptions) {
    std::vector<TWords> requests;
    std::vector<TWords> plain;
    for (const TCommandUse& command : UsageCommands()) {
        std::vector<TWords> inserts{{"--"}};
        for (const TOptionUse& option : command.Options) {
            TWords insert{option.Name};
            if (!option.Value.empty())
                insert.push_back(Stand(option.Value));
            inserts.push_back(insert);
        }
        for (size_t count = 0; count <= command.Arguments.size(); ++count) {
            TWords arguments;
            for (size_t i = 0; i < count; ++i)
                arguments.push_back(Stand(command.Arguments[i]));
            TWords without{command.Name};
            without.insert(without.end(), arguments.begin(), arguments.end());
            without.push_back("");
            for (const TWords& insert : inserts) {
                TWords before{command.Name};
                before.insert(before.end(), insert.begin(), insert.end());
                before.insert(before.end(), arguments.begin(), arguments.end());
                before.push_back("");
                requests.push_back(before);
                plain.push_back(without);
                if (insert[0] == "--")
                    continue;
                TWords after = without;
                after.insert(after.end() - 1, insert.begin(), insert.end());
                requests.push_back(after);
                plain.push_back(without);
            }
        }
    }
    const std::vector<TWords> offers = Complete(requests);
    const std::vector<TWords> plainOffers = Complete(plain);
    for (size_t i = 0; i < requests.size(); ++i) {
        std::string shown;
        for (const std::string& word : requests[i])
            shown += "[" + word + "]";
        EXPECT_EQ(offers[i], plainOffers[i]) << shown;
    }
}

// The documents are checked against --help, so --help must tell what the program takes: each
// option is accepted by the commands whose usage line shows it and refused by all others.
TEST(CliTable, EachCommandTakesTheOptionsItsUsageLineShowsAndNoOthers) {
    const std::map<std::string, std::string> options = AllOptions();
    ASSERT_FALSE(options.empty());
    for (const TCommandUse& command : UsageCommands())
        for (const auto& [name, value] : options) {
            std::vector<std::string> args{command.Name, name};
            if (!value.empty())
                args.push_back(Stand(value));
            args.push_back("--help");
            const TRunResult result = RunCli(args);
            EXPECT_EQ(result.ExitCode, Takes(command, name) ? 0 : 2) << command.Name << " " << name;
        }
}

// ---------------------------------------------------------------------------------------------
// The forms of disk file, as `forms` lists them, against what the completion and both help
// pages say of them.

struct TFormUse {
    std::string Name;
    std::string As;
    std::string Extensions;
    std::string Holds;
};

std::vector<TFormUse> ListedForms() {
    const TRunResult result = clitest::RunCli({"forms"});
    EXPECT_EQ(result.ExitCode, 0) << result.Err;
    std::vector<TFormUse> forms;
    for (const std::string& line : Split(result.Out, '\n')) {
        const std::vector<std::string> fields = Split(line, '\t');
        if (line.empty())
            continue;
        if (fields.size() == 4)
            forms.push_back({fields[0], fields[1], fields[2], fields[3]});
        else
            ADD_FAILURE() << line;
    }
    return forms;
}

std::string WithoutDots(std::string extensions, char separator) {
    std::string out;
    for (const std::string& extension : Split(extensions, ' '))
        out.append(out.empty() ? "" : std::string(1, separator)).append(extension.substr(1));
    return out;
}

TEST(CliTable, CompletionOffersTheFilesOfEveryFormAndContainersWhereOnlyTheyAreEdited) {
    const std::vector<TFormUse> forms = ListedForms();
    ASSERT_GE(forms.size(), 2u);
    std::string images;
    for (const TFormUse& form : forms)
        images.append(images.empty() ? "" : "|").append(WithoutDots(form.Extensions, '|'));
    // The container is listed first; `rename` changes only containers.
    const std::vector<TWords> offers = Complete({{"list", ""}, {"rename", ""}});
    EXPECT_EQ(offers[0], TWords{"(files " + images + ")"});
    EXPECT_EQ(offers[1], TWords{"(files " + WithoutDots(forms[0].Extensions, '|') + ")"});
}

// The cells of each row of the table whose id is given, tags left out.
std::vector<std::vector<std::string>> HtmlTableRows(const std::string& page,
                                                    const std::string& id) {
    std::vector<std::vector<std::string>> rows;
    const size_t start = page.find("<table id=\"" + id + "\">");
    const size_t end = page.find("</table>", start);
    if (start == std::string::npos || end == std::string::npos)
        return rows;
    const std::string table = page.substr(start, end - start);
    for (size_t row = table.find("<tr>"); row != std::string::npos;
         row = table.find("<tr>", row + 1)) {
        const std::string line = table.substr(row, table.find("</tr>", row) - row);
        if (line.find("<td>") == std::string::npos)
            continue;
        std::vector<std::string> cells;
        for (size_t cell = line.find("<td>"); cell != std::string::npos;
             cell = line.find("<td>", cell + 1)) {
            const size_t close = line.find("</td>", cell);
            std::string text;
            bool inTag = false;
            for (const char c : line.substr(cell + 4, close - cell - 4)) {
                if (c == '<')
                    inTag = true;
                else if (c == '>')
                    inTag = false;
                else if (!inTag)
                    text += c;
            }
            cells.push_back(text);
        }
        rows.push_back(cells);
    }
    return rows;
}

// Each form in the list's order with its --as name and its extensions; the English page says
// what one file holds in the list's words.
TEST(CliTable, BothHelpPagesTableTheFormsAsTheProgramListsThem) {
    const std::vector<TFormUse> forms = ListedForms();
    for (const char* page : {"/Help/index.html", "/Help/ja/index.html"}) {
        const bool english = std::string_view(page) == "/Help/index.html";
        const std::vector<std::vector<std::string>> rows = HtmlTableRows(
            testsupport::ReadFileText(std::string(TRACKWELL_RESOURCES_DIR) + page), "form-table");
        ASSERT_EQ(rows.size(), forms.size()) << page;
        for (size_t i = 0; i < forms.size(); ++i) {
            ASSERT_EQ(rows[i].size(), 4u) << page << " row " << i;
            if (english) {
                EXPECT_EQ(rows[i][0], forms[i].Name);
            }
            EXPECT_EQ(rows[i][1], forms[i].Extensions) << page;
            EXPECT_EQ(rows[i][2], forms[i].As) << page;
            if (english) {
                EXPECT_EQ(rows[i][3], forms[i].Holds);
            }
        }
    }
}

} // namespace
