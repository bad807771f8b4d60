#include "Cli_edits.h"

#include "App_filehandler.h"
#include "Cli_commands.h"
#include "Rtl_paths.h"
#include "Vix_files.h"
#include "Vix_listviews.h"

#include <cstdio>
#include <functional>
#include <initializer_list>
#include <istream>
#include <optional>
#include <ostream>

namespace cli {

namespace {

// The editor's document without a window. Members are destroyed in reverse, so the controller
// goes before the list view and the interface it borrows.
struct TDocument {
    TMemoryListControl Control;
    TListViewShell Shell{Control};
    TScriptedUserInterface UserInterface;
    TFileHandler Handler{&Shell, UserInterface};

    void Select(const std::vector<int>& rows) {
        Shell.ClearSelection();
        for (const int row : rows)
            Shell.SetSelected(row, true);
    }
};

// What a subcommand does once its arguments are known to be well formed.
struct TEdit {
    // The rows to select after opening; without them the selection opening made is kept.
    std::optional<std::vector<TRowSpan>> Rows;
    std::function<void(TDocument&)> Operation;
    bool Saves = true;
};

using TOperation = void (TFileHandler::*)();

struct TWord {
    const char* Text;
    TOperation Operation;
};

TOperation ParseWord(const std::string& text, std::initializer_list<TWord> words) {
    for (const TWord& word : words)
        if (text == word.Text)
            return word.Operation;
    throw EUsageError("unknown word");
}

// Opening makes the document's folder the current one, after which a relative path would name
// another file than the one the user meant.
std::string MakeAbsolute(const std::string& path) {
    return IsRelativePath(path) ? rtl::ExpandFileName(path) : path;
}

// Only a plain number: a list or range would hand the Enter dialog's value to several rows.
std::vector<TRowSpan> ParseSingleRow(const std::string& text) {
    if (text.find_first_of(",-") != std::string::npos)
        throw EUsageError("not a single row");
    return ParseRows(text);
}

std::string ReadAll(std::istream& in) {
    std::string text;
    char buffer[65536];
    do {
        in.read(buffer, sizeof buffer);
        text.append(buffer, static_cast<size_t>(in.gcount()));
    } while (in);
    if (in.bad())
        throw rtl::Exception("The program could not read standard input.");
    return text;
}

// The clipboard holds the editor's CR LF lines; a script reads lines that end in LF alone.
std::string ToUnixLines(const std::string& text) {
    std::string lines;
    lines.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        lines += text[i];
    }
    return lines;
}

TEdit EditWith(TOperation operation) {
    TEdit edit;
    edit.Operation = [operation](TDocument& document) { (document.Handler.*operation)(); };
    return edit;
}

TEdit EditRowsWith(const std::string& rows, TOperation operation) {
    TEdit edit = EditWith(operation);
    edit.Rows = ParseRows(rows);
    return edit;
}

// Everything that can be checked without the file, so that a usage error or a refused value
// never follows a half-done edit.
TEdit PrepareEdit(const std::string& command, const std::vector<std::string>& arguments,
                  std::istream& in, std::ostream& out) {
    if (command == "rename") {
        TEdit edit;
        edit.Rows = ParseSingleRow(arguments[1]);
        const std::string name = arguments[2];
        edit.Operation = [name](TDocument& document) {
            document.UserInterface.EnterAnswers = {name};
            document.Handler.NameEnter();
        };
        return edit;
    }
    if (command == "names") {
        TEdit edit;
        if (arguments.size() > 1)
            edit.Rows = ParseRows(arguments[1]);
        const bool allRows = !edit.Rows;
        edit.Operation = [allRows, &out](TDocument& document) {
            if (allRows)
                document.Shell.SelectAll();
            document.Handler.NameCopy();
            WriteOutput(out, ToUnixLines(document.UserInterface.MemoryClipboard.GetText()));
        };
        edit.Saves = false;
        return edit;
    }
    if (command == "paste-names") {
        TEdit edit;
        edit.Rows = ParseRows(arguments[1]);
        const std::string text = ReadAll(in);
        edit.Operation = [text](TDocument& document) {
            document.UserInterface.MemoryClipboard.SetText(text);
            document.Handler.NamePaste();
        };
        return edit;
    }
    if (command == "protect")
        return EditRowsWith(
            arguments[1],
            ParseWord(arguments[2], {{"yes", &TFileHandler::WriteProtectedSetToYes},
                                     {"no", &TFileHandler::WriteProtectedSetToNo},
                                     {"toggle", &TFileHandler::WriteProtectedToggle}}));
    if (command == "delete")
        return EditRowsWith(arguments[1], &TFileHandler::Delete);
    if (command == "duplicate")
        return EditRowsWith(arguments[1], &TFileHandler::Duplicate);
    if (command == "add") {
        std::vector<std::string> paths;
        for (size_t i = 1; i < arguments.size(); ++i)
            paths.push_back(MakeAbsolute(arguments[i]));
        TEdit edit;
        edit.Operation = [paths](TDocument& document) { document.Handler.AddExistentFiles(paths); };
        return edit;
    }
    if (command == "add-blank") {
        const TDiskFormat format =
            ParseDiskFormat(arguments[1], arguments[2], arguments[3], arguments[4], arguments[5]);
        TEdit edit;
        edit.Operation = [format](TDocument& document) {
            document.Handler.AddNewDiskImage(format);
        };
        return edit;
    }
    if (command == "sort")
        return EditWith(
            ParseWord(arguments[1], {{"name", &TFileHandler::SortByName},
                                     {"write-protected", &TFileHandler::SortByWriteProtected},
                                     {"disk-type", &TFileHandler::SortByDiskType},
                                     {"size", &TFileHandler::SortBySize}}));
    if (command == "reverse")
        return EditWith(&TFileHandler::ReverseOrder);
    if (command == "move")
        return EditRowsWith(arguments[1],
                            ParseWord(arguments[2], {{"up", &TFileHandler::MoveUp},
                                                     {"down", &TFileHandler::MoveDown}}));
    throw EUsageError("unknown command");
}

} // namespace

void RunEdit(const std::string& command, const std::vector<std::string>& arguments, bool backup,
             std::istream& in, std::ostream& out) {
    const std::string file = MakeAbsolute(arguments[0]);
    const TEdit edit = PrepareEdit(command, arguments, in, out);
    TDocument document;
    document.Handler.OpenFile(file);
    if (edit.Rows)
        document.Select(SelectRows(*edit.Rows, document.Handler.DiskImageCount()));
    edit.Operation(document);
    if (!edit.Saves)
        return;
    TFileHandler& handler = document.Handler;
    handler.SetBackUpOnSave(backup);
    // The editor copies FILE before writing it and keeps the copy when the writing then fails;
    // a failed command must leave the folder as it found it, so that copy goes again. Nothing
    // is at this path yet, so whatever is there after a failure is the copy.
    const std::string backupPath = backup ? MakeBackupPath(handler.FileName()) : std::string();
    try {
        handler.SaveFile(handler.FileName());
    } catch (...) {
        if (!backupPath.empty())
            std::remove(backupPath.c_str());
        throw;
    }
}

} // namespace cli
