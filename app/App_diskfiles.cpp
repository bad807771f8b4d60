#include "App_diskfiles.h"

#include "App_fstoolkit.h"

#include "Rtl_codepage.h"
#include "Rtl_paths.h"
#include "Rtl_streams.h"
#include "Rtl_texts.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

// No disk holds more; a larger file is refused before it is read.
constexpr int64_t MaxLocalFileSize = 16 << 20;

const char* const CannotAcceptValue = rtl::TrNoop("The program cannot accept the value.");

std::string ImageLabel(const TDiskImage& image, int row) {
    if (image.Name().empty())
        return std::to_string(row);
    return rtl::Format("%d (\"%s\")", row, rtl::Cp932ToUtf8(image.Name()).c_str());
}

// Checks what every change checks and hands the image's file system to plan, whose bytes then
// become the image's as one step named name.
[[noreturn]] void RefuseWriteProtected(const TDiskImage& image, int row) {
    throw EFileSystemError(
        rtl::Format(rtl::Tr("The disk image %s is write-protected; clear its write protection to "
                            "change its files."),
                    ImageLabel(image, row).c_str()));
}

template <typename TPlan>
void ChangeImage(TFileHandler& document, int index, const char* name, TPlan&& plan) {
    if (index < 0 || index >= document.DiskImageCount())
        document.RaiseUnavailable();
    const TDiskImage& image = document.DiskImages(index);
    if (image.WriteProtected() != WriteProtectedOff)
        RefuseWriteProtected(image, index + 1);
    const std::unique_ptr<TFileSystem> fs = OpenImageFileSystem(image, index + 1);
    CheckChangeable(*fs);
    const std::vector<uint8_t> bytes = plan(*fs);
    document.ChangeImageContents(index, rtl::Tr(name), bytes);
}

} // namespace

std::unique_ptr<TFileSystem> OpenImageFileSystem(const TDiskImage& image, int row) {
    std::unique_ptr<TFileSystem> fs = OpenFileSystem(image.Bytes());
    if (!fs)
        throw EFileSystemError(
            rtl::Format(rtl::Tr("The program does not know the file system of the disk image %s."),
                        ImageLabel(image, row).c_str()));
    return fs;
}

std::string EncodeFilePath(const std::string& text) {
    const std::optional<std::string> path = rtl::Utf8ToCp932(text);
    if (!path)
        throw EHandlerError(rtl::Tr(CannotAcceptValue));
    return *path;
}

std::string LocalFileName(const std::string& name) {
    const std::string text = rtl::Cp932ToUtf8(name);
    std::string escaped;
    if (text.empty() || text == "." || text == "..")
        escaped.push_back('_');
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '/' || c == '\\')
            escaped += rtl::Format("\\x%02X", byte);
        else
            escaped += c;
    }
    return escaped;
}

template <typename TChange>
auto WithNearestName(const TFileSystem& fs, const std::string& path, TChange&& change) {
    try {
        return change();
    } catch (const ENameError& e) {
        throw ENameError(rtl::Format(rtl::Tr("%s The nearest name that fits is \"%s\"."), e.what(),
                                     NameInMessage(fs.FittingName(SplitPath(path).Name)).c_str()));
    }
}

void PutFiles(TFileHandler& document, int index, const std::vector<TFileToPut>& files,
              TExistingFile existing) {
    ChangeImage(document, index,
                files.size() == 1 ? rtl::TrNoop("Add file") : rtl::TrNoop("Add files"),
                [&](const TFileSystem& fs) {
                    // Each file goes onto the disk the one before it left.
                    std::vector<uint8_t> bytes;
                    std::unique_ptr<TFileSystem> next;
                    const TFileSystem* current = &fs;
                    for (const TFileToPut& file : files) {
                        const int64_t count = current->FileCount();
                        bytes = WithNearestName(*current, file.Path, [&] {
                            return current->Put(file.Path, file.Data, file.Date);
                        });
                        next = OpenFileSystem(bytes);
                        if (!next)
                            throw EFileSystemError(rtl::Tr(InvalidImageMessage));
                        // Each file system knows which names are one: a file that replaced
                        // another left the count as it was.
                        if (existing == TExistingFile::Refuse && next->FileCount() == count)
                            RefuseExisting(file.Path);
                        current = next.get();
                    }
                    return bytes;
                });
}

void DeleteFiles(TFileHandler& document, int index, const std::vector<std::string>& paths) {
    ChangeImage(document, index, rtl::TrNoop("Delete files"),
                [&](const TFileSystem& fs) { return fs.Delete(paths); });
}

void RenameFile(TFileHandler& document, int index, const std::string& path,
                const std::string& newName) {
    ChangeImage(document, index, rtl::TrNoop("Rename file"), [&](const TFileSystem& fs) {
        return WithNearestName(fs, newName, [&] { return fs.Rename(path, newName); });
    });
}

TFileToPut LocalFileToPut(const std::string& local, const std::string& path) {
    return {path, ReadLocalFile(local), rtl::FileModifiedTime(local)};
}

std::optional<rtl::TLocalTime> DiskFileDate(const TFileSystem& fs, const std::string& path) {
    const TPathParts parts = SplitPath(path);
    const std::string& name = parts.Name;
    const std::vector<TFileEntry> entries = fs.List(parts.Folder());
    // The name as typed, else as the file system folds it (FAT's names are one in any case).
    for (const TNameCase rule : {TNameCase::Exact, TNameCase::Folded})
        for (const TFileEntry& entry : entries)
            if (!entry.Folder && SameName(entry.Name, name, rule))
                return entry.Date;
    return std::nullopt;
}

std::vector<uint8_t> ReadLocalFile(const std::string& path) {
    rtl::TFileStream stream(path, rtl::TFileMode::OpenRead);
    const int64_t size = stream.Size();
    if (size > MaxLocalFileSize)
        throw EFileSystemError(rtl::Format(rtl::Tr("The file \"%s\" is larger than any disk."),
                                           rtl::ExtractFileName(path).c_str()));
    std::vector<uint8_t> data(static_cast<size_t>(size));
    stream.ReadBuffer(data.data(), size);
    return data;
}

// ---------------------------------------------------------------------------------------------

TDiskFilesHandler::TDiskFilesHandler(TFileHandler& document, TListViewShell& listViewShell,
                                     TUserInterface& userInterface, TFilesPanel* panel)
    : FDocument(document), FListViewShell(listViewShell), FUserInterface(userInterface),
      FPanel(panel != nullptr
                 ? *panel
                 : throw EHandlerError(rtl::Tr("The program cannot create a files handler."))) {}

void TDiskFilesHandler::Refresh() {
    const int index = FListViewShell.FocusedIndex();
    const TDiskImage* image =
        index >= 0 && index < FDocument.DiskImageCount() ? &FDocument.DiskImages(index) : nullptr;
    if (image != FImage)
        FFolder.clear();
    FIndex = image != nullptr ? index : -1;
    FEntries.clear();
    FStatusText.clear();
    if (image == nullptr) {
        FImage = nullptr;
        FBytes.clear();
        FFileSystem.reset();
        return;
    }
    // The window refreshes at every change of the selection: an image whose bytes are still
    // the ones read last keeps its file system instead of being read again.
    const std::span<const uint8_t> bytes = image->Bytes();
    if (image != FImage || !std::ranges::equal(bytes, FBytes)) {
        FImage = image;
        // The panel's own copy: an undone change hands the image's bytes to the history,
        // which may drop them while the panel still shows them.
        FBytes.assign(bytes.begin(), bytes.end());
        FFileSystem = OpenFileSystem(FBytes);
    }
    if (!FFileSystem) {
        FStatusText = rtl::Tr("No known file system");
        FFolder.clear();
        return;
    }
    try {
        FEntries = FFileSystem->List(FFolder);
    } catch (const EFileSystemError&) {
        // The folder went with an undone change.
        FFolder.clear();
        FEntries = FFileSystem->List(FFolder);
    }
    FStatusText = rtl::Format(rtl::Tr("%s, %s bytes free"), FFileSystem->Name().c_str(),
                              GroupedNumber(FFileSystem->FreeBytes()).c_str());
    if (!FFileSystem->Damage().empty())
        FStatusText += rtl::Format(rtl::Tr(" (damaged: %s)"), FFileSystem->Damage().c_str());
    else if (!FFileSystem->CanWrite())
        FStatusText += rtl::Tr(" (read-only file system)");
    else if (FImage->WriteProtected() != WriteProtectedOff)
        FStatusText += rtl::Tr(" (write-protected image)");
}

std::string TDiskFilesHandler::PathOf(const TFileEntry& entry) const {
    return FFolder.empty() ? entry.Name : FFolder + '/' + entry.Name;
}

std::vector<const TFileEntry*> TDiskFilesHandler::Selected() const {
    std::vector<const TFileEntry*> entries;
    for (const int i : FPanel.SelectedEntries())
        if (i >= 0 && i < static_cast<int>(FEntries.size()))
            entries.push_back(&FEntries[static_cast<size_t>(i)]);
    return entries;
}

bool TDiskFilesHandler::CanOpenEntry(int entry) const {
    return entry >= 0 && entry < static_cast<int>(FEntries.size()) &&
           FEntries[static_cast<size_t>(entry)].Folder;
}

void TDiskFilesHandler::OpenEntry(int entry) {
    if (!CanOpenEntry(entry))
        RaiseUnavailable();
    THandlerChange change(*this);
    FFolder = PathOf(FEntries[static_cast<size_t>(entry)]);
    Refresh();
}

void TDiskFilesHandler::OpenParent() {
    if (!CanOpenParent())
        RaiseUnavailable();
    THandlerChange change(*this);
    const size_t slash = FFolder.rfind('/');
    FFolder = slash == std::string::npos ? std::string() : FFolder.substr(0, slash);
    Refresh();
}

bool TDiskFilesHandler::CanExtract() const {
    return FFileSystem && !FPanel.SelectedEntries().empty();
}

namespace {

bool LocalExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::symlink_status(path, error).type() !=
           std::filesystem::file_type::not_found;
}

// The next name beside local in folder that nothing has: "GAME (2).BAS", "GAME (3).BAS", ….
std::string FreeLocalName(const std::string& folder, const std::string& local) {
    const size_t dot = local.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const std::string stem = hasExtension ? local.substr(0, dot) : local;
    const std::string extension = hasExtension ? local.substr(dot) : std::string();
    for (int k = 2; k < 10000; ++k) {
        std::string name = stem;
        name.append(" (").append(std::to_string(k)).append(")").append(extension);
        if (!LocalExists(folder + name))
            return name;
    }
    throw EFileSystemError(
        rtl::Format(rtl::Tr("The file \"%s\" exists."), (folder + local).c_str()));
}

// Settles, one taken name at a time, what becomes of each: asked until the user chooses one way
// for all the remaining; after Cancel every remaining one is left alone.
class TConflicts {
public:
    TConflicts(TUserInterface& userInterface, std::string caption, size_t taken)
        : FUserInterface(userInterface), FCaption(std::move(caption)), FTaken(taken) {}

    TConflictChoice Ask(const std::string& text) {
        if (FTaken > 0)
            --FTaken;
        if (!FAlways) {
            const TConflictAnswer answer = FUserInterface.AskConflict(FCaption, text, FTaken > 0);
            if (answer.ForAll || answer.Choice == TConflictChoice::Cancel)
                FAlways = answer.Choice;
            return answer.Choice;
        }
        return *FAlways;
    }
    bool Cancelled() const { return FAlways == TConflictChoice::Cancel; }

private:
    TUserInterface& FUserInterface;
    std::string FCaption;
    size_t FTaken;
    std::optional<TConflictChoice> FAlways;
};

} // namespace

void TDiskFilesHandler::Extract() {
    if (!CanExtract())
        RaiseUnavailable();
    std::string folder = FExtractFolder;
    if (!FUserInterface.BrowseForFolder(rtl::Tr("Extract Files"), FExtractFolder, folder))
        return;
    FExtractFolder = folder;
    const std::string base = rtl::IncludeTrailingPathDelimiter(folder);
    const std::vector<const TFileEntry*> selected = Selected();
    size_t taken = 0;
    for (const TFileEntry* entry : selected)
        taken += LocalExists(base + LocalFileName(entry->Name)) ? 1 : 0;
    TConflicts conflicts(FUserInterface, rtl::Tr("Extract Files"), taken);
    std::vector<std::optional<TExtractName>> names;
    for (const TFileEntry* entry : selected) {
        const std::string local = LocalFileName(entry->Name);
        if (conflicts.Cancelled()) {
            names.emplace_back();
        } else if (!LocalExists(base + local)) {
            names.push_back(TExtractName{local});
        } else {
            switch (conflicts.Ask(
                rtl::Format(rtl::Tr("The file \"%s\" exists."), (base + local).c_str()))) {
            case TConflictChoice::Replace:
                names.push_back(TExtractName{local, true});
                break;
            case TConflictChoice::KeepBoth:
                names.push_back(TExtractName{FreeLocalName(base, local)});
                break;
            case TConflictChoice::Skip:
            case TConflictChoice::Cancel:
                names.emplace_back();
                break;
            }
        }
    }
    ExtractTo(folder, names);
}

std::vector<std::string>
TDiskFilesHandler::ExtractTo(const std::string& folder,
                             const std::vector<std::optional<TExtractName>>& names) {
    if (!CanExtract())
        RaiseUnavailable();
    const std::vector<const TFileEntry*> selected = Selected();
    if (!names.empty() && names.size() != selected.size())
        RaiseUnavailable();
    // Everything is read and every name checked first, so that a file that cannot be read, two
    // entries that would land on one name, or a name already taken write nothing at all.
    struct TOut {
        std::string Path;
        bool Folder = false;
        std::vector<uint8_t> Data;
        // Was there before: replaced (a folder written into), never removed on failure.
        bool Existed = false;
        std::optional<rtl::TLocalTime> Date;
    };
    std::vector<TOut> outs;
    // Names that differ in case alone would be one file where the user's disk folds case, and
    // the second of two entries of one name is one no path reaches.
    const auto checkNames = [](const std::vector<std::string>& locals) {
        for (size_t i = 0; i < locals.size(); ++i)
            for (size_t j = 0; j < i; ++j)
                if (SameName(locals[j], locals[i], TNameCase::Folded))
                    throw EFileSystemError(rtl::Format(
                        rtl::Tr("The program cannot extract the files: two of them would be "
                                "written as \"%s\"."),
                        locals[i].c_str()));
    };
    const auto gather = [&](const auto& self, const std::string& path, const std::string& local,
                            const TFileEntry& entry, bool replace, int depth) -> void {
        const bool exists = LocalExists(local);
        const bool isFolder = exists && std::filesystem::is_directory(local);
        // A file is replaced by a file and a folder written into by a folder, nothing else.
        if (exists && !(replace && isFolder == entry.Folder))
            throw EFileSystemError(rtl::Format(rtl::Tr("The file \"%s\" exists."), local.c_str()));
        if (!entry.Folder) {
            outs.push_back({local, false, FFileSystem->Read(path), exists, entry.Date});
            return;
        }
        outs.push_back({local, true, {}, exists, std::nullopt});
        // A folder tree deeper than this is a loop the file system let through.
        if (depth > 32)
            return;
        const std::vector<TFileEntry> inner = FFileSystem->List(path);
        std::vector<std::string> locals;
        for (const TFileEntry& each : inner)
            locals.push_back(LocalFileName(each.Name));
        checkNames(locals);
        for (const TFileEntry& each : inner)
            self(self, path + '/' + each.Name, local + '/' + LocalFileName(each.Name), each,
                 replace, depth + 1);
    };
    // Each entry written with the name it goes out under, its own without names.
    std::vector<std::pair<const TFileEntry*, TExtractName>> chosen;
    std::vector<std::string> locals;
    for (size_t i = 0; i < selected.size(); ++i)
        if (names.empty() || names[i]) {
            chosen.emplace_back(selected[i], names.empty()
                                                 ? TExtractName{LocalFileName(selected[i]->Name)}
                                                 : *names[i]);
            locals.push_back(chosen.back().second.Local);
        }
    checkNames(locals);
    for (const auto& [entry, name] : chosen)
        gather(gather, PathOf(*entry), rtl::IncludeTrailingPathDelimiter(folder) + name.Local,
               *entry, name.Replace, 0);
    std::vector<std::string> written, made;
    try {
        rtl::TFileBatch batch;
        for (TOut& out : outs) {
            if (out.Folder && !out.Existed) {
                std::error_code error;
                if (!std::filesystem::create_directory(out.Path, error))
                    throw EFileSystemError(
                        rtl::Format(rtl::Tr("The program cannot create the folder \"%s\": %s."),
                                    out.Path.c_str(),
                                    (error ? error : std::make_error_code(std::errc::file_exists))
                                        .message()
                                        .c_str()));
            } else if (!out.Folder) {
                auto file = std::make_unique<rtl::TNewFileStream>(
                    out.Path, out.Existed ? rtl::TNaming::Replace : rtl::TNaming::NoReplace);
                file->WriteBuffer(out.Data.data(), static_cast<int64_t>(out.Data.size()));
                file->CommitLater(out.Path);
                batch.Add(std::move(file));
            }
            written.push_back(out.Path);
            if (!out.Existed)
                made.push_back(out.Path);
        }
        batch.Flush();
    } catch (...) {
        // What was made goes, folders last; what was there before is replaced only when every
        // file is written.
        std::error_code ignored;
        for (auto at = made.rbegin(); at != made.rend(); ++at)
            std::filesystem::remove(*at, ignored);
        throw;
    }
    // A file taken off a disk that keeps dates gets the date the disk holds; one the calendar
    // does not have leaves the file dated now.
    for (const TOut& out : outs)
        if (!out.Folder && out.Date)
            rtl::SetFileModifiedTime(out.Path, *out.Date);
    return written;
}

bool TDiskFilesHandler::CanChange() const {
    // The image shown may have left the document since the last refresh.
    if (!FFileSystem || !FFileSystem->CanWrite() || FIndex < 0 ||
        FIndex >= FDocument.DiskImageCount() || &FDocument.DiskImages(FIndex) != FImage)
        return false;
    return FImage->WriteProtected() == WriteProtectedOff;
}

void TDiskFilesHandler::RaiseChangeRefusal() const {
    if (!FFileSystem || CanChange())
        return;
    if (FImage != nullptr && FImage->WriteProtected() != WriteProtectedOff)
        RefuseWriteProtected(*FImage, FIndex + 1);
    CheckChangeable(*FFileSystem);
}

bool TDiskFilesHandler::CanAddFiles() const {
    return CanChange();
}

void TDiskFilesHandler::AddFiles() {
    if (!CanAddFiles())
        RaiseUnavailable();
    if (!FAddFilesDialog) {
        FAddFilesDialog = FUserInterface.NewFileDialog(TFileDialogKind::Open);
        FAddFilesDialog->Title = rtl::Tr("Add Files");
        FAddFilesDialog->Filter = std::string(rtl::Tr("All files")) + "|*";
        FAddFilesDialog->Options = ofHideReadOnly | ofFileMustExist | ofAllowMultiSelect;
    }
    if (FAddFilesDialog->Execute())
        AddFilesFrom(FAddFilesDialog->Files);
}

namespace {

// A disk as a file put on it leaves it: the file system reads the bytes held beside it.
struct TDiskAfter {
    std::vector<uint8_t> Bytes;
    std::unique_ptr<TFileSystem> FileSystem;
};

TDiskAfter PutOn(const TFileSystem& fs, const std::string& path, std::span<const uint8_t> data,
                 const std::optional<rtl::TLocalTime>& date) {
    TDiskAfter after{fs.Put(path, data, date), nullptr};
    after.FileSystem = OpenFileSystem(after.Bytes);
    if (!after.FileSystem)
        throw EFileSystemError(rtl::Tr(InvalidImageMessage));
    return after;
}

// text without its last character (code page 932).
std::string WithoutLastCharacter(const std::string& text) {
    size_t last = 0;
    for (size_t i = 0; i < text.size(); i += rtl::CharLength(text, i))
        last = i;
    return text.substr(0, last);
}

// The file put beside the one of its name: "GAME2.BAS", "GAME3.BAS", …, the name cut short
// before the number where the file system allows no longer one. Whichever name is tried, the
// file system decides whether it takes it; what it refuses of every try is refused.
std::pair<std::string, TDiskAfter> PutBeside(const TFileSystem& fs, const TFileToPut& file) {
    const TPathParts parts = SplitPath(file.Path);
    const std::string& name = parts.Name;
    const size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot) : std::string();
    std::string cut = stem;
    std::exception_ptr refusal;
    for (int k = 2; k < 100; ++k) {
        // Numbers only grow, so a stem cut short for one is cut at least as short for the next.
        for (;;) {
            const std::string path = JoinPath(
                parts.Folder(), std::string(cut).append(std::to_string(k)).append(extension));
            try {
                TDiskAfter after = PutOn(fs, path, file.Data, file.Date);
                if (after.FileSystem->FileCount() > fs.FileCount())
                    return {path, std::move(after)};
                break;
            } catch (const EFileSystemError&) {
                refusal = std::current_exception();
                if (cut.empty())
                    std::rethrow_exception(refusal);
                cut = WithoutLastCharacter(cut);
            }
        }
    }
    RefuseExisting(file.Path);
}

} // namespace

void TDiskFilesHandler::AddFilesFrom(const std::vector<std::string>& paths) {
    if (!CanAddFiles() || paths.empty())
        RaiseUnavailable();
    THandlerChange change(*this);
    std::vector<TFileToPut> files;
    std::vector<std::string> shownNames;
    for (const std::string& path : paths) {
        const std::string name = EncodeFilePath(rtl::ExtractFileName(path));
        files.push_back(LocalFileToPut(path, FFolder.empty() ? name : FFolder + '/' + name));
        shownNames.push_back(rtl::ExtractFileName(path));
    }
    // Which names the disk has, by its own rule: a file put in the place of one leaves the count
    // of files as it was. Each file goes onto the disk the ones before it left.
    std::vector<bool> isTaken;
    for (const TFileToPut& file : files) {
        try {
            isTaken.push_back(
                PutOn(*FFileSystem, file.Path, file.Data, file.Date).FileSystem->FileCount() ==
                FFileSystem->FileCount());
        } catch (const EFileSystemError&) {
            // Refused for now: its name is asked for below, or the refusal comes then.
            isTaken.push_back(false);
        }
    }
    TConflicts conflicts(FUserInterface, rtl::Tr("Add Files"),
                         static_cast<size_t>(std::count(isTaken.begin(), isTaken.end(), true)));
    std::vector<TFileToPut> settled;
    TDiskAfter disk;
    const TFileSystem* current = FFileSystem.get();
    bool stopped = false;
    for (size_t i = 0; i < files.size() && !conflicts.Cancelled() && !stopped; ++i) {
        TFileToPut& file = files[i];
        std::optional<TDiskAfter> tried;
        while (!tried && !stopped) {
            try {
                tried = WithNearestName(*current, file.Path, [&] {
                    return PutOn(*current, file.Path, file.Data, file.Date);
                });
            } catch (const ENameError& e) {
                // The nearest name that fits, offered to edit; Cancel leaves this file and the
                // rest alone.
                const TPathParts parts = SplitPath(file.Path);
                std::string value = NameInMessage(current->FittingName(parts.Name));
                std::string message = e.what();
                message.append("\n").append(rtl::Tr("Specify the file's name on the disk."));
                if (!FUserInterface.ExecuteEnterDialog(rtl::Tr("Add Files"), message, value)) {
                    stopped = true;
                    continue;
                }
                file.Path = JoinPath(parts.Folder(), EncodeFilePath(value));
                shownNames[i] = value;
            }
        }
        if (stopped)
            break;
        TDiskAfter after = std::move(*tried);
        if (after.FileSystem->FileCount() == current->FileCount()) {
            const TConflictChoice choice = conflicts.Ask(
                rtl::Format(rtl::Tr("The disk already has a file \"%s\"."), shownNames[i].c_str()));
            if (choice == TConflictChoice::Skip || choice == TConflictChoice::Cancel)
                continue;
            if (choice == TConflictChoice::KeepBoth)
                std::tie(file.Path, after) = PutBeside(*current, file);
        }
        settled.push_back(std::move(file));
        disk = std::move(after);
        current = disk.FileSystem.get();
    }
    if (!settled.empty())
        PutFiles(FDocument, FIndex, settled);
    Refresh();
}

bool TDiskFilesHandler::CanDeleteFiles() const {
    return CanChange() && !FPanel.SelectedEntries().empty();
}

void TDiskFilesHandler::DeleteFiles() {
    if (!CanDeleteFiles())
        RaiseUnavailable();
    THandlerChange change(*this);
    std::vector<std::string> paths;
    for (const TFileEntry* entry : Selected())
        paths.push_back(PathOf(*entry));
    ::DeleteFiles(FDocument, FIndex, paths);
    Refresh();
}

bool TDiskFilesHandler::CanRenameFile() const {
    return CanChange() && FPanel.SelectedEntries().size() == 1;
}

void TDiskFilesHandler::RenameFile() {
    if (!CanRenameFile())
        RaiseUnavailable();
    // A copy: the dialog may let the panel refresh, which replaces the entries.
    const TFileEntry entry = *Selected().front();
    std::string value = rtl::Cp932ToUtf8(entry.Name);
    std::string message = rtl::Tr("Specify the file's new name.");
    // A refused name brings the dialog back with the reason and the text, or the nearest name
    // that fits, to edit.
    while (FUserInterface.ExecuteEnterDialog(rtl::Tr("Rename File"), message, value)) {
        try {
            THandlerChange change(*this);
            ::RenameFile(FDocument, FIndex, PathOf(entry), EncodeFilePath(value));
            Refresh();
            return;
        } catch (const ENameError& e) {
            value = NameInMessage(FFileSystem->FittingName(EncodeFilePath(value)));
            message = std::string(e.what()) + "\n" + rtl::Tr("Specify the file's new name.");
        } catch (const rtl::Exception& e) {
            message = std::string(e.what()) + "\n" + rtl::Tr("Specify the file's new name.");
        }
    }
}

void TDiskFilesHandler::ToggleShow() {
    THandlerChange change(*this);
    FPanel.SetVisible(!FPanel.Visible());
}

void TDiskFilesHandler::LoadSettings(rtl::TMemIniFile& settings) {
    THandlerChange change(*this);
    FPanel.SetVisible(settings.ReadBool("Files", "Visible", false));
    const int extent = settings.ReadInteger("Files", "Extent", 0);
    if (extent > 0)
        FPanel.SetExtent(extent);
    FExtractFolder = settings.ReadString("Files", "ExtractFolder", "");
}

void TDiskFilesHandler::SaveSettings(rtl::TMemIniFile& settings) {
    settings.WriteBool("Files", "Visible", FPanel.Visible());
    settings.WriteInteger("Files", "Extent", FPanel.Extent());
    settings.WriteString("Files", "ExtractFolder", FExtractFolder);
}
