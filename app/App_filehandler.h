// The document and every operation on it; the names it gives its files are App_filenames'.
#pragma once

#include "App_commands.h"
#include "App_dialogs.h"
#include "App_diskformats.h"
#include "App_filenames.h"
#include "App_handler.h"
#include "Rtl_paths.h"
#include "Vix_clipboard.h"

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

// A name the user typed (UTF-8) as an image name: code page 932 of at most 16 bytes.
// EHandlerError "The program cannot accept the value." for one that is not.
std::string EncodeName(const std::string& text);

// What Name > Copy puts on the clipboard for names (code page 932): their text, one a line, and
// their own bytes beside it, which a paste of that very text takes instead, since text cannot
// carry every name.
void PutNamesOnClipboard(TClipboard& clipboard, const std::vector<std::string>& names);

// ---------------------------------------------------------------------------------------------
// The document controller: the one open document, its history, its file dialogs, and every
// file, edit and property operation, each refused unless its Can… query allows it.

class TFileHandler : public THandler {
public:
    // EHandlerError "The program cannot create a file handler." without a list view shell.
    TFileHandler(TListViewShell* listViewShell, TUserInterface& userInterface);
    ~TFileHandler() override;

    // Document life.
    virtual void New();
    virtual bool CanNew() const { return true; }
    virtual void Open();
    virtual void OpenFile(const std::string& path);
    virtual bool CanOpen() const { return true; }
    // The files last opened or saved, the latest first, at most RecentFilesLimit; kept in the
    // settings.
    static constexpr size_t RecentFilesLimit = 10;
    const std::vector<std::string>& RecentFiles() const { return FRecentFiles; }
    // Opens the recent file at index; one that is no longer there is taken off the list, with a
    // message that says so.
    virtual void OpenRecent(int index);
    virtual bool CanOpenRecent() const { return CanOpen() && !FRecentFiles.empty(); }
    virtual void ClearRecentFiles();
    virtual bool CanClearRecentFiles() const { return !FRecentFiles.empty(); }
    // Save and Save As ask before they write over the document's own file that another program
    // has changed since it was read or saved; No aborts with nothing written.
    virtual void Save();
    virtual bool CanSave() const { return !IsEmpty() && IsModified(); }
    virtual void SaveAs();
    // Writes the document to path and makes path its file, asking nothing: for callers that
    // keep other writers out themselves.
    virtual void SaveFile(const std::string& path);
    virtual bool CanSaveAs() const { return !IsEmpty(); }
    virtual void BackUp();
    virtual bool CanBackUp() const { return HasFileName(); }
    virtual void ToggleBackUpOnSave();
    virtual bool CanToggleBackUpOnSave() const { return true; }
    // Adding.
    virtual void AddNew();
    virtual void AddNewDiskImage(const TDiskFormat& format);
    virtual bool CanAddNew() const { return true; }
    virtual void AddExistent();
    // Takes every form of disk image file; a plain dump whose size fits several formats is
    // settled by the format chooser when there is one, else by asking the user.
    virtual void AddExistentFiles(const std::vector<std::string>& paths);
    virtual bool CanAddExistent() const { return true; }
    // Saving selected images elsewhere.
    virtual void SaveToSingleFile();
    virtual bool CanSaveToSingleFile() const { return HasSelection(); }
    virtual void SaveToMultipleFiles();
    virtual bool CanSaveToMultipleFiles() const { return HasSelection(); }
    // The same in another form: every selected image is checked first, and one that the form
    // cannot hold refuses the whole run before any file is written.
    virtual void SaveToMultipleFilesAs(TImageForm form);
    // Editing.
    virtual void Undo();
    virtual bool CanUndo() const { return FInvoker->CanUndo(); }
    virtual void Redo();
    virtual bool CanRedo() const { return FInvoker->CanRedo(); }
    virtual void Delete();
    virtual bool CanDelete() const { return HasSelection(); }
    virtual void SelectAll();
    virtual bool CanSelectAll() const { return !IsEmpty(); }
    virtual void ReverseSelection();
    virtual bool CanReverseSelection() const { return !IsEmpty(); }
    // Selects every image whose track data an image above it already has, and no other.
    virtual void SelectDuplicates();
    virtual bool CanSelectDuplicates() const { return !IsEmpty(); }
    // Shows what a walk of every image's tracks finds; choosing a finding selects its image.
    // Changes nothing in the document.
    virtual void Check();
    virtual bool CanCheck() const { return !IsEmpty(); }
    virtual void Duplicate();
    virtual bool CanDuplicate() const { return HasSelection(); }
    virtual void SortByName();
    virtual bool CanSortByName() const { return !IsEmpty(); }
    virtual void SortByWriteProtected();
    virtual bool CanSortByWriteProtected() const { return !IsEmpty(); }
    virtual void SortByDiskType();
    virtual bool CanSortByDiskType() const { return !IsEmpty(); }
    virtual void SortBySize();
    virtual bool CanSortBySize() const { return !IsEmpty(); }
    virtual void ReverseOrder();
    virtual bool CanReverseOrder() const { return !IsEmpty(); }
    virtual void MoveUp();
    virtual bool CanMoveUp() const { return HasSelection(); }
    virtual void MoveDown();
    virtual bool CanMoveDown() const { return HasSelection(); }
    // Properties.
    virtual void NameCopy();
    virtual bool CanNameCopy() const { return HasSelection(); }
    virtual void NamePaste();
    virtual bool CanNamePaste() const;
    virtual void NameEnter();
    virtual bool CanNameEnter() const { return HasSelection(); }
    virtual void WriteProtectedSetToYes();
    virtual bool CanWriteProtectedSetToYes() const { return HasSelection(); }
    virtual void WriteProtectedSetToNo();
    virtual bool CanWriteProtectedSetToNo() const { return HasSelection(); }
    virtual void WriteProtectedToggle();
    virtual bool CanWriteProtectedToggle() const { return HasSelection(); }
    virtual void SizeSum();
    virtual bool CanSizeSum() const { return HasSelection(); }
    // Makes bytes, a valid image, the image at index as one undoable step named name: a change of
    // the files on its disk. The selection stays as it is.
    virtual void ChangeImageContents(int index, const std::string& name,
                                     std::span<const uint8_t> bytes);
    // Makes rows, ascending, the selection, the first of them focused and in view.
    void SelectRows(const std::vector<int>& rows);
    // Gives each image of rows its name of names (code page 932 already) as one undoable step
    // called name.
    void SetNames(const std::string& name, const std::vector<int>& rows,
                  const std::vector<std::string>& names);
    // Dropped files and the command line.
    virtual void DropFiles(const std::vector<std::string>& paths);
    virtual bool CanDropFiles() const { return true; }
    // State.
    virtual bool HasFileName() const { return !FFileName.empty(); }
    virtual bool IsUntouched() const;
    virtual bool IsEmpty() const { return DiskImageCount() == 0; }
    virtual bool IsModified() const { return FInvoker->GetModified(); }

    void LoadSettings(rtl::TMemIniFile& settings) override;
    void SaveSettings(rtl::TMemIniFile& settings) override;

    // For callers with nobody to ask (scripts): settles the format of ambiguous plain dumps.
    void SetFormatChooser(TFormatChooser chooser) { FFormatChooser = std::move(chooser); }
    // The preset every plain dump is read with, a script's --format; none asks the chooser.
    void SetNamedFormat(std::optional<std::string> name) { FNamedFormat = std::move(name); }
    // For callers with nobody to show a message to (scripts): where the notes of added files go,
    // a sentence at a time, instead of one message once the files are in.
    void SetNoteSink(std::function<void(const std::string&)> sink) { FNoteSink = std::move(sink); }

    const std::string& FileName() const { return FFileName; }
    void SetFileName(const std::string& path);
    // "Untitled.d88", or the last component of the file name.
    std::string DocumentName() const;
    bool BackUpOnSave() const { return FBackUpOnSave; }
    void SetBackUpOnSave(bool value);
    // The backup this handler made last; "" before any.
    const std::string& LastBackupPath() const { return FLastBackupPath; }
    int DiskImageCount() const { return FDiskImages.Count(); }
    TDiskImage& DiskImages(int index) const { return *FDiskImages[index]; }
    // The name of the command Undo or Redo would act on, or "(None)".
    std::string UndoName() const;
    std::string RedoName() const;

    TFileDialog& OpenDialog() const { return *FOpenDialog; }
    TFileDialog& AddExistentDialog() const { return *FAddExistentDialog; }
    TFileDialog& SaveAsDialog() const { return *FSaveAsDialog; }
    TFileDialog& SaveToSingleFileDialog() const { return *FSaveToSingleFileDialog; }
    const TInvoker& Invoker() const { return *FInvoker; }

private:
    bool HasSelection() const { return FListViewShell.SelCount() > 0; }
    std::vector<std::pair<const char*, TFileDialog*>> SettingsDialogs() const;
    std::unique_ptr<TFileDialog> NewDialog(TFileDialogKind kind, const char* title,
                                           const std::string& filter, unsigned options);
    // Adds, executes and keeps one edit in the document's history.
    void Run(std::unique_ptr<TMultiEditCommand> command);
    // An "Add" command taking over every image of images, in order.
    std::unique_ptr<TMultiEditCommand> NewAddCommand(TDiskImageList& images);
    void Reorder(const char* name, const TExchangePlan& plan);
    void SetWriteProtected(const std::vector<int>& rows, const std::vector<int32_t>& values);
    void SplitDocumentName(std::string& baseName, std::string& extension) const;
    // Adds the images of the files, read with source's formats, as one command.
    void AddFiles(const std::vector<std::string>& paths, const TFormatSource& source);
    // The presets' formats, and who settles a plain dump that fits several.
    TFormatSource FormatSource() const;
    // Tells what the files added held that their images cannot, once they are in.
    void TellNotes(const std::vector<std::string>& notes);
    // Aborts unless the user agrees to write over path when it is the document's file and
    // another program has changed that since the document read or saved it.
    void ConfirmOverwriteOfChangedFile(const std::string& path);

    // Declared in the order of construction; destroyed in reverse, so the history (whose
    // steps hand listed images to the keeper) goes before the lists it refers to.
    std::string FFileName;
    // The file as the document last read or wrote it; nothing without a file name.
    std::optional<rtl::TFileIdentity> FFileIdentity;
    TDiskImageList FOpenedDiskImages{true};
    TDiskImageListKeeper FKeeper{FOpenedDiskImages};
    TDiskImageList FDiskImages{false};
    TListViewShell& FListViewShell;
    TUserInterface& FUserInterface;
    TEditCommandHandlers FEditHandlers;
    std::unique_ptr<TInvoker> FInvoker;
    std::unique_ptr<TClipboardWatcher> FClipboardWatcher;
    bool FBackUpOnSave = false;
    std::string FLastBackupPath;
    // Counts completed saves, so an open can tell whether its own question saved a file.
    int FSaveCount = 0;
    std::unique_ptr<TFileDialog> FOpenDialog;
    std::unique_ptr<TFileDialog> FAddExistentDialog;
    std::unique_ptr<TFileDialog> FSaveAsDialog;
    std::unique_ptr<TFileDialog> FSaveToSingleFileDialog;
    TFormatChooser FFormatChooser;
    std::optional<std::string> FNamedFormat;
    std::function<void(const std::string&)> FNoteSink;
    std::vector<std::string> FRecentFiles;
};
