// What the document needs of the user's side: file dialogs, the folder browser, message boxes,
// the Add New and Enter dialogs and the clipboard. The window supplies Qt implementations;
// TScriptedUserInterface answers from prepared answers, for tests and for scripts.
#pragma once

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
    // Lets the user add software lists and DAT files (files or folders) to paths and remove them;
    // true when the user confirmed the paths as they then are.
    virtual bool EditSoftwareLists(std::vector<std::string>& paths) = 0;
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
        // "identification", "lists", "conflict" (its Title "more" when it offered all the rest)
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
    // The paths the lists dialog ends with; nothing: the user cancels.
    std::deque<std::optional<std::vector<std::string>>> ListsAnswers;
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
    bool EditSoftwareLists(std::vector<std::string>& paths) override;
    TClipboard& Clipboard() override { return MemoryClipboard; }
    std::string ApplicationTitle() const override { return "Trackwell"; }
    bool OpenDocument(const std::string& path) override;
    TConflictAnswer AskConflict(const std::string& caption, const std::string& text,
                                bool more) override;

    // The message of EUnansweredError.
    static const char* const UnansweredMessage;
};
