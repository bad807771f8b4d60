// The files on the disks of the document: each change of them is an edit of the document, one
// undoable step that gives the image its new bytes, and the Files panel's state and operations
// on the focused image.
#pragma once

#include "App_filehandler.h"
#include "App_filesystems.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

// The file system of image, row counting from 1 for the message; EFileSystemError "The program
// does not know the file system of the disk image 3 ("name")." when none is recognised. It reads
// the image's bytes, valid until the image changes.
std::unique_ptr<TFileSystem> OpenImageFileSystem(const TDiskImage& image, int row);

// A path or name the user typed (UTF-8) in code page 932; EHandlerError "The program cannot
// accept the value." when a character has no code there.
std::string EncodeFilePath(const std::string& text);
// The same for the name of a file of the user's disk, refused as "The program cannot accept the
// name "…"."
std::string EncodeFileName(const std::string& name);
// The name a file taken off a disk gets on the user's: its text with every byte a file name
// cannot hold, and the backslash that escapes, as \xNN; never "." or "..".
std::string LocalFileName(const std::string& name);

// A file or folder to write to a disk: its path there (code page 932), a file's bytes, and the
// date a disk that keeps dates gives it (the time it is put without one).
struct TFileToPut {
    TFileToPut(std::string path, std::vector<uint8_t> data,
               std::optional<rtl::TLocalTime> date = std::nullopt, bool folder = false)
        : Path(std::move(path)), Data(std::move(data)), Date(date), Folder(folder) {}

    std::string Path;
    std::vector<uint8_t> Data;
    std::optional<rtl::TLocalTime> Date;
    // A folder, made where the disk has none of its name and written into where it has.
    bool Folder = false;
};

// Each change runs on the image at index (from 0) of the document as one undoable step, named as
// the Edit menu's Undo shows it, and refuses before anything changes: a write-protected image, a
// disk without a known file system, and everything the file system refuses.
// PutFiles replaces a file of the same name unless told to refuse: "The disk already has a file
// "…".".
// A folder the disk has is written into, or refused as a taken name with the files.
enum class TExistingFile { Replace, Refuse };
void PutFiles(TFileHandler& document, int index, const std::vector<TFileToPut>& files,
              TExistingFile existing = TExistingFile::Replace);
void MakeFolder(TFileHandler& document, int index, const std::string& path);
// A folder that holds anything is deleted only with its contents, "The folder "…" is not
// empty." otherwise.
enum class TFolderContents { Keep, Delete };
void DeleteFiles(TFileHandler& document, int index, const std::vector<std::string>& paths,
                 TFolderContents contents = TFolderContents::Keep);
void RenameFile(TFileHandler& document, int index, const std::string& path,
                const std::string& newName);
// PutFiles and RenameFile refuse a name that does not fit with ENameError, its message ending
// "The nearest name that fits is "…"."

// The bytes of a file on the user's disk, refused before it is read when no disk could hold it.
std::vector<uint8_t> ReadLocalFile(const std::string& path);
// A file of the user's disk to put on a disk as path, with its bytes and its modification time.
TFileToPut LocalFileToPut(const std::string& local, const std::string& path);
// The local file or folder as the files to put on a disk as path: a folder first, then what it
// holds in name order, its folders' contents after each; links to folders are not followed.
// Refused before anything is read beyond what no disk could hold.
std::vector<TFileToPut> LocalTreeToPut(const std::string& local, const std::string& path);
// The date the disk keeps for the file at path, where it keeps one.
std::optional<rtl::TLocalTime> DiskFileDate(const TFileSystem& fs, const std::string& path);
// The entry path names: the name as typed first, else as the file system folds it.
std::optional<TFileEntry> FindFileEntry(const TFileSystem& fs, const std::string& path);
// The paths of everything in the folder path, folders before what they hold; a tree deeper than
// any disk's is a loop the file system let through and is not followed further.
std::vector<std::string> FolderContents(const TFileSystem& fs, const std::string& path);

// An entry of a disk taken out to Local, a path on the user's disk. Replace: what is there is
// replaced (a file by the file, a folder written into by the folder); otherwise a taken name
// refuses.
struct TExtractItem {
    std::string Path;
    TFileEntry Entry;
    std::string Local;
    bool Replace = false;
};
// Writes the items, a folder with everything in it, all or nothing: every file is read and every
// name checked before the first is written, and what was made goes again on a failure. A file
// gets the date the disk keeps for it. Returns the local paths written.
std::vector<std::string> ExtractEntries(const TFileSystem& fs,
                                        const std::vector<TExtractItem>& items);

// ---------------------------------------------------------------------------------------------
// The Files panel as far as its handler goes; the window implements it over its widgets.
class TFilesPanel {
public:
    TFilesPanel() = default;
    TFilesPanel(const TFilesPanel&) = delete;
    TFilesPanel& operator=(const TFilesPanel&) = delete;
    virtual ~TFilesPanel() = default;

    virtual bool Visible() const = 0;
    virtual void SetVisible(bool value) = 0;
    // Its height beside the image list, in pixels.
    virtual int Extent() const = 0;
    virtual void SetExtent(int value) = 0;
    // The entries selected, as indices into the handler's Entries(), ascending.
    virtual std::vector<int> SelectedEntries() const = 0;
};

// An image as messages name it: its row (from 1), and its name in quotes when it has one.
std::string ImageLabel(const TDiskImage& image, int row);

// What the panel shows of the focused image and every operation it offers; each change goes
// through the document's history. Refresh follows the image list's focus and every change.
class TDiskFilesHandler : public THandler {
public:
    // EHandlerError "The program cannot create a files handler." without a panel.
    TDiskFilesHandler(TFileHandler& document, TListViewShell& listViewShell,
                      TUserInterface& userInterface, TFilesPanel* panel);

    // Reads the focused image again; the folder shown is kept while it still exists and the
    // image is the same one.
    void Refresh();
    // The image shown, from 0; -1 for none.
    int Index() const { return FIndex; }
    // Null when the image shows no file system.
    const TFileSystem* FileSystem() const { return FFileSystem.get(); }
    // The folder shown, code page 932; "" is the root.
    const std::string& Folder() const { return FFolder; }
    const std::vector<TFileEntry>& Entries() const { return FEntries; }
    // What the status bar says of the image: its file system and free bytes, or why it shows
    // none.
    const std::string& StatusText() const { return FStatusText; }

    // Opens the folder of an entry; the parent folder for "..".
    virtual void OpenEntry(int entry);
    virtual bool CanOpenEntry(int entry) const;
    virtual void OpenParent();
    virtual bool CanOpenParent() const { return !FFolder.empty(); }
    // Writes the selected files (and folders, with what they hold) into a folder the user
    // chooses; a name taken there is asked about: replaced, skipped or kept beside as "NAME (2)".
    virtual void Extract();
    virtual bool CanExtract() const;
    // How ExtractTo writes one selected entry: its local name, and whether what has that name
    // is replaced (a folder's files written into it).
    struct TExtractName {
        std::string Local;
        bool Replace = false;
    };
    // The selected entries into folder, asking nothing; returns the paths written. names, when
    // given, holds one for each selected entry, none to leave it out; without it every entry
    // keeps its own name and a taken one refuses them all. Used by dragging out.
    std::vector<std::string> ExtractTo(const std::string& folder,
                                       const std::vector<std::optional<TExtractName>>& names = {});
    virtual void AddFiles();
    virtual bool CanAddFiles() const;
    // A folder the user chooses into the folder shown, with everything in it, as AddFilesFrom.
    virtual void AddFolder();
    virtual bool CanAddFolder() const;
    // The files at paths (on the user's disk) into the folder shown, as one step; a name the
    // disk has is asked about: replaced, skipped, or the file kept beside it under the next free
    // name the file system allows. Cancelling keeps the files settled before it.
    virtual void AddFilesFrom(const std::vector<std::string>& paths);
    // A folder that holds anything is asked about once: deleted with everything in it, or
    // nothing is.
    virtual void DeleteFiles();
    virtual bool CanDeleteFiles() const;
    // Asks for a name and makes an empty folder of it in the folder shown.
    virtual void NewFolder();
    virtual bool CanNewFolder() const;
    // The name of the folder NewFolder made last (code page 932), for the panel to select; empty
    // once taken.
    std::string TakeMadeFolder() { return std::exchange(FMadeFolder, {}); }
    virtual void RenameFile();
    virtual bool CanRenameFile() const;
    // Raises why the files of the disk shown cannot be changed (a write-protected image, a file
    // system only read, a damaged disk), as a change would; nothing when they can, or when the
    // image shows no file system.
    void RaiseChangeRefusal() const;
    // Raises why no folder can be made on the disk shown, when its file system has none.
    void RaiseNewFolderRefusal() const;
    virtual void ToggleShow();
    virtual bool CanToggleShow() const { return true; }
    bool Shown() const { return FPanel.Visible(); }

    void LoadSettings(rtl::TMemIniFile& settings) override;
    void SaveSettings(rtl::TMemIniFile& settings) override;

private:
    // Asks for a name in the Enter dialog until change takes it (UTF-8): a refused name brings
    // the dialog back with the reason above prompt and the text, or the nearest name that fits,
    // to edit. Cancel leaves everything as it was.
    void AskForName(const std::string& caption, const std::string& prompt, std::string value,
                    const std::function<void(const std::string&)>& change);
    bool CanChange() const;
    std::string PathOf(const TFileEntry& entry) const;
    std::vector<const TFileEntry*> Selected() const;

    TFileHandler& FDocument;
    TListViewShell& FListViewShell;
    TUserInterface& FUserInterface;
    TFilesPanel& FPanel;
    int FIndex = -1;
    const TDiskImage* FImage = nullptr;
    std::vector<uint8_t> FBytes;
    std::unique_ptr<TFileSystem> FFileSystem;
    std::string FFolder;
    std::vector<TFileEntry> FEntries;
    std::string FStatusText;
    std::unique_ptr<TFileDialog> FAddFilesDialog;
    std::string FExtractFolder;
    std::string FAddFolder;
    std::string FMadeFolder;
};
