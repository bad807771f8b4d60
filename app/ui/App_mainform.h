// The program's main window: a toolbar, the list of disk images with the Files panel below it and
// a status bar, with a main menu and three pop-up menus. Every command is an action of one action
// list; the window holds no document logic, it creates and wires the handlers and refreshes every
// command when one of them reports a change.
#pragma once

#include "App_actions.h"
#include "App_diskfiles.h"
#include "App_filehandler.h"
#include "App_helphandler.h"
#include "App_identifyhandler.h"
#include "App_presets.h"
#include "App_sectorhandler.h"
#include "App_settingshandler.h"
#include "App_systemhandler.h"
#include "App_viewhandler.h"
#include "Vix_filedrop.h"
#include "Vix_listviews.h"
#include "Vix_windows.h"

#include <QIcon>
#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QMenu;
class QSplitter;
class QStatusBar;
class QToolBar;
class TQtFileDropControl;
class TFilesPanelWidget;
class TAppSectorsView;
class TListTableView;
class TQtListControl;
class TQtMessageLoopWaker;
class TQtUserInterface;
class TVirtualListModel;

class TAppMainForm : public QMainWindow {
    Q_OBJECT
public:
    struct TOptions {
        // Opened at the first idle moment after the window is shown, as one drop.
        std::vector<std::string> Files;
        std::string SettingsFileName = DefaultSettingsFileName();
        std::string PresetsFileName = ::PresetsFileName();
    };

    explicit TAppMainForm(TOptions options);
    ~TAppMainForm() override;

    TFileHandler& FileHandler() const { return *FFileHandler; }
    TIdentifyHandler& IdentifyHandler() const { return *FIdentifyHandler; }
    TViewHandler& ViewHandler() const { return *FViewHandler; }
    THelpHandler& HelpHandler() const { return *FHelpHandler; }
    TDiskFilesHandler& FilesHandler() const { return *FFilesHandler; }
    TSectorHandler& SectorHandler() const { return *FSectorHandler; }
    TAppSectorsView& SectorsView() const { return *SectorsView1; }
    TFilesPanelWidget& FilesPanel() const { return *FilesPanel1; }
    TActionList& ActionList() const { return *ActionList1; }
    // The action of that name (its object name), or nullptr: how tests find a command.
    TAction* Action(const QString& name) const;
    TListTableView& ListView() const { return *ListView1; }
    TQtListControl& ListControl() const { return *FListControl; }
    TListViewShell& ListViewShell() const { return *FListViewShell; }
    QToolBar& ToolBar() const { return *ToolBar1; }
    // The text of the status bar's first panel.
    QString StatusText() const;
    // What the status bar says of the Files panel's disk; empty while the panel is hidden.
    QString FilesStatusText() const;

protected:
    // The Sectors window's showing and hiding, which View > Sectors' check follows.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateLayout();
    QSize DefaultSize() const;
    void CreateActions();
    void BindActions();
    void CreateMenus();
    void FillRecentMenu();
    TAction* NewAction(const char* name, const QString& caption, const QString& hint,
                       const QKeySequence& key, const QIcon& icon);

    // Handlers' and the list's change reports; dropped while the notifier does not exist yet.
    void Notify();
    void UpdateActions();
    void RefreshFiles();
    // Runs a command of the Files panel with the panel's listing held as the command found it.
    void RunFilesCommand(const std::function<void()>& command);
    QVariant ListView1Data(int row, int column, int role) const;
    void ListView1ColumnClick(int column);
    void FileDropWatcherDropFiles(TDroppedFiles& files, bool& handled);
    void OpenCommandLineFiles();

    TOptions FOptions;
    bool FShown = false;

    // Controls, owned by Qt's parent chain.
    QToolBar* ToolBar1 = nullptr;
    QSplitter* Splitter1 = nullptr;
    TListTableView* ListView1 = nullptr;
    TFilesPanelWidget* FilesPanel1 = nullptr;
    TAppSectorsView* SectorsView1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusPanel = nullptr;
    QLabel* FilesStatusPanel = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QMenu* PopupMenu3 = nullptr;
    TVirtualListModel* ListModel = nullptr;
    TActionList* ActionList1 = nullptr;
    // The action table, one member per command, filled once by CreateActions in the order of
    // every refresh; each action's object name is its member's name.
    TAction* FileNewAction = nullptr;
    TAction* FileOpenAction = nullptr;
    TAction* FileSaveAction = nullptr;
    TAction* FileSaveAsAction = nullptr;
    TAction* FileBackUpAction = nullptr;
    TAction* FileBackUpOnSaveAction = nullptr;
    TAction* FileAddNewAction = nullptr;
    TAction* FileAddExistentAction = nullptr;
    TAction* FileSaveToSingleFileAction = nullptr;
    TAction* FileSaveToMultipleFilesAction = nullptr;
    TAction* FileClearRecentAction = nullptr;
    TAction* FileAuditFolderAction = nullptr;
    // Save To's entry for each form written besides the container, in the forms' order.
    std::vector<std::pair<TImageForm, TAction*>> FileSaveToMultipleFormActions;
    // File > Open Recent, filled with the recent files each time it opens.
    QMenu* FRecentMenu = nullptr;
    TAction* FileExitAction = nullptr;
    TAction* EditUndoAction = nullptr;
    TAction* EditRedoAction = nullptr;
    TAction* EditDeleteAction = nullptr;
    TAction* EditSelectAllAction = nullptr;
    TAction* EditReverseSelectionAction = nullptr;
    TAction* EditSelectDuplicatesAction = nullptr;
    TAction* EditDuplicateAction = nullptr;
    TAction* EditCheckAction = nullptr;
    TAction* EditIdentifyAction = nullptr;
    TAction* EditNameFromIdentificationAction = nullptr;
    TAction* EditSoftwareListsAction = nullptr;
    TAction* ViewToolbarAction = nullptr;
    TAction* ViewStatusBarAction = nullptr;
    TAction* ViewRowSelectAction = nullptr;
    TAction* ViewFilesAction = nullptr;
    TAction* ViewSectorsAction = nullptr;
    TAction* ViewSortByNameAction = nullptr;
    TAction* ViewSortByWriteProtectedAction = nullptr;
    TAction* ViewSortByDiskTypeAction = nullptr;
    TAction* ViewSortBySizeAction = nullptr;
    TAction* ViewReverseOrderAction = nullptr;
    TAction* ViewMoveUpAction = nullptr;
    TAction* ViewMoveDownAction = nullptr;
    TAction* PropertiesNameCopyAction = nullptr;
    TAction* PropertiesNamePasteAction = nullptr;
    TAction* PropertiesNameEnterAction = nullptr;
    TAction* PropertiesWriteProtectedSetToYesAction = nullptr;
    TAction* PropertiesWriteProtectedSetToNoAction = nullptr;
    TAction* PropertiesWriteProtectedToggleAction = nullptr;
    TAction* PropertiesSizeSumAction = nullptr;
    TAction* FilesOpenAction = nullptr;
    TAction* FilesOpenParentAction = nullptr;
    TAction* FilesExtractAction = nullptr;
    TAction* FilesAddAction = nullptr;
    TAction* FilesDeleteAction = nullptr;
    TAction* FilesRenameAction = nullptr;
    TAction* FilesNewFolderAction = nullptr;
    TAction* FilesAddFolderAction = nullptr;
    TAction* HelpContentsAction = nullptr;
    TAction* HelpAboutAction = nullptr;
    TAction* FormFormAction = nullptr;
    TAction* FormStatusBar1Action = nullptr;
    TAction* FormFilesStatusAction = nullptr;
    TFileDropFilesAction* FileDropFilesAction = nullptr;
    // Files dropped on the Files panel, added to the disk it shows.
    TFileDropFilesAction* FilesDropFilesAction = nullptr;
    TQtFileDropControl* FileDropControl = nullptr;
    QIcon FDiskIcon;
    QIcon FWriteProtectedDiskIcon;
    // Why the Files panel's disk could not be listed at the last refresh; empty when it could.
    QString FFilesError;
    // The commands of the Files panel running now, nested in their dialogs.
    int FFilesCommands = 0;

    // Declared in the order of creation, so destruction runs in reverse: the notifier and the
    // drop watcher first, then the handlers from the settings handler back to the system handler,
    // then the list view shell.
    std::unique_ptr<TQtMessageLoopWaker> FWaker;
    std::unique_ptr<TQtUserInterface> FUserInterface;
    std::unique_ptr<TQtListControl> FListControl;
    std::unique_ptr<TViewBar> FToolBarView;
    std::unique_ptr<TViewList> FListViewView;
    std::unique_ptr<TViewBar> FStatusBarView;
    std::unique_ptr<TViewWindow> FWindowView;
    std::unique_ptr<TListViewShell> FListViewShell;
    std::unique_ptr<TSystemHandler> FSystemHandler;
    std::unique_ptr<TFileHandler> FFileHandler;
    std::unique_ptr<TIdentifyHandler> FIdentifyHandler;
    std::unique_ptr<TDiskFilesHandler> FFilesHandler;
    std::unique_ptr<TSectorHandler> FSectorHandler;
    std::unique_ptr<TViewHandler> FViewHandler;
    std::unique_ptr<THelpHandler> FHelpHandler;
    std::unique_ptr<TSettingsHandler> FSettingsHandler;
    std::unique_ptr<TFileDropWatcher> FFileDropWatcher;
    std::unique_ptr<TUpdateNotifier> FUpdateNotifier;
};
