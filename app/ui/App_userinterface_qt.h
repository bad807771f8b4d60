// The document's way to the user, on Qt: file dialogs, the folder browser, message boxes, the
// program's own dialogs, the clipboard, the application's title and the desktop's opener.
#pragma once

#include "App_dialogs.h"
#include "Vix_clipboard_qt.h"

#include <QStringList>

#include <memory>
#include <string>

class QWidget;
class TAppAddNewDialog;
class TAppAuditDialog;
class TAppEnterDialog;
class TAppFindingsDialog;
class TAppFormatDialog;
class TAppSoftwareListsDialog;

class TQtUserInterface : public TUserInterface {
public:
    // Dialogs are centred on parent, which is not owned.
    explicit TQtUserInterface(QWidget* parent, std::string presetsFileName);
    ~TQtUserInterface() override;

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
    TClipboard& Clipboard() override { return FClipboard; }
    std::string ApplicationTitle() const override;
    bool OpenDocument(const std::string& path) override;
    TConflictAnswer AskConflict(const std::string& caption, const std::string& text,
                                bool more) override;

private:
    QWidget* FParent;
    std::string FPresetsFileName;
    TQtClipboard FClipboard;
    // Made on first use and kept, so each opens with the values of its last OK.
    std::unique_ptr<TAppAddNewDialog> FAddNewDialog;
    std::unique_ptr<TAppEnterDialog> FEnterDialog;
    std::unique_ptr<TAppFormatDialog> FFormatDialog;
    std::unique_ptr<TAppFindingsDialog> FFindingsDialog;
    std::unique_ptr<TAppFindingsDialog> FIdentificationDialog;
    std::unique_ptr<TAppSoftwareListsDialog> FSoftwareListsDialog;
    // Beside the window until closed; the next audit shows in it again.
    std::unique_ptr<TAppAuditDialog> FAuditDialog;
};

// The entries of a "Name|pattern|Name|pattern" filter as Qt's file dialog takes them. The names
// stay as they are; each pattern matches its extension in any case, since a collection of
// "GAME.D88" files must not look empty.
QStringList TranslateFileFilter(const std::string& filter);
