// What the document needs of the user's side: file dialogs, the folder browser, message boxes,
// the Add New and Enter dialogs and the clipboard. The window supplies Qt implementations;
// TScriptedUserInterface answers from prepared answers, for tests and for scripts.
#pragma once

#include "App_audit.h"
#include "App_diskimages.h"
#include "Rtl_exceptions.h"
#include "Vix_clipboard.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum TFileDialogOption : unsigned {
    ofHideReadOnly = 1 << 0,
    ofPathMustExist = 1 << 1,
    ofFileMustExist = 1 << 2,
    ofAllowMultiSelect = 1 << 3,
    ofOverwritePrompt = 1 << 4,
};

enum class TFileDialogKind { Open, Save };

class TFileDialog {
public:
    explicit TFileDialog(TFileDialogKind kind) : FKind(kind) {}
    TFileDialog(const TFileDialog&) = delete;
    TFileDialog& operator=(const TFileDialog&) = delete;
    virtual ~TFileDialog() = default;

    TFileDialogKind Kind() const { return FKind; }
    std::string Title;
    // "Name|pattern|Name|pattern…"; FilterIndex counts its entries from 1.
    std::string Filter;
    int FilterIndex = 1;
    unsigned Options = 0;
    // Added to a typed name without extension, by save dialogs.
    std::string DefaultExt;
    std::string FileName;
    // Every chosen path; one entry unless several may be chosen.
    std::vector<std::string> Files;
    // Fired when the user picks another file type; FilterIndex already holds it.
    std::function<void(TFileDialog& sender)> OnTypeChange;

    // Shows the dialog; true when the user chose, with FileName, Files and FilterIndex set.
    virtual bool Execute() = 0;

private:
    TFileDialogKind FKind;
};

// One line of a check's findings as the window lists it; Row counts from 0.
struct TFindingItem {
    int Row = 0;
    std::string Severity;
    std::string Text;
};

// One disk an image is, as Identify shows it; an image in no list has its row and a Title that
// says so, the rest empty.
struct TIdentifiedItem {
    int Row = 0;
    std::string Title;
    std::string Disk;
    std::string Year;
    std::string Publisher;
    std::string List;
};

// Where the software lists come from: MAME's folder ("" leaves it out) and the user's own lists,
// DAT files and folders of them.
struct TSoftwareListsSetup {
    std::string MameFolder;
    std::vector<std::string> Lists;
    bool operator==(const TSoftwareListsSetup&) const = default;
};

// What the lists in use gave: how many lists, titles and disks, and the note of each list left
// out under the path of the setup it came from (the MAME folder or one of the lists).
struct TSoftwareListsStatus {
    size_t Lists = 0;
    size_t Titles = 0;
    size_t Disks = 0;
    std::vector<std::pair<std::string, std::string>> Notes;
};

// A long task's progress, shown while the view lives.
class TProgressView {
public:
    virtual ~TProgressView() = default;
    // How far the task has come; false once the user asked to stop.
    virtual bool Step(size_t done, size_t total) = 0;
};

enum class TMessageButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class TMessageIcon { None, Warning, Error };
enum TMessageResult { idOK = 1, idCancel = 2, idYes = 6, idNo = 7 };

// What the user chose for a file whose name is taken: Cancel (Escape) leaves the remaining files
// alone.
enum class TConflictChoice { Replace, Skip, KeepBoth, Cancel };
struct TConflictAnswer {
    TConflictChoice Choice = TConflictChoice::Cancel;
    // The same for every remaining name that is taken.
    bool ForAll = false;
};

class TUserInterface {
public:
    TUserInterface() = default;
    TUserInterface(const TUserInterface&) = delete;
    TUserInterface& operator=(const TUserInterface&) = delete;
    virtual ~TUserInterface() = default;

    virtual std::unique_ptr<TFileDialog> NewFileDialog(TFileDialogKind kind) = 0;
    // A folder chooser; true with the chosen folder.
    virtual bool BrowseForFolder(const std::string& caption, const std::string& initialFolder,
                                 std::string& folder) = 0;
    // A modal message box brought to the foreground; returns the button chosen.
    virtual int MessageBox(const std::string& text, const std::string& caption,
                           TMessageButtons buttons, TMessageIcon icon) = 0;
    // The Add New dialog, made on first use and kept: true with the chosen format.
    virtual bool ExecuteAddNewDialog(TDiskFormat& format) = 0;
    // The Enter dialog, made on first use and kept: true with the edited value (UTF-8).
    virtual bool ExecuteEnterDialog(const std::string& caption, const std::string& message,
                                    std::string& value) = 0;
    // Asks which of formats (names, in list order) the plain dump fileName holds; index comes
    // in as the likeliest and goes out as the chosen one when the user chose.
    virtual bool ExecuteFormatDialog(const std::string& fileName,
                                     const std::vector<std::string>& formats, int& index) = 0;
    // Shows a check's findings until the user closes them; choosing a finding calls select with
    // its row. Nothing shown may change the document.
    virtual void ShowFindings(const std::string& caption, const std::vector<TFindingItem>& findings,
                              const std::function<void(int row)>& select) = 0;
    // Shows what the images are, as ShowFindings shows findings: choosing a line calls select
    // with its row.
    virtual void ShowIdentification(const std::string& caption,
                                    const std::vector<TIdentifiedItem>& items,
                                    const std::function<void(int row)>& select) = 0;
    // Lets the user change MAME's folder and add software lists and DAT files (files or folders)
    // and remove them, showing what the lists in use gave; true when the user confirmed the
    // setup as it then is.
    virtual bool EditSoftwareLists(TSoftwareListsSetup& setup,
                                   const TSoftwareListsStatus& status) = 0;
    // Shows a long task's progress with a way to stop it, until the view returned is destroyed.
    virtual std::unique_ptr<TProgressView> ShowProgress(const std::string& caption,
                                                        const std::string& text) = 0;
    // Shows an audit's lines under its summary and goes on, the report staying open beside the
    // window: opening a line calls open with it; saveMissing, when given, saves the missing
    // disks' DAT.
    virtual void ShowAudit(const std::string& caption, const std::string& summary,
                           const std::vector<TAuditLine>& lines,
                           const std::function<void(const TAuditLine&)>& open,
                           const std::function<void()>& saveMissing) = 0;
    virtual TClipboard& Clipboard() = 0;
    virtual std::string ApplicationTitle() const = 0;
    // Opens a local file with the desktop's program for its type; false when that failed.
    virtual bool OpenDocument(const std::string& path) = 0;
    // Asks what to do with a file whose name is taken (text says which, UTF-8); offers the
    // choice for all the remaining ones when more may follow.
    virtual TConflictAnswer AskConflict(const std::string& caption, const std::string& text,
                                        bool more) = 0;
};

// Raised by TScriptedUserInterface when an operation asks for something no answer was
// prepared for.
RTL_DECLARE_EXCEPTION(EUnansweredError, rtl::Exception);

class TScriptedUserInterface : public TUserInterface {
public:
    struct TFileAnswer {
        std::vector<std::string> Files; // empty: the user cancels
        int FilterIndex = 0;            // 0: the type is left as it was
    };
    struct TShown {
        // "file dialog", "folder", "message", "add new", "enter", "open", "format", "findings",
        // "identification", "lists", "conflict" (its Title "more" when it offered all the rest),
        // "progress", "audit"
        std::string What;
        std::string Title;
        std::string Text;
    };

    std::deque<TFileAnswer> FileAnswers;
    std::deque<std::optional<std::string>> FolderAnswers;
    std::deque<int> MessageAnswers;
    std::deque<std::optional<TDiskFormat>> AddNewAnswers;
    std::deque<std::optional<std::string>> EnterAnswers;
    std::deque<bool> OpenDocumentAnswers;
    std::deque<std::optional<int>> FormatAnswers;
    std::deque<TConflictAnswer> ConflictAnswers;
    // Rows chosen in the findings, in order, each one passed to select as shown.
    std::vector<int> FindingChoices;
    // The findings shown last.
    std::vector<TFindingItem> FindingsSeen;
    // The identification shown last, and the rows chosen in it, in order.
    std::vector<TIdentifiedItem> IdentifiedSeen;
    std::vector<int> IdentifiedChoices;
    // The setup the lists dialog ends with; nothing: the user cancels.
    std::deque<std::optional<TSoftwareListsSetup>> ListsAnswers;
    // What the lists dialog showed last.
    TSoftwareListsStatus ListsStatusSeen;
    // The progress views stop once this many files are done; the steps they were told.
    std::optional<size_t> StopProgressAt;
    std::vector<std::pair<size_t, size_t>> ProgressSteps;
    // The audit shown last; the lines opened in it, by index, and whether its missing DAT is
    // saved then.
    std::string AuditSummarySeen;
    std::vector<TAuditLine> AuditSeen;
    std::vector<size_t> AuditChoices;
    bool AuditSavesMissing = false;
    // Everything shown, in order, for tests to check.
    std::vector<TShown> Shown;
    // The last file dialog shown, as the operation had set it up.
    struct TDialogSeen {
        TFileDialogKind Kind;
        std::string Title, Filter, FileName, DefaultExt;
        int FilterIndex;
        unsigned Options;
    };
    std::vector<TDialogSeen> DialogsSeen;
    TMemoryClipboard MemoryClipboard;

    std::unique_ptr<TFileDialog> NewFileDialog(TFileDialogKind kind) override;
    bool BrowseForFolder(const std::string& caption, const std::string& initialFolder,
                         std::string& folder) override;
    int MessageBox(const std::string& text, const std::string& caption, TMessageButtons buttons,
                   TMessageIcon icon) override;
    bool ExecuteAddNewDialog(TDiskFormat& format) override;
    bool ExecuteEnterDialog(const std::string& caption, const std::string& message,
                            std::string& value) override;
    bool ExecuteFormatDialog(const std::string& fileName, const std::vector<std::string>& formats,
                             int& index) override;
    void ShowFindings(const std::string& caption, const std::vector<TFindingItem>& findings,
                      const std::function<void(int row)>& select) override;
    void ShowIdentification(const std::string& caption, const std::vector<TIdentifiedItem>& items,
                            const std::function<void(int row)>& select) override;
    bool EditSoftwareLists(TSoftwareListsSetup& setup, const TSoftwareListsStatus& status) override;
    std::unique_ptr<TProgressView> ShowProgress(const std::string& caption,
                                                const std::string& text) override;
    void ShowAudit(const std::string& caption, const std::string& summary,
                   const std::vector<TAuditLine>& lines,
                   const std::function<void(const TAuditLine&)>& open,
                   const std::function<void()>& saveMissing) override;
    TClipboard& Clipboard() override { return MemoryClipboard; }
    std::string ApplicationTitle() const override { return "Trackwell"; }
    bool OpenDocument(const std::string& path) override;
    TConflictAnswer AskConflict(const std::string& caption, const std::string& text,
                                bool more) override;

    // The message of EUnansweredError.
    static const char* const UnansweredMessage;
};
