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
// No disk's folders nest deeper, or hold more entries: a tree beyond either is refused before it
// is read, or on a disk a loop its file system let through.
constexpr int MaxTreeDepth = 32;
constexpr size_t MaxTreeEntries = 10000;

const char* const CannotAcceptValue = rtl::TrNoop("The program cannot accept the value.");

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
    // A change that changed nothing (folders that were all there) is no step to undo.
    if (!std::ranges::equal(bytes, image.Bytes()))
        document.ChangeImageContents(index, rtl::Tr(name), bytes);
}

// The step an addition of count files and folders is.
const char* AddFilesName(size_t count) {
    return count == 1 ? rtl::TrNoop("Add file") : rtl::TrNoop("Add files");
}

// A disk as a file put on it leaves it: the file system reads the bytes held beside it.
struct TDiskAfter {
    std::vector<uint8_t> Bytes;
    std::unique_ptr<TFileSystem> FileSystem;
};

TDiskAfter PutOn(const TFileSystem& fs, const std::string& path, std::span<const uint8_t> data,
                 const std::optional<rtl::TLocalTime>& date, bool folder = false) {
    TDiskAfter after{folder ? fs.MakeFolder(path, date) : fs.Put(path, data, date), nullptr};
    after.FileSystem = OpenFileSystem(after.Bytes);
    if (!after.FileSystem)
        throw EFileSystemError(rtl::Tr(InvalidImageMessage));
    return after;
}

// Whether path names a folder the disk has: a folder put there is written into.
bool HasFolder(const TFileSystem& fs, const std::string& path) {
    const std::optional<TFileEntry> entry = FindFileEntry(fs, path);
    return entry && entry->Folder;
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

std::string EncodeFileName(const std::string& name) {
    const std::optional<std::string> encoded = rtl::Utf8ToCp932(name);
    if (!encoded)
        throw EHandlerError(
            rtl::Format(rtl::Tr("The program cannot accept the name \"%s\"."), name.c_str()));
    return *encoded;
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
    ChangeImage(document, index, AddFilesName(files.size()), [&](const TFileSystem& fs) {
        // Each file goes onto the disk the one before it left.
        TDiskAfter disk;
        const TFileSystem* current = &fs;
        for (const TFileToPut& file : files) {
            if (file.Folder && HasFolder(*current, file.Path)) {
                if (existing == TExistingFile::Refuse)
                    RefuseExisting(file.Path, true);
                continue;
            }
            TDiskAfter after = WithNearestName(*current, file.Path, [&] {
                return PutOn(*current, file.Path, file.Data, file.Date, file.Folder);
            });
            // Each file system knows which names are one: a file that replaced another left
            // the count as it was.
            if (existing == TExistingFile::Refuse && !file.Folder &&
                after.FileSystem->FileCount() == current->FileCount())
                RefuseExisting(file.Path);
            disk = std::move(after);
            current = disk.FileSystem.get();
        }
        if (disk.FileSystem)
            return disk.Bytes;
        const std::span<const uint8_t> image = document.DiskImages(index).Bytes();
        return std::vector<uint8_t>(image.begin(), image.end());
    });
}

void MakeFolder(TFileHandler& document, int index, const std::string& path) {
    ChangeImage(document, index, rtl::TrNoop("New folder"), [&](const TFileSystem& fs) {
        return WithNearestName(fs, path, [&] { return fs.MakeFolder(path); });
    });
}

void DeleteFiles(TFileHandler& document, int index, const std::vector<std::string>& paths,
                 TFolderContents contents) {
    ChangeImage(document, index, rtl::TrNoop("Delete files"), [&](const TFileSystem& fs) {
        if (contents == TFolderContents::Keep)
            return fs.Delete(paths);
        std::vector<std::string> all;
        for (const std::string& path : paths) {
            all.push_back(path);
            if (HasFolder(fs, path))
                for (std::string& inner : FolderContents(fs, path))
                    all.push_back(std::move(inner));
        }
        return fs.Delete(all);
    });
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

std::optional<TFileEntry> FindFileEntry(const TFileSystem& fs, const std::string& path) {
    const TPathParts parts = SplitPath(path);
    const std::vector<TFileEntry> entries = fs.List(parts.Folder());
    // The name as typed, else as the file system folds it (FAT's names are one in any case).
    for (const TNameCase rule : {TNameCase::Exact, TNameCase::Folded})
        for (const TFileEntry& entry : entries)
            if (SameName(entry.Name, parts.Name, rule))
                return entry;
    return std::nullopt;
}

std::optional<rtl::TLocalTime> DiskFileDate(const TFileSystem& fs, const std::string& path) {
    const std::optional<TFileEntry> entry = FindFileEntry(fs, path);
    return entry && !entry->Folder ? entry->Date : std::nullopt;
}

std::vector<std::string> FolderContents(const TFileSystem& fs, const std::string& path) {
    std::vector<std::string> paths;
    const auto walk = [&](const auto& self, const std::string& folder, int depth) -> void {
        if (depth > MaxTreeDepth)
            return;
        for (const TFileEntry& entry : fs.List(folder)) {
            // Its own copy: the paths grow, and move, below it.
            const std::string path = JoinPath(folder, entry.Name);
            paths.push_back(path);
            if (entry.Folder)
                self(self, path, depth + 1);
        }
    };
    walk(walk, path, 0);
    return paths;
}

std::vector<TFileToPut> LocalTreeToPut(const std::string& local, const std::string& path) {
    namespace fs = std::filesystem;
    std::vector<TFileToPut> files;
    int64_t total = 0;
    const auto refuseLarge = [&] {
        throw EFileSystemError(rtl::Format(rtl::Tr("The folder \"%s\" holds more than any disk."),
                                           rtl::ExtractFileName(local).c_str()));
    };
    const auto add = [&](const auto& self, const std::string& at, const std::string& diskPath,
                         int depth) -> void {
        std::error_code error;
        if (!fs::is_directory(at, error)) {
            files.push_back(LocalFileToPut(at, diskPath));
            total += static_cast<int64_t>(files.back().Data.size());
            if (total > MaxLocalFileSize)
                refuseLarge();
            return;
        }
        if (depth > MaxTreeDepth)
            refuseLarge();
        files.emplace_back(diskPath, std::vector<uint8_t>{}, rtl::FileModifiedTime(at), true);
        std::vector<std::pair<std::string, std::string>> inner;
        for (fs::directory_iterator it(at, error), end; !error && it != end; it.increment(error)) {
            // A link to a folder may lead back up the tree: only files are taken through links.
            if (it->is_symlink(error) && it->is_directory(error))
                continue;
            if (files.size() + inner.size() >= MaxTreeEntries)
                refuseLarge();
            inner.emplace_back(EncodeFileName(it->path().filename().string()), it->path().string());
        }
        if (error)
            throw EFileSystemError(
                rtl::Format(rtl::Tr("The program cannot read the folder \"%s\": %s."), at.c_str(),
                            error.message().c_str()));
        std::sort(inner.begin(), inner.end());
        for (const auto& [name, innerLocal] : inner)
            self(self, innerLocal, JoinPath(diskPath, name), depth + 1);
    };
    add(add, local, path, 0);
    return files;
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

namespace {

bool LocalExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::symlink_status(path, error).type() !=
           std::filesystem::file_type::not_found;
}

// Names that differ in case alone would be one file where the user's disk folds case, and the
// second of two entries of one name is one no path reaches.
void CheckLocalNames(const std::vector<std::string>& locals) {
    for (size_t i = 0; i < locals.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (SameName(locals[j], locals[i], TNameCase::Folded))
                throw EFileSystemError(
                    rtl::Format(rtl::Tr("The program cannot extract the files: two of them would "
                                        "be written as \"%s\"."),
                                rtl::ExtractFileName(locals[i]).c_str()));
}

} // namespace

std::vector<std::string> ExtractEntries(const TFileSystem& fs,
                                        const std::vector<TExtractItem>& items) {
    struct TOut {
        std::string Path;
        bool Folder = false;
        std::vector<uint8_t> Data;
        // Was there before: replaced (a folder written into), never removed on failure.
        bool Existed = false;
        std::optional<rtl::TLocalTime> Date;
    };
    std::vector<TOut> outs;
    const auto gather = [&](const auto& self, const std::string& path, const std::string& local,
                            const TFileEntry& entry, bool replace, int depth) -> void {
        const bool exists = LocalExists(local);
        const bool isFolder = exists && std::filesystem::is_directory(local);
        // A file is replaced by a file and a folder written into by a folder, nothing else.
        if (exists && !(replace && isFolder == entry.Folder))
            throw EFileSystemError(rtl::Format(rtl::Tr("The file \"%s\" exists."), local.c_str()));
        if (!entry.Folder) {
            outs.push_back({local, false, fs.Read(path), exists, entry.Date});
            return;
        }
        outs.push_back({local, true, {}, exists, std::nullopt});
        if (depth > MaxTreeDepth)
            return;
        const std::vector<TFileEntry> inner = fs.List(path);
        std::vector<std::string> locals;
        for (const TFileEntry& each : inner)
            locals.push_back(local + '/' + LocalFileName(each.Name));
        CheckLocalNames(locals);
        for (size_t i = 0; i < inner.size(); ++i)
            self(self, JoinPath(path, inner[i].Name), locals[i], inner[i], replace, depth + 1);
    };
    // Everything is read and every name checked first, so that a file that cannot be read, two
    // entries that would land on one name, or a name already taken write nothing at all.
    std::vector<std::string> locals;
    for (const TExtractItem& item : items)
        locals.push_back(item.Local);
    CheckLocalNames(locals);
    for (const TExtractItem& item : items)
        gather(gather, item.Path, item.Local, item.Entry, item.Replace, 0);
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
    // Each entry written with the name it goes out under, its own without names.
    std::vector<TExtractItem> items;
    for (size_t i = 0; i < selected.size(); ++i)
        if (names.empty() || names[i]) {
            const TExtractName name =
                names.empty() ? TExtractName{LocalFileName(selected[i]->Name)} : *names[i];
            items.push_back({PathOf(*selected[i]), *selected[i],
                             rtl::IncludeTrailingPathDelimiter(folder) + name.Local, name.Replace});
        }
    return ExtractEntries(*FFileSystem, items);
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

void TDiskFilesHandler::RaiseNewFolderRefusal() const {
    if (FFileSystem && !FFileSystem->HasFolders())
        throw EFileSystemError(rtl::Format(rtl::Tr(NoFoldersMessage), FFileSystem->Name().c_str()));
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

bool TDiskFilesHandler::CanAddFolder() const {
    return CanChange() && FFileSystem->HasFolders();
}

void TDiskFilesHandler::AddFolder() {
    if (!CanAddFolder())
        RaiseUnavailable();
    std::string folder = FAddFolder;
    if (!FUserInterface.BrowseForFolder(rtl::Tr("Add Folder"), FAddFolder, folder))
        return;
    FAddFolder = folder;
    AddFilesFrom({folder});
}

namespace {

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
    // A folder comes with everything in it, each file named in messages by its path below the
    // folder shown.
    std::vector<TFileToPut> files;
    std::vector<std::string> shownNames;
    for (const std::string& path : paths) {
        const std::string local = rtl::ExcludeTrailingPathDelimiter(path);
        for (TFileToPut& file : LocalTreeToPut(
                 local, JoinPath(FFolder, EncodeFileName(rtl::ExtractFileName(local))))) {
            shownNames.push_back(rtl::Cp932ToUtf8(
                std::string_view(file.Path).substr(FFolder.empty() ? 0 : FFolder.size() + 1)));
            files.push_back(std::move(file));
        }
    }
    // Which names the disk has, by its own rule: a file put in the place of one leaves the count
    // of files as it was. Each file goes onto the disk the ones before it left.
    std::vector<bool> isTaken;
    for (const TFileToPut& file : files) {
        try {
            isTaken.push_back(
                !file.Folder &&
                PutOn(*FFileSystem, file.Path, file.Data, file.Date).FileSystem->FileCount() ==
                    FFileSystem->FileCount());
        } catch (const EFileSystemError&) {
            // Refused for now: its name is asked for below, or the refusal comes then.
            isTaken.push_back(false);
        }
    }
    TConflicts conflicts(FUserInterface, rtl::Tr("Add Files"),
                         static_cast<size_t>(std::count(isTaken.begin(), isTaken.end(), true)));
    size_t settled = 0;
    TDiskAfter disk;
    const TFileSystem* current = FFileSystem.get();
    bool stopped = false;
    for (size_t i = 0; i < files.size() && !conflicts.Cancelled() && !stopped; ++i) {
        TFileToPut& file = files[i];
        if (file.Folder && HasFolder(*current, file.Path))
            continue;
        std::optional<TDiskAfter> tried;
        while (!tried && !stopped) {
            try {
                tried = WithNearestName(*current, file.Path, [&] {
                    return PutOn(*current, file.Path, file.Data, file.Date, file.Folder);
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
                const std::string renamed = JoinPath(parts.Folder(), EncodeFilePath(value));
                // What a folder holds goes into it under its new name.
                if (file.Folder)
                    for (size_t j = i + 1; j < files.size(); ++j)
                        if (files[j].Path.starts_with(file.Path + '/'))
                            files[j].Path = renamed + files[j].Path.substr(file.Path.size());
                file.Path = renamed;
                shownNames[i] = value;
            }
        }
        if (stopped)
            break;
        TDiskAfter after = std::move(*tried);
        if (!file.Folder && after.FileSystem->FileCount() == current->FileCount()) {
            const TConflictChoice choice = conflicts.Ask(
                rtl::Format(rtl::Tr("The disk already has a file \"%s\"."), shownNames[i].c_str()));
            if (choice == TConflictChoice::Skip || choice == TConflictChoice::Cancel)
                continue;
            if (choice == TConflictChoice::KeepBoth)
                std::tie(file.Path, after) = PutBeside(*current, file);
        }
        ++settled;
        disk = std::move(after);
        current = disk.FileSystem.get();
    }
    // The disk the loop left holds every file settled: it becomes the image's, one step.
    if (settled > 0)
        ChangeImage(FDocument, FIndex, AddFilesName(settled),
                    [&](const TFileSystem&) { return disk.Bytes; });
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
    std::vector<std::string> full;
    for (const TFileEntry* entry : Selected()) {
        paths.push_back(PathOf(*entry));
        if (entry->Folder && !FFileSystem->List(paths.back()).empty())
            full.push_back(paths.back());
    }
    // A folder that holds anything is asked about once, for all of them.
    if (!full.empty()) {
        const std::string text =
            full.size() == 1
                ? rtl::Format(rtl::Tr("The folder \"%s\" is not empty. Delete it with everything "
                                      "it holds?"),
                              NameInMessage(SplitPath(full.front()).Name).c_str())
                : rtl::Format(rtl::Tr("%d of the folders are not empty. Delete them with "
                                      "everything they hold?"),
                              static_cast<int>(full.size()));
        if (FUserInterface.MessageBox(text, rtl::Tr("Delete Files"), TMessageButtons::YesNo,
                                      TMessageIcon::Warning) != idYes)
            return;
    }
    ::DeleteFiles(FDocument, FIndex, paths,
                  full.empty() ? TFolderContents::Keep : TFolderContents::Delete);
    Refresh();
}

bool TDiskFilesHandler::CanNewFolder() const {
    return CanChange() && FFileSystem->HasFolders();
}

void TDiskFilesHandler::NewFolder() {
    if (!CanNewFolder())
        RaiseUnavailable();
    AskForName(rtl::Tr("New Folder"), rtl::Tr("Specify the folder's name."),
               NameInMessage(FFileSystem->FittingName(EncodeFileName(rtl::Tr("FOLDER")))),
               [this](const std::string& value) {
                   THandlerChange change(*this);
                   const std::string path = JoinPath(FFolder, EncodeFileName(value));
                   ::MakeFolder(FDocument, FIndex, path);
                   Refresh();
                   if (const std::optional<TFileEntry> made = FindFileEntry(*FFileSystem, path))
                       FMadeFolder = made->Name;
               });
}

void TDiskFilesHandler::AskForName(const std::string& caption, const std::string& prompt,
                                   std::string value,
                                   const std::function<void(const std::string&)>& change) {
    std::string message = prompt;
    while (FUserInterface.ExecuteEnterDialog(caption, message, value)) {
        try {
            change(value);
            return;
        } catch (const ENameError& e) {
            value = NameInMessage(FFileSystem->FittingName(EncodeFilePath(value)));
            message = std::string(e.what()) + "\n" + prompt;
        } catch (const rtl::Exception& e) {
            message = std::string(e.what()) + "\n" + prompt;
        }
    }
}

bool TDiskFilesHandler::CanRenameFile() const {
    return CanChange() && FPanel.SelectedEntries().size() == 1;
}

void TDiskFilesHandler::RenameFile() {
    if (!CanRenameFile())
        RaiseUnavailable();
    // A copy: the dialog may let the panel refresh, which replaces the entries.
    const TFileEntry entry = *Selected().front();
    AskForName(rtl::Tr("Rename File"), rtl::Tr("Specify the file's new name."),
               rtl::Cp932ToUtf8(entry.Name), [&](const std::string& value) {
                   THandlerChange change(*this);
                   ::RenameFile(FDocument, FIndex, PathOf(entry), EncodeFilePath(value));
                   Refresh();
               });
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

std::string ImageLabel(const TDiskImage& image, int row) {
    if (image.Name().empty())
        return std::to_string(row);
    return rtl::Format("%d (\"%s\")", row, rtl::Cp932ToUtf8(image.Name()).c_str());
}
