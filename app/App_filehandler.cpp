#include "App_filehandler.h"

#include "App_diskcheck.h"
#include "App_handler.h"
#include "Rtl_codepage.h"
#include "Rtl_inifiles.h"
#include "Rtl_paths.h"
#include "Rtl_texts.h"
#include "Vix_collation.h"
#include "Vix_files.h"
#include "Vix_lists.h"
#include "Vix_shelllinks.h"
#include "Vix_strings.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace {

std::string NamesToText(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += rtl::Cp932ToUtf8(name) + "\r\n";
    return text;
}

// Each name as its length in one byte followed by its bytes.
std::string PackNames(const std::vector<std::string>& names) {
    std::string data;
    for (const std::string& name : names) {
        data += static_cast<char>(name.size());
        data += name;
    }
    return data;
}

// False when data is not what PackNames makes of names a disk image can have.
bool UnpackNames(const std::string& data, std::vector<std::string>& names) {
    for (size_t i = 0; i < data.size();) {
        const size_t length = static_cast<unsigned char>(data[i++]);
        if (length > TDiskImage::MaxNameLength || length > data.size() - i)
            return false;
        names.push_back(data.substr(i, length));
        i += length;
    }
    return true;
}

} // namespace

void PutNamesOnClipboard(TClipboard& clipboard, const std::vector<std::string>& names) {
    // Bytes that code page 932 cannot decode, and characters with two codes, would come back
    // different from the text alone.
    clipboard.SetTextWithData(NamesToText(names), PackNames(names));
}

// ---------------------------------------------------------------------------------------------
// TFileHandler

namespace {

const char* const SectionName = "FileHandler";
const char* const RecentFilesSection = "RecentFiles";

// path first in files, once, and no more than limit of them.
void PutFirst(std::vector<std::string>& files, const std::string& path, size_t limit) {
    std::erase(files, path);
    files.insert(files.begin(), path);
    if (files.size() > limit)
        files.resize(limit);
}

// Only the names of the filters' entries are the reader's; the patterns after them are the
// dialog's and stay as they are.
std::string SaveFilter() {
    return std::string(rtl::Tr("D77 disk images (*.d77)")) + "|*.d77|" +
           rtl::Tr("D88 disk images (*.d88)") + "|*.d88";
}

std::string OpenFilter() {
    return SaveFilter() + "|" + rtl::Tr("All disk images (*.d77, *.d88)") + "|*.d77;*.d88|" +
           rtl::Tr("All (*.*)") + "|*.*";
}

// Entry 5 was added after the others, so that the filter index kept in the settings still
// means what it meant.
std::string AddExistentFilter() {
    std::string shown, patterns;
    for (const auto* list : {&ContainerExtensions(), &OtherFormExtensions()})
        for (const std::string& extension : *list) {
            shown += (shown.empty() ? "*" : ", *") + extension;
            patterns += (patterns.empty() ? "*" : ";*") + extension;
        }
    return OpenFilter() + "|" + rtl::Format(rtl::Tr("Disk images (%s)"), shown.c_str()) + "|" +
           patterns;
}

// source, its notes kept in notes: they are told once every file is in, not file by file.
TFormatSource NotingSource(const TFormatSource& source, std::vector<std::string>& notes) {
    TFormatSource noting = source;
    noting.Note = [&notes](const std::string& note) { notes.push_back(note); };
    return noting;
}

constexpr int InitialFilterIndex = 2;
// Not translated: the document's name is the start of the names Save to Single File and Save to
// Multiple Files propose, and file names do not change with the reader's language.
const char* const UntitledName = "Untitled.d88";
const char* const NoCommandName = rtl::TrNoop("(None)");
const char* const ChangedOnDiskQuestion =
    rtl::TrNoop("The file has been changed by another program since it was opened. Do you want to "
                "overwrite it?");

// Entry k - 1 is the default extension of entry k of the save filter.
const std::vector<std::string>& DiskImageExtensions() {
    static const std::vector<std::string> extensions = SplitString("d77;d88", ';', '"');
    return extensions;
}

void ApplyDefaultExtension(TFileDialog& dialog) {
    const auto& extensions = DiskImageExtensions();
    if (dialog.FilterIndex >= 1 && dialog.FilterIndex <= static_cast<int>(extensions.size()))
        dialog.DefaultExt = extensions[static_cast<size_t>(dialog.FilterIndex - 1)];
}

TListViewShell& RequireShell(TListViewShell* shell) {
    if (shell == nullptr)
        throw EHandlerError(rtl::Tr("The program cannot create a file handler."));
    return *shell;
}

template <int32_t (TDiskImage::*Property)() const, int (*Compare)(int32_t, int32_t)>
int CompareProperty(const TDiskImageList& list, int index1, int index2, int32_t) {
    return Compare((list[index1]->*Property)(), (list[index2]->*Property)());
}

} // namespace

TFileHandler::TFileHandler(TListViewShell* listViewShell, TUserInterface& userInterface)
    : FListViewShell(RequireShell(listViewShell)), FUserInterface(userInterface),
      FEditHandlers(FDiskImages, FListViewShell, FKeeper), FInvoker(std::make_unique<TInvoker>()),
      FClipboardWatcher(std::make_unique<TClipboardWatcher>(userInterface.Clipboard())) {
    FClipboardWatcher->SetActive(true);
    // Paste's availability follows the clipboard.
    FClipboardWatcher->OnChange = [this](TClipboardWatcher&) { Changed(); };
    const unsigned openOptions = ofHideReadOnly | ofPathMustExist | ofFileMustExist;
    const unsigned saveOptions = ofOverwritePrompt | ofHideReadOnly;
    FOpenDialog = NewDialog(TFileDialogKind::Open, rtl::Tr("Open"), OpenFilter(), openOptions);
    FAddExistentDialog = NewDialog(TFileDialogKind::Open, rtl::Tr("Add Existent"),
                                   AddExistentFilter(), openOptions | ofAllowMultiSelect);
    FSaveAsDialog = NewDialog(TFileDialogKind::Save, rtl::Tr("Save As"), SaveFilter(), saveOptions);
    FSaveToSingleFileDialog =
        NewDialog(TFileDialogKind::Save, rtl::Tr("Save to Single File"), SaveFilter(), saveOptions);
}

TFileHandler::~TFileHandler() {
    FSaveToSingleFileDialog.reset();
    FSaveAsDialog.reset();
    FAddExistentDialog.reset();
    FOpenDialog.reset();
    FClipboardWatcher.reset();
    FInvoker.reset();
}

std::unique_ptr<TFileDialog> TFileHandler::NewDialog(TFileDialogKind kind, const char* title,
                                                     const std::string& filter, unsigned options) {
    std::unique_ptr<TFileDialog> dialog = FUserInterface.NewFileDialog(kind);
    dialog->Title = title;
    dialog->Filter = filter;
    dialog->FilterIndex = InitialFilterIndex;
    dialog->Options = options;
    if (kind == TFileDialogKind::Save) {
        ApplyDefaultExtension(*dialog);
        dialog->OnTypeChange = ApplyDefaultExtension;
    }
    return dialog;
}

// ---- state ----------------------------------------------------------------------------------

bool TFileHandler::IsUntouched() const {
    return FOpenedDiskImages.Empty() && FInvoker->HistoryCount() == 0;
}

bool TFileHandler::CanNamePaste() const {
    return HasSelection() && FUserInterface.Clipboard().HasText();
}

void TFileHandler::SetFileName(const std::string& path) {
    if (path == FFileName)
        return;
    FFileName = path;
    if (!path.empty()) {
        std::string folder = rtl::ExtractFilePath(path);
        if (folder.size() > 1 && folder.back() == rtl::PathDelim)
            folder.pop_back();
        // The next dialog starts where the document is; a folder that cannot be entered
        // changes nothing.
        rtl::SetCurrentDir(folder);
    }
    Changed();
}

std::string TFileHandler::DocumentName() const {
    return HasFileName() ? rtl::ExtractFileName(FFileName) : std::string(UntitledName);
}

void TFileHandler::SetBackUpOnSave(bool value) {
    if (value == FBackUpOnSave)
        return;
    FBackUpOnSave = value;
    Changed();
}

std::string TFileHandler::UndoName() const {
    return CanUndo() ? static_cast<const TEditCommand&>(FInvoker->NextUndoCommand()).Name
                     : std::string(rtl::Tr(NoCommandName));
}

std::string TFileHandler::RedoName() const {
    return CanRedo() ? static_cast<const TEditCommand&>(FInvoker->NextRedoCommand()).Name
                     : std::string(rtl::Tr(NoCommandName));
}

void TFileHandler::SplitDocumentName(std::string& baseName, std::string& extension) const {
    const std::string name = DocumentName();
    baseName = rtl::RemoveFileExt(name);
    extension = rtl::ExtractFileExt(name);
}

// ---- document life ---------------------------------------------------------------------------

void TFileHandler::New() {
    if (!CanNew())
        RaiseUnavailable();
    if (IsModified()) {
        const int answer = FUserInterface.MessageBox(
            rtl::Tr("The current document is modified.\r\n\r\nSave the document?"),
            FUserInterface.ApplicationTitle(), TMessageButtons::YesNoCancel, TMessageIcon::Warning);
        if (answer == idYes)
            Save();
        else if (answer != idNo)
            rtl::Abort();
    }
    THandlerChange change(*this);
    FInvoker->ClearHistory();
    FInvoker->SetUnmodified();
    FListViewShell.Clear();
    FDiskImages.Clear();
    FOpenedDiskImages.Clear();
    SetFileName("");
    FFileIdentity.reset();
}

void TFileHandler::Open() {
    if (!CanOpen())
        RaiseUnavailable();
    FOpenDialog->FileName.clear();
    if (!FOpenDialog->Execute())
        rtl::Abort();
    OpenFile(FOpenDialog->FileName);
}

void TFileHandler::OpenFile(const std::string& path) {
    if (!CanOpen())
        RaiseUnavailable();
    THandlerChange change(*this);
    std::unique_ptr<TMultiEditCommand> command =
        FEditHandlers.NewCommand(rtl::Tr("Open"), true, false);
    const std::string normalized = NormalizePath(path);
    // Read before the document is given up, so that a file that cannot be opened leaves the
    // document as it was and asks nothing.
    TDiskImageList loaded(true);
    std::optional<rtl::TFileIdentity> identity = loaded.LoadFromFile(normalized);
    const int savesBefore = FSaveCount;
    New();
    // Saving the old document may have written the very file being opened.
    if (FSaveCount != savesBefore)
        identity = loaded.LoadFromFile(normalized);
    FOpenedDiskImages.SwapItems(loaded);
    SetFileName(normalized);
    FFileIdentity = identity;
    for (TDiskImage* image : FOpenedDiskImages)
        FEditHandlers.AddOpenStep(*command, *image);
    // Opening is no edit: the command runs once and leaves no undo step.
    command->Execute();
    PutFirst(FRecentFiles, normalized, RecentFilesLimit);
}

void TFileHandler::OpenRecent(int index) {
    if (!CanOpenRecent() || index < 0 || index >= static_cast<int>(FRecentFiles.size()))
        RaiseUnavailable();
    const std::string path = FRecentFiles[static_cast<size_t>(index)];
    if (!rtl::FileOrFolderExists(path)) {
        THandlerChange change(*this);
        std::erase(FRecentFiles, path);
        FUserInterface.MessageBox(
            rtl::Format(rtl::Tr("The file \"%s\" is no longer there; it has been taken off the "
                                "list of recent files."),
                        path.c_str()),
            FUserInterface.ApplicationTitle(), TMessageButtons::OK, TMessageIcon::Warning);
        return;
    }
    OpenFile(path);
}

void TFileHandler::ClearRecentFiles() {
    if (!CanClearRecentFiles())
        RaiseUnavailable();
    THandlerChange change(*this);
    FRecentFiles.clear();
}

void TFileHandler::Save() {
    if (!CanSave())
        RaiseUnavailable();
    if (HasFileName()) {
        ConfirmOverwriteOfChangedFile(FFileName);
        SaveFile(FFileName);
    } else {
        SaveAs();
    }
}

void TFileHandler::SaveAs() {
    if (!CanSaveAs())
        RaiseUnavailable();
    FSaveAsDialog->FileName = HasFileName() ? FFileName : DocumentName();
    if (!FSaveAsDialog->Execute())
        rtl::Abort();
    ConfirmOverwriteOfChangedFile(FSaveAsDialog->FileName);
    SaveFile(FSaveAsDialog->FileName);
}

// Only the commands a user gives ask: the command-line tool saves through SaveFile while it
// holds the file's lock, and has nobody to answer.
void TFileHandler::ConfirmOverwriteOfChangedFile(const std::string& path) {
    if (!FFileIdentity)
        return;
    // The same file however the dialog spelled it; one that has gone holds nothing to lose.
    std::string target, own;
    if (!TryGetLongPath(path, target) || !TryGetLongPath(FFileName, own) || target != own)
        return;
    const std::optional<rtl::TFileIdentity> current = rtl::GetFileIdentity(target);
    if (!current || *current == *FFileIdentity)
        return;
    // Asked before SaveFile makes its backup, so that No leaves nothing behind.
    if (FUserInterface.MessageBox(rtl::Tr(ChangedOnDiskQuestion), FUserInterface.ApplicationTitle(),
                                  TMessageButtons::YesNo, TMessageIcon::Warning) != idYes)
        rtl::Abort();
}

void TFileHandler::SaveFile(const std::string& path) {
    THandlerChange change(*this);
    if (FBackUpOnSave && CanBackUp())
        BackUp();
    std::optional<rtl::TFileIdentity> identity = FDiskImages.SaveToFile(path);
    ++FSaveCount;
    SetFileName(path);
    FFileIdentity = identity;
    PutFirst(FRecentFiles, FFileName, RecentFilesLimit);
    FInvoker->SetUnmodified();
}

void TFileHandler::BackUp() {
    if (!CanBackUp())
        RaiseUnavailable();
    FLastBackupPath = BackUpFile(FFileName);
}

void TFileHandler::ToggleBackUpOnSave() {
    if (!CanToggleBackUpOnSave())
        RaiseUnavailable();
    SetBackUpOnSave(!FBackUpOnSave);
}

std::vector<std::pair<const char*, TFileDialog*>> TFileHandler::SettingsDialogs() const {
    // Each dialog's section is the handler's followed by this suffix, read and written in this
    // order.
    return {{".OpenDialog", FOpenDialog.get()},
            {".AddExistentDialog", FAddExistentDialog.get()},
            {".SaveAsDialog", FSaveAsDialog.get()},
            {".SaveToSingleFileDialog", FSaveToSingleFileDialog.get()}};
}

void TFileHandler::LoadSettings(rtl::TMemIniFile& settings) {
    THandlerChange change(*this);
    SetBackUpOnSave(settings.ReadInteger(SectionName, "BackUpOnSave", FBackUpOnSave ? 1 : 0) != 0);
    for (const auto& [suffix, dialog] : SettingsDialogs())
        dialog->FilterIndex = settings.ReadInteger(std::string(SectionName) + suffix, "FilterIndex",
                                                   dialog->FilterIndex);
    // Read in reverse, each put first, so that a list written by hand is taken as it reads.
    std::vector<std::string> recent;
    const int recentCount = std::clamp(settings.ReadInteger(RecentFilesSection, "Count", 0), 0,
                                       static_cast<int>(RecentFilesLimit));
    for (int i = recentCount; i >= 1; --i)
        if (const std::string path =
                settings.ReadString(RecentFilesSection, "File" + std::to_string(i), "");
            !path.empty())
            PutFirst(recent, path, RecentFilesLimit);
    FRecentFiles = std::move(recent);
}

void TFileHandler::SaveSettings(rtl::TMemIniFile& settings) {
    THandlerChange change(*this);
    settings.WriteInteger(SectionName, "BackUpOnSave", FBackUpOnSave ? 1 : 0);
    for (const auto& [suffix, dialog] : SettingsDialogs())
        settings.WriteInteger(std::string(SectionName) + suffix, "FilterIndex",
                              dialog->FilterIndex);
    settings.WriteInteger(RecentFilesSection, "Count", static_cast<int>(FRecentFiles.size()));
    for (size_t i = 0; i < FRecentFiles.size(); ++i)
        settings.WriteString(RecentFilesSection, "File" + std::to_string(i + 1), FRecentFiles[i]);
}

// ---- edits -----------------------------------------------------------------------------------

void TFileHandler::Run(std::unique_ptr<TMultiEditCommand> command) {
    FInvoker->Add(std::move(command));
    FInvoker->Execute();
}

std::unique_ptr<TMultiEditCommand> TFileHandler::NewAddCommand(TDiskImageList& images) {
    std::unique_ptr<TMultiEditCommand> command = FEditHandlers.NewCommand(rtl::Tr("Add"), true);
    while (!images.Empty())
        FEditHandlers.AddAddStep(*command, std::unique_ptr<TDiskImage>(images.ExtractAt(0)));
    return command;
}

void TFileHandler::AddNew() {
    if (!CanAddNew())
        RaiseUnavailable();
    TDiskFormat format;
    if (!FUserInterface.ExecuteAddNewDialog(format))
        rtl::Abort();
    AddNewDiskImage(format);
}

void TFileHandler::AddNewDiskImage(const TDiskFormat& format) {
    if (!CanAddNew())
        RaiseUnavailable();
    THandlerChange change(*this);
    TDiskImageList images(true);
    images.Add(std::make_unique<TDiskImage>(format));
    Run(NewAddCommand(images));
}

void TFileHandler::AddExistent() {
    if (!CanAddExistent())
        RaiseUnavailable();
    FAddExistentDialog->FileName.clear();
    if (!FAddExistentDialog->Execute())
        rtl::Abort();
    AddExistentFiles(FAddExistentDialog->Files);
}

void TFileHandler::AddExistentFiles(const std::vector<std::string>& paths) {
    if (!CanAddExistent())
        RaiseUnavailable();
    AddFiles(paths, FormatSource());
}

void TFileHandler::AddFiles(const std::vector<std::string>& paths, const TFormatSource& source) {
    THandlerChange change(*this);
    // Paths are UTF-8, not code page 932, but they load in the order names sort in.
    std::vector<std::string> sorted;
    sorted.reserve(paths.size());
    for (const std::string& path : paths)
        sorted.push_back(NormalizePath(path));
    SortTexts(sorted);
    TDiskImageList images(true);
    std::vector<std::string> notes;
    const TFormatSource noting = NotingSource(source, notes);
    for (const std::string& path : sorted) {
        TDiskImageList loaded(true);
        LoadImagesOfAnyForm(path, loaded, noting);
        while (!loaded.Empty())
            images.Add(std::unique_ptr<TDiskImage>(loaded.ExtractAt(0)));
    }
    Run(NewAddCommand(images));
    TellNotes(notes);
}

void TFileHandler::DropFiles(const std::vector<std::string>& paths) {
    if (!CanDropFiles())
        RaiseUnavailable();
    // The presets are read once, and a lone file is opened once, for the decision and the read.
    const TFormatSource source = FormatSource();
    if (IsUntouched() && paths.size() == 1) {
        // Only a file that is plainly another form is added: anything else opens, to be read,
        // or refused, as a container.
        std::unique_ptr<TImageFile> file;
        try {
            file = std::make_unique<TImageFile>(NormalizePath(paths.front()), source.Table);
        } catch (const rtl::Exception&) {
        }
        if (!file || file->Form() == TImageForm::D88) {
            OpenFile(paths.front());
            return;
        }
        if (!CanAddExistent())
            RaiseUnavailable();
        THandlerChange change(*this);
        TDiskImageList images(true);
        std::vector<std::string> notes;
        file->LoadInto(images, NotingSource(source, notes));
        Run(NewAddCommand(images));
        TellNotes(notes);
        return;
    }
    if (!CanAddExistent())
        RaiseUnavailable();
    AddFiles(paths, source);
}

void TFileHandler::TellNotes(const std::vector<std::string>& notes) {
    if (FNoteSink) {
        for (const std::string& note : notes)
            FNoteSink(note);
        return;
    }
    if (notes.empty())
        return;
    std::string text;
    for (const std::string& note : notes)
        text += (text.empty() ? "" : "\n") + note;
    FUserInterface.MessageBox(text, FUserInterface.ApplicationTitle(), TMessageButtons::OK,
                              TMessageIcon::None);
}

TFormatSource TFileHandler::FormatSource() const {
    const TPresetList presets = ReadPresets(PresetsFileName());
    TFormatSource source{NamedFormats(presets), FFormatChooser, FNamedFormat,
                         FNamedFormat ? PresetFormats(presets) : std::vector<TNamedFormat>{}};
    if (!source.Choose)
        source.Choose = [this](const std::string& path, const std::vector<TNamedFormat>& candidates,
                               size_t likeliest) {
            std::vector<std::string> names;
            for (const TNamedFormat& candidate : candidates)
                names.push_back(candidate.Name);
            int index = static_cast<int>(likeliest);
            if (!FUserInterface.ExecuteFormatDialog(rtl::ExtractFileName(path), names, index) ||
                index < 0 || index >= static_cast<int>(candidates.size()))
                rtl::Abort();
            return static_cast<size_t>(index);
        };
    return source;
}

void TFileHandler::Duplicate() {
    if (!CanDuplicate())
        RaiseUnavailable();
    THandlerChange change(*this);
    TDiskImageList copies(true);
    for (const int row : FListViewShell.GetSelectedIndices()) {
        auto copy = std::make_unique<TDiskImage>();
        copy->Assign(*FDiskImages[row]);
        copies.Add(std::move(copy));
    }
    std::unique_ptr<TMultiEditCommand> command = NewAddCommand(copies);
    command->Name = rtl::Tr("Duplicate");
    Run(std::move(command));
}

void TFileHandler::Delete() {
    if (!CanDelete())
        RaiseUnavailable();
    THandlerChange change(*this);
    std::vector<int> rows = FListViewShell.GetSelectedIndices();
    // Bottom up, so that every stored row is still right when its turn comes.
    std::reverse(rows.begin(), rows.end());
    std::unique_ptr<TMultiEditCommand> command = FEditHandlers.NewCommand(rtl::Tr("Delete"), true);
    for (const int row : rows)
        FEditHandlers.AddDeleteStep(*command, row);
    Run(std::move(command));
}

void TFileHandler::SelectAll() {
    if (!CanSelectAll())
        RaiseUnavailable();
    THandlerChange change(*this);
    FListViewShell.SelectAll();
}

void TFileHandler::SelectRows(const std::vector<int>& rows) {
    THandlerChange change(*this);
    {
        TListViewUpdate update(FListViewShell);
        FListViewShell.ClearSelection();
        for (const int row : rows)
            FListViewShell.SetSelected(row, true);
    }
    if (!rows.empty()) {
        FListViewShell.SetFocused(rows.front(), true);
        FListViewShell.MakeVisible(rows.front(), false);
    }
}

void TFileHandler::SelectDuplicates() {
    if (!CanSelectDuplicates())
        RaiseUnavailable();
    SelectRows(DuplicateImages(FDiskImages));
}

void TFileHandler::Check() {
    if (!CanCheck())
        RaiseUnavailable();
    std::vector<TFindingItem> items;
    for (int row = 0; row < FDiskImages.Count(); ++row)
        for (const TDiskFinding& finding : CheckDiskImage(FDiskImages[row]->Bytes()))
            items.push_back({row, SeverityText(finding.Severity), finding.Text});
    if (items.empty()) {
        FUserInterface.MessageBox(rtl::Tr("The check found nothing wrong with the disk images."),
                                  rtl::Tr("Check"), TMessageButtons::OK, TMessageIcon::None);
        return;
    }
    FUserInterface.ShowFindings(rtl::Tr("Check"), items, [this](int row) {
        if (row >= 0 && row < FDiskImages.Count())
            SelectRows({row});
    });
}

void TFileHandler::ReverseSelection() {
    if (!CanReverseSelection())
        RaiseUnavailable();
    THandlerChange change(*this);
    FListViewShell.ReverseSelection();
}

void TFileHandler::Undo() {
    if (!CanUndo())
        RaiseUnavailable();
    THandlerChange change(*this);
    FInvoker->Undo();
}

void TFileHandler::Redo() {
    if (!CanRedo())
        RaiseUnavailable();
    THandlerChange change(*this);
    FInvoker->Redo();
}

void TFileHandler::Reorder(const char* name, const TExchangePlan& plan) {
    std::unique_ptr<TMultiEditCommand> command = FEditHandlers.NewCommand(name, false);
    FEditHandlers.AddReorderSteps(*command, plan);
    Run(std::move(command));
}

void TFileHandler::SortByName() {
    if (!CanSortByName())
        RaiseUnavailable();
    THandlerChange change(*this);
    const TNameSortKeys keys = NameSortKeys(FDiskImages);
    std::vector<std::string_view> views;
    views.reserve(static_cast<size_t>(keys.Count()));
    for (int i = 0; i < keys.Count(); ++i)
        views.push_back(keys.Key(i));
    Reorder(rtl::Tr("Sort by name"), SortPlanByKeys(views));
}

void TFileHandler::SortByWriteProtected() {
    if (!CanSortByWriteProtected())
        RaiseUnavailable();
    THandlerChange change(*this);
    Reorder(rtl::Tr("Sort by write-protected"),
            SortPlan(FDiskImages,
                     &CompareProperty<&TDiskImage::WriteProtected, &CompareWriteProtected>, 0));
}

void TFileHandler::SortByDiskType() {
    if (!CanSortByDiskType())
        RaiseUnavailable();
    THandlerChange change(*this);
    Reorder(rtl::Tr("Sort by disk type"),
            SortPlan(FDiskImages, &CompareProperty<&TDiskImage::DiskType, &CompareDiskTypes>, 0));
}

void TFileHandler::SortBySize() {
    if (!CanSortBySize())
        RaiseUnavailable();
    THandlerChange change(*this);
    // The name users have always seen in the Undo caption.
    Reorder(rtl::Tr("Sort by by size"),
            SortPlan(FDiskImages, &CompareProperty<&TDiskImage::Size, &CompareSizes>, 0));
}

void TFileHandler::ReverseOrder() {
    if (!CanReverseOrder())
        RaiseUnavailable();
    THandlerChange change(*this);
    Reorder(rtl::Tr("Reverse order"), ReversePlan(FDiskImages));
}

void TFileHandler::MoveUp() {
    if (!CanMoveUp())
        RaiseUnavailable();
    THandlerChange change(*this);
    Reorder(rtl::Tr("Move up"), MovePlan(FDiskImages, FListViewShell.GetSelectedIndices(), -1));
}

void TFileHandler::MoveDown() {
    if (!CanMoveDown())
        RaiseUnavailable();
    THandlerChange change(*this);
    Reorder(rtl::Tr("Move down"), MovePlan(FDiskImages, FListViewShell.GetSelectedIndices(), 1));
}

// ---- properties ------------------------------------------------------------------------------

std::string EncodeName(const std::string& text) {
    const std::optional<std::string> encoded = rtl::Utf8ToCp932(text);
    if (!encoded || encoded->size() > TDiskImage::MaxNameLength)
        throw EHandlerError(rtl::Tr("The program cannot accept the value."));
    return *encoded;
}

void TFileHandler::SetNames(const std::string& name, const std::vector<int>& rows,
                            const std::vector<std::string>& names) {
    THandlerChange change(*this);
    std::unique_ptr<TMultiEditCommand> command = FEditHandlers.NewCommand(name, false);
    for (size_t k = 0; k < rows.size(); ++k)
        FEditHandlers.AddNameStep(*command, *FDiskImages[rows[k]], names[k]);
    Run(std::move(command));
}

void TFileHandler::ChangeImageContents(int index, const std::string& name,
                                       std::span<const uint8_t> bytes) {
    if (index < 0 || index >= DiskImageCount())
        RaiseUnavailable();
    THandlerChange change(*this);
    auto contents = std::make_unique<TDiskImage>();
    rtl::TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    contents->LoadFromStream(stream);
    std::unique_ptr<TMultiEditCommand> command = FEditHandlers.NewCommand(name, false);
    FEditHandlers.AddContentsStep(*command, *FDiskImages[index], std::move(contents));
    Run(std::move(command));
}

void TFileHandler::SetWriteProtected(const std::vector<int>& rows,
                                     const std::vector<int32_t>& values) {
    std::unique_ptr<TMultiEditCommand> command =
        FEditHandlers.NewCommand(rtl::Tr("Set write-protected property"), false);
    for (size_t k = 0; k < rows.size(); ++k)
        FEditHandlers.AddWriteProtectedStep(*command, *FDiskImages[rows[k]], values[k]);
    Run(std::move(command));
}

void TFileHandler::NameCopy() {
    if (!CanNameCopy())
        RaiseUnavailable();
    THandlerChange change(*this);
    std::vector<std::string> names;
    for (const int row : FListViewShell.GetSelectedIndices())
        names.push_back(FDiskImages[row]->Name());
    PutNamesOnClipboard(FUserInterface.Clipboard(), names);
}

void TFileHandler::NamePaste() {
    if (!CanNamePaste())
        RaiseUnavailable();
    THandlerChange change(*this);
    TClipboard& clipboard = FUserInterface.Clipboard();
    const std::string text = clipboard.GetText();
    std::vector<std::string> names;
    const std::optional<std::string> data = clipboard.GetData();
    if (!data || !UnpackNames(*data, names) || NamesToText(names) != text) {
        names.clear();
        for (const std::string& line : SplitLines(text))
            names.push_back(EncodeName(line));
    }
    if (static_cast<int>(names.size()) != FListViewShell.SelCount())
        throw EHandlerError(rtl::Tr("The program cannot paste the text in the clipboard."));
    SetNames(rtl::Tr("Set name property"), FListViewShell.GetSelectedIndices(), names);
}

void TFileHandler::NameEnter() {
    if (!CanNameEnter())
        RaiseUnavailable();
    const std::vector<int> rows = FListViewShell.GetSelectedIndices();
    const std::string& current = FDiskImages[rows.front()]->Name();
    const std::string proposed = rtl::Cp932ToUtf8(current);
    std::string value = proposed;
    if (!FUserInterface.ExecuteEnterDialog(
            rtl::Tr("Enter"),
            rtl::Format(rtl::Tr("Specify a name (up to %d characters in ASCII)."),
                        TDiskImage::MaxNameLength),
            value))
        rtl::Abort();
    THandlerChange change(*this);
    // The proposal confirmed as it was means the name as it is, bytes the text could not show
    // included.
    const std::string name = value == proposed ? current : EncodeName(value);
    SetNames(rtl::Tr("Set name property"), rows, std::vector<std::string>(rows.size(), name));
}

void TFileHandler::WriteProtectedSetToYes() {
    if (!CanWriteProtectedSetToYes())
        RaiseUnavailable();
    THandlerChange change(*this);
    const std::vector<int> rows = FListViewShell.GetSelectedIndices();
    SetWriteProtected(rows, std::vector<int32_t>(rows.size(), WriteProtectedOn));
}

void TFileHandler::WriteProtectedSetToNo() {
    if (!CanWriteProtectedSetToNo())
        RaiseUnavailable();
    THandlerChange change(*this);
    const std::vector<int> rows = FListViewShell.GetSelectedIndices();
    SetWriteProtected(rows, std::vector<int32_t>(rows.size(), WriteProtectedOff));
}

void TFileHandler::WriteProtectedToggle() {
    if (!CanWriteProtectedToggle())
        RaiseUnavailable();
    THandlerChange change(*this);
    const std::vector<int> rows = FListViewShell.GetSelectedIndices();
    std::vector<int32_t> values;
    for (const int row : rows) {
        const int32_t current = FDiskImages[row]->WriteProtected();
        if (current != WriteProtectedOn && current != WriteProtectedOff)
            throw EHandlerError(rtl::Tr("The program does not support the write-protect mode."));
        values.push_back(current == WriteProtectedOn ? WriteProtectedOff : WriteProtectedOn);
    }
    SetWriteProtected(rows, values);
}

void TFileHandler::SizeSum() {
    if (!CanSizeSum())
        RaiseUnavailable();
    int64_t total = 0;
    for (const int row : FListViewShell.GetSelectedIndices())
        total += FDiskImages[row]->Size();
    FUserInterface.MessageBox(rtl::Format(rtl::Tr("The total size of selected disk images is %s."),
                                          SizeToText(total).c_str()),
                              rtl::Tr("Sum"), TMessageButtons::OK, TMessageIcon::None);
}

// ---- saving selected images elsewhere --------------------------------------------------------

void TFileHandler::SaveToSingleFile() {
    if (!CanSaveToSingleFile())
        RaiseUnavailable();
    std::string baseName, extension;
    SplitDocumentName(baseName, extension);
    FSaveToSingleFileDialog->FileName =
        rtl::Format("%s #Selections%s", baseName.c_str(), extension.c_str());
    if (!FSaveToSingleFileDialog->Execute())
        rtl::Abort();
    TDiskImageList selected(false);
    for (const int row : FListViewShell.GetSelectedIndices())
        selected.Add(FDiskImages[row]);
    selected.SaveToFile(FSaveToSingleFileDialog->FileName);
}

void TFileHandler::SaveToMultipleFiles() {
    SaveToMultipleFilesAs(TImageForm::D88);
}

void TFileHandler::SaveToMultipleFilesAs(TImageForm form) {
    if (!CanSaveToMultipleFiles())
        RaiseUnavailable();
    const std::vector<int> rows = FListViewShell.GetSelectedIndices();
    if (form != TImageForm::D88)
        for (const int row : rows)
            CheckImageInForm(*FDiskImages[row], row + 1, form);
    std::string folder;
    if (!FUserInterface.BrowseForFolder(rtl::Tr("Specify the save location."), rtl::GetCurrentDir(),
                                        folder))
        rtl::Abort();
    rtl::SetCurrentDir(folder);
    const std::string documentName = NameInForm(DocumentName(), form);
    const bool splitExtension = !rtl::ExtractFileExt(documentName).empty();
    rtl::TFileBatch batch;
    try {
        for (const int row : rows) {
            const TDiskImage& image = *FDiskImages[row];
            SaveToUniquePath(image, row + 1, form,
                             MultipleFilesPath(folder, documentName, row + 1, image.Name()),
                             splitExtension, batch);
        }
    } catch (...) {
        // The files written before the failure stay, and reach the disk like the rest.
        try {
            batch.Flush();
        } catch (const rtl::EStreamError&) {
        }
        throw;
    }
    FlushSaves(batch);
}
