#include "Cli_edits.h"

#include "App_diskfiles.h"
#include "App_filehandler.h"
#include "App_filenames.h"
#include "App_sectorhandler.h"
#include "Cli_containers.h"
#include "Cli_inputs.h"
#include "Cli_names.h"
#include "Cli_outputs.h"
#include "Cli_rows.h"
#include "Cli_run.h"
#include "Cli_sectors.h"
#include "Rtl_codepage.h"
#include "Rtl_locks.h"
#include "Rtl_paths.h"
#include "Rtl_streams.h"
#include "Vix_clipboard.h"
#include "Vix_files.h"
#include "Vix_listviews.h"

#include <algorithm>
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
    // Changes the files of one disk, which a plain dump or another form may hold as well as a
    // container.
    bool OnDisk = false;
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
    return rtl::AbsoluteFileName(path);
}

const char* const CannotAcceptValue = "The program cannot accept the value.";

// No name takes a longer line. Each byte of a name stands for at most four bytes of its line: a
// character of code page 932 takes at most three bytes in UTF-8, and one below 0x80 at most the
// four of \xNN.
constexpr size_t MaxNameLineLength = 4 * TDiskImage::MaxNameLength;

// At most maxLines lines of in, ended as the editor's paste ends them (CR LF, LF or CR alone). An
// endless input costs no more than what the rows can use and one line to tell that it is too
// long; a line that no name fits is refused as soon as it is seen.
std::vector<std::string> ReadNameLines(std::istream& in, size_t maxLines) {
    std::vector<std::string> lines;
    std::string line;
    bool pending = false;
    std::istream::int_type c = 0;
    while (lines.size() < maxLines && (c = in.get()) != std::istream::traits_type::eof()) {
        if (c == '\r' || c == '\n') {
            if (c == '\r' && in.peek() == '\n')
                in.get();
            lines.push_back(std::move(line));
            line.clear();
            pending = false;
        } else if (line.size() == MaxNameLineLength) {
            throw rtl::Exception(CannotAcceptValue);
        } else {
            line += static_cast<char>(c);
            pending = true;
        }
    }
    if (in.bad())
        throw rtl::Exception("The program could not read standard input.");
    if (pending && lines.size() < maxLines)
        lines.push_back(std::move(line));
    return lines;
}

// A line of paste-names in code page 932; the editor's own refusal for a line no name can be.
std::string NameFromLine(const std::string& line) {
    const std::optional<std::string> text = UnescapeName(line);
    const std::optional<std::string> name = text ? rtl::Utf8ToCp932(*text) : std::nullopt;
    if (!name || name->size() > TDiskImage::MaxNameLength)
        throw rtl::Exception(CannotAcceptValue);
    return *name;
}

TEdit EditWith(TOperation operation) {
    TEdit edit;
    edit.Operation = [operation](TDocument& document) { (document.Handler.*operation)(); };
    return edit;
}

// Before an operation on every image: the editor offers none for an empty list and would only
// say the feature is unavailable, which does not tell a script what is wrong with its file.
void RequireImages(const TDocument& document) {
    if (document.Handler.IsEmpty())
        throw rtl::Exception("The file holds no disk images.");
}

TEdit EditAllWith(TOperation operation) {
    TEdit edit;
    edit.Operation = [operation](TDocument& document) {
        RequireImages(document);
        (document.Handler.*operation)();
    };
    return edit;
}

TEdit EditRowsWith(const std::string& rows, TOperation operation) {
    TEdit edit = EditWith(operation);
    edit.Rows = ParseRows(rows);
    return edit;
}

// The file the document will be: a shortcut's target, symbolic links followed. Empty when the
// path names none, which then has nothing to lock and leaves the open to say what is wrong.
std::string LockTarget(const std::string& file) {
    try {
        return NormalizePath(file);
    } catch (const rtl::Exception&) {
        return {};
    }
}

// The files of a disk that a file of another form holds: the disk is read as the image it holds,
// changed through the document as any edit is, and written back in its form. A change of files
// never changes the geometry, so the form holds the changed disk exactly when it gives back the
// file as it was from the disk as it was; a form that would lose something (an NFD file's repeated
// readings, a header of its own) or that the program cannot write is refused before anything
// changes.
int ApplyInForm(const TCommandLine& line, const TEdit& edit, const std::string& file,
                TImageForm form) {
    const TFormatSource source = FormatSourceFor(line.Format);
    TDiskImageList before;
    LoadImagesOfAnyForm(file, before, source);
    bool same = false;
    try {
        rtl::TFileStream original(file, rtl::TFileMode::OpenRead);
        rtl::TMemoryStream again;
        SaveImageInForm(*before[0], 1, form, again);
        std::vector<uint8_t> bytes(static_cast<size_t>(original.Size()));
        original.ReadBuffer(bytes.data(), original.Size());
        same = again.Size() == original.Size() &&
               std::equal(bytes.begin(), bytes.end(), again.Memory());
    } catch (const EDiskImageError&) {
    }
    if (!same)
        throw rtl::Exception(rtl::Format(
            "The program cannot change the files of \"%s\" in place: written again, %s would "
            "not be the same file. Make a container of it with merge and change the files there.",
            rtl::ExtractFileName(file).c_str(), rtl::Tr(FormTraits(form).FileText)));
    TDocument document;
    document.Handler.SetFormatChooser(FormatChooser());
    document.Handler.SetNamedFormat(line.Format);
    document.Handler.AddExistentFiles({file});
    if (edit.Rows)
        document.Select(SelectRows(*edit.Rows, document.Handler.DiskImageCount()));
    edit.Operation(document);
    std::string backup;
    if (line.Backup)
        backup = BackUpFile(file);
    try {
        SaveImageInFormToNewFile(document.Handler.DiskImages(0), 1, form, file,
                                 rtl::TNaming::Replace, [](rtl::TNewFileStream& written) {
                                     written.Flush();
                                     written.Commit();
                                 });
    } catch (...) {
        if (!backup.empty())
            std::remove(backup.c_str());
        throw;
    }
    return ExitSuccess;
}

// The edit arrives prepared: everything that can be checked without the file has been, so that
// a usage error or a refused value never follows a half-done edit.
int Apply(const TCommandLine& line, const TEdit& edit) {
    const std::string file = MakeAbsolute(line.Arguments[0]);
    // Held from before the read until after the save has replaced the file, so that another
    // command editing the same file waits and then reads this one's result: no edit is lost.
    // `names` takes none: a save replaces the file by rename, so a reader sees it whole anyway.
    std::optional<rtl::TFileLock> lock;
    if (edit.Saves)
        lock.emplace(LockTarget(file));
    if (edit.OnDisk) {
        const TImageForm form = TImageFile(file, FormatSourceFor(line.Format).Table).Form();
        if (form != TImageForm::D88)
            return ApplyInForm(line, edit, file, form);
    }
    TDocument document;
    document.Handler.SetFormatChooser(FormatChooser());
    document.Handler.SetNamedFormat(line.Format);
    document.Handler.SetNoteSink(WriteNote);
    document.Handler.OpenFile(file);
    if (edit.Rows)
        document.Select(SelectRows(*edit.Rows, document.Handler.DiskImageCount()));
    edit.Operation(document);
    if (!edit.Saves)
        return ExitSuccess;
    TFileHandler& handler = document.Handler;
    handler.SetBackUpOnSave(line.Backup);
    // The editor copies FILE before writing it and keeps the copy when the writing then fails;
    // a failed command must leave the folder as it found it, so that copy goes again: the one
    // this process made, never a name another process may have taken meanwhile.
    try {
        handler.SaveFile(handler.FileName());
    } catch (...) {
        if (!handler.LastBackupPath().empty())
            std::remove(handler.LastBackupPath().c_str());
        throw;
    }
    return ExitSuccess;
}

} // namespace

int RunRename(const TCommandLine& line, std::istream&, std::ostream&) {
    TEdit edit;
    edit.Rows = ParseSingleRow(line.Arguments[1]);
    const std::string name = line.Arguments[2];
    edit.Operation = [name](TDocument& document) {
        document.UserInterface.EnterAnswers = {name};
        document.Handler.NameEnter();
    };
    return Apply(line, edit);
}

int RunNames(const TCommandLine& line, std::istream&, std::ostream& out) {
    TEdit edit;
    if (line.Arguments.size() > 1)
        edit.Rows = ParseRows(line.Arguments[1]);
    const bool allRows = !edit.Rows;
    // A dump is no document to open; its image is named after the file.
    if (const std::unique_ptr<TDiskImageList> images = LoadOtherForm(line.Arguments[0])) {
        std::string text;
        for (const int row : SelectRows(
                 allRows ? std::vector<TRowSpan>{{1, images->Count(), "1", "1"}} : *edit.Rows,
                 images->Count()))
            text += EscapeName(rtl::Cp932ToUtf8(images->Items(row)->Name())) + '\n';
        WriteOutput(out, text);
        return ExitSuccess;
    }
    edit.Operation = [allRows, &out](TDocument& document) {
        if (allRows) {
            RequireImages(document);
            document.Shell.SelectAll();
        }
        // Copying applies the editor's rules; the lines are made from the names themselves,
        // since the copied text cannot tell a line break in a name from one between names.
        document.Handler.NameCopy();
        std::string text;
        for (const int row : document.Shell.GetSelectedIndices())
            text += EscapeName(rtl::Cp932ToUtf8(document.Handler.DiskImages(row).Name())) + '\n';
        WriteOutput(out, text);
    };
    edit.Saves = false;
    return Apply(line, edit);
}

int RunPasteNames(const TCommandLine& line, std::istream& in, std::ostream&) {
    TEdit edit;
    edit.Rows = ParseRows(line.Arguments[1]);
    // Read once the rows are known, so that no more is read than they can use.
    edit.Operation = [&in](TDocument& document) {
        const auto rows = static_cast<size_t>(document.Shell.SelCount());
        std::vector<std::string> names;
        for (const std::string& text : ReadNameLines(in, rows + 1))
            names.push_back(NameFromLine(text));
        PutNamesOnClipboard(document.UserInterface.MemoryClipboard, names);
        document.Handler.NamePaste();
    };
    return Apply(line, edit);
}

int RunProtect(const TCommandLine& line, std::istream&, std::ostream&) {
    return Apply(line, EditRowsWith(line.Arguments[1],
                                    ParseWord(line.Arguments[2],
                                              {{"yes", &TFileHandler::WriteProtectedSetToYes},
                                               {"no", &TFileHandler::WriteProtectedSetToNo},
                                               {"toggle", &TFileHandler::WriteProtectedToggle}})));
}

int RunDelete(const TCommandLine& line, std::istream&, std::ostream&) {
    return Apply(line, EditRowsWith(line.Arguments[1], &TFileHandler::Delete));
}

int RunDuplicate(const TCommandLine& line, std::istream&, std::ostream&) {
    return Apply(line, EditRowsWith(line.Arguments[1], &TFileHandler::Duplicate));
}

int RunAdd(const TCommandLine& line, std::istream&, std::ostream&) {
    std::vector<std::string> paths;
    for (size_t i = 1; i < line.Arguments.size(); ++i)
        paths.push_back(MakeAbsolute(line.Arguments[i]));
    TEdit edit;
    edit.Operation = [paths](TDocument& document) { document.Handler.AddExistentFiles(paths); };
    return Apply(line, edit);
}

int RunAddBlank(const TCommandLine& line, std::istream&, std::ostream&) {
    const std::vector<std::string>& arguments = line.Arguments;
    const TDiskFormat format =
        ParseDiskFormat(arguments[1], arguments[2], arguments[3], arguments[4], arguments[5]);
    TEdit edit;
    edit.Operation = [format](TDocument& document) { document.Handler.AddNewDiskImage(format); };
    return Apply(line, edit);
}

int RunSort(const TCommandLine& line, std::istream&, std::ostream&) {
    return Apply(line,
                 EditAllWith(ParseWord(line.Arguments[1],
                                       {{"name", &TFileHandler::SortByName},
                                        {"write-protected", &TFileHandler::SortByWriteProtected},
                                        {"disk-type", &TFileHandler::SortByDiskType},
                                        {"size", &TFileHandler::SortBySize}})));
}

int RunReverse(const TCommandLine& line, std::istream&, std::ostream&) {
    return Apply(line, EditAllWith(&TFileHandler::ReverseOrder));
}

int RunMove(const TCommandLine& line, std::istream&, std::ostream&) {
    return Apply(line,
                 EditRowsWith(line.Arguments[1],
                              ParseWord(line.Arguments[2], {{"up", &TFileHandler::MoveUp},
                                                            {"down", &TFileHandler::MoveDown}})));
}

// The image a ROW argument names, as the document's index.
int SelectedIndex(const TDocument& document) {
    return document.Shell.GetSelectedIndices().front();
}

int RunPut(const TCommandLine& line, std::istream&, std::ostream&) {
    TEdit edit;
    edit.OnDisk = true;
    edit.Rows = ParseSingleRow(line.Arguments[1]);
    // Read before the document opens, which makes another folder the current one. A folder
    // comes with everything in it.
    const std::string source = rtl::ExcludeTrailingPathDelimiter(line.Arguments[2]);
    const std::vector<TFileToPut> files = LocalTreeToPut(
        source, line.Arguments.size() > 3 ? EncodeFilePath(line.Arguments[3])
                                          : EncodeFileName(rtl::ExtractFileName(source)));
    const TExistingFile existing = line.Force ? TExistingFile::Replace : TExistingFile::Refuse;
    edit.Operation = [&files, existing](TDocument& document) {
        PutFiles(document.Handler, SelectedIndex(document), files, existing);
    };
    return Apply(line, edit);
}

int RunDeleteFile(const TCommandLine& line, std::istream&, std::ostream&) {
    std::vector<std::string> paths;
    for (size_t i = 2; i < line.Arguments.size(); ++i)
        paths.push_back(EncodeFilePath(line.Arguments[i]));
    TEdit edit;
    edit.OnDisk = true;
    edit.Rows = ParseSingleRow(line.Arguments[1]);
    const TFolderContents contents =
        line.Recursive ? TFolderContents::Delete : TFolderContents::Keep;
    edit.Operation = [&paths, contents](TDocument& document) {
        DeleteFiles(document.Handler, SelectedIndex(document), paths, contents);
    };
    return Apply(line, edit);
}

int RunMakeFolder(const TCommandLine& line, std::istream&, std::ostream&) {
    const std::string path = EncodeFilePath(line.Arguments[2]);
    TEdit edit;
    edit.OnDisk = true;
    edit.Rows = ParseSingleRow(line.Arguments[1]);
    edit.Operation = [&path](TDocument& document) {
        MakeFolder(document.Handler, SelectedIndex(document), path);
    };
    return Apply(line, edit);
}

int RunRenameFile(const TCommandLine& line, std::istream&, std::ostream&) {
    const std::string path = EncodeFilePath(line.Arguments[2]);
    const std::string name = EncodeFilePath(line.Arguments[3]);
    TEdit edit;
    edit.OnDisk = true;
    edit.Rows = ParseSingleRow(line.Arguments[1]);
    edit.Operation = [&path, &name](TDocument& document) {
        RenameFile(document.Handler, SelectedIndex(document), path, name);
    };
    return Apply(line, edit);
}

int RunWriteSector(const TCommandLine& line, std::istream&, std::ostream&) {
    const int entry = ParseTrackEntry(line.Arguments[2]);
    const int sector = ParseSectorIndex(line.Arguments[3]);
    // Read before the document opens, which makes another folder the current one; no sector
    // holds more than 65,535 bytes, so a larger file is refused unread.
    std::vector<uint8_t> data;
    {
        rtl::TFileStream in(line.Arguments[4], rtl::TFileMode::OpenRead);
        const int64_t size = in.Size();
        if (size > 65535)
            throw rtl::Exception(rtl::Format("The file \"%s\" is larger than any sector.",
                                             line.Arguments[4].c_str()));
        data.resize(static_cast<size_t>(size));
        in.ReadBuffer(data.data(), size);
    }
    TEdit edit;
    edit.OnDisk = true;
    edit.Rows = ParseSingleRow(line.Arguments[1]);
    edit.Operation = [&data, entry, sector](TDocument& document) {
        WriteSector(document.Handler, SelectedIndex(document), entry, sector, data);
    };
    return Apply(line, edit);
}

} // namespace cli
