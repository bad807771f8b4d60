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
template <typename TPlan>
void ChangeImage(TFileHandler& document, int index, const char* name, TPlan&& plan) {
    if (index < 0 || index >= document.DiskImageCount())
        document.RaiseUnavailable();
    const TDiskImage& image = document.DiskImages(index);
    if (image.WriteProtected() != WriteProtectedOff)
        throw EFileSystemError(rtl::Format(
            rtl::Tr("The disk image %s is write-protected; clear its write protection to "
                    "change its files."),
            ImageLabel(image, index + 1).c_str()));
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
                        bytes = current->Put(file.Path, file.Data);
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
    ChangeImage(document, index, rtl::TrNoop("Rename file"),
                [&](const TFileSystem& fs) { return fs.Rename(path, newName); });
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

void TDiskFilesHandler::Extract() {
    if (!CanExtract())
        RaiseUnavailable();
    std::string folder = FExtractFolder;
    if (!FUserInterface.BrowseForFolder(rtl::Tr("Extract Files"), FExtractFolder, folder))
        return;
    FExtractFolder = folder;
    ExtractTo(folder);
}

std::vector<std::string> TDiskFilesHandler::ExtractTo(const std::string& folder) {
    if (!CanExtract())
        RaiseUnavailable();
    // Everything is read and every name checked first, so that a file that cannot be read, two
    // entries that would land on one name, or a name already taken write nothing at all.
    struct TOut {
        std::string Path;
        bool Folder = false;
        std::vector<uint8_t> Data;
    };
    std::vector<TOut> outs;
    // Entries whose local names differ in case alone would be one file where the user's disk
    // folds case, and the second of two entries of one name is one no path reaches.
    const auto checkNames = [](const std::vector<const TFileEntry*>& entries) {
        for (size_t i = 0; i < entries.size(); ++i)
            for (size_t j = 0; j < i; ++j)
                if (SameName(LocalFileName(entries[j]->Name), LocalFileName(entries[i]->Name),
                             TNameCase::Folded))
                    throw EFileSystemError(rtl::Format(
                        rtl::Tr("The program cannot extract the files: two of them would be "
                                "written as \"%s\"."),
                        LocalFileName(entries[i]->Name).c_str()));
    };
    const auto gather = [&](const auto& self, const std::string& path, const std::string& local,
                            const TFileEntry& entry, int depth) -> void {
        if (std::filesystem::symlink_status(local).type() != std::filesystem::file_type::not_found)
            throw EFileSystemError(rtl::Format(rtl::Tr("The file \"%s\" exists."), local.c_str()));
        if (!entry.Folder) {
            outs.push_back({local, false, FFileSystem->Read(path)});
            return;
        }
        outs.push_back({local, true, {}});
        // A folder tree deeper than this is a loop the file system let through.
        if (depth > 32)
            return;
        const std::vector<TFileEntry> inner = FFileSystem->List(path);
        std::vector<const TFileEntry*> entries;
        for (const TFileEntry& each : inner)
            entries.push_back(&each);
        checkNames(entries);
        for (const TFileEntry& each : inner)
            self(self, path + '/' + each.Name, local + '/' + LocalFileName(each.Name), each,
                 depth + 1);
    };
    const std::vector<const TFileEntry*> selected = Selected();
    checkNames(selected);
    for (const TFileEntry* entry : selected)
        gather(gather, PathOf(*entry),
               rtl::IncludeTrailingPathDelimiter(folder) + LocalFileName(entry->Name), *entry, 0);
    std::vector<std::string> written;
    try {
        rtl::TFileBatch batch;
        for (TOut& out : outs) {
            if (out.Folder) {
                std::error_code error;
                if (!std::filesystem::create_directory(out.Path, error))
                    throw EFileSystemError(
                        rtl::Format(rtl::Tr("The program cannot create the folder \"%s\": %s."),
                                    out.Path.c_str(),
                                    (error ? error : std::make_error_code(std::errc::file_exists))
                                        .message()
                                        .c_str()));
            } else {
                auto file =
                    std::make_unique<rtl::TNewFileStream>(out.Path, rtl::TNaming::NoReplace);
                file->WriteBuffer(out.Data.data(), static_cast<int64_t>(out.Data.size()));
                file->CommitLater(out.Path);
                batch.Add(std::move(file));
            }
            written.push_back(out.Path);
        }
        batch.Flush();
    } catch (...) {
        // None of these names was taken before: what was made of them goes, folders last.
        std::error_code ignored;
        for (auto at = written.rbegin(); at != written.rend(); ++at)
            std::filesystem::remove(*at, ignored);
        throw;
    }
    return written;
}

bool TDiskFilesHandler::CanChange() const {
    // The image shown may have left the document since the last refresh.
    if (!FFileSystem || !FFileSystem->CanWrite() || FIndex < 0 ||
        FIndex >= FDocument.DiskImageCount() || &FDocument.DiskImages(FIndex) != FImage)
        return false;
    return FImage->WriteProtected() == WriteProtectedOff;
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

void TDiskFilesHandler::AddFilesFrom(const std::vector<std::string>& paths) {
    if (!CanAddFiles() || paths.empty())
        RaiseUnavailable();
    THandlerChange change(*this);
    std::vector<TFileToPut> files;
    for (const std::string& path : paths) {
        const std::string name = EncodeFilePath(rtl::ExtractFileName(path));
        files.push_back({FFolder.empty() ? name : FFolder + '/' + name, ReadLocalFile(path)});
    }
    PutFiles(FDocument, FIndex, files);
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
    if (!FUserInterface.ExecuteEnterDialog(rtl::Tr("Rename File"),
                                           rtl::Tr("Specify the file's new name."), value))
        return;
    THandlerChange change(*this);
    ::RenameFile(FDocument, FIndex, PathOf(entry), EncodeFilePath(value));
    Refresh();
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
