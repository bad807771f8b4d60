#include "App_mainform.h"

#include "App_FilesPanel.h"
#include "App_SectorsView.h"
#include "App_errors_qt.h"
#include "App_translations_qt.h"
#include "App_userinterface_qt.h"
#include "Rtl_codepage.h"
#include "Rtl_texts.h"
#include "Vix_filedrop_qt.h"
#include "Vix_listviews_qt.h"
#include "Vix_strings.h"
#include "Vix_windows_qt.h"

#include <cctype>

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

const char* const ProductName = "Trackwell";

// What the view handler switches: a bar is shown when it is not hidden on purpose, so that the
// answer is right before the window is first shown.
class TQtViewBar : public TViewBar {
public:
    explicit TQtViewBar(QWidget& bar) : FBar(bar) {}
    bool Visible() const override { return !FBar.isHidden(); }
    void SetVisible(bool value) override { FBar.setVisible(value); }

private:
    QWidget& FBar;
};

class TQtViewList : public TViewList {
public:
    TQtViewList(QTableView& view, TListItemDelegate& delegate) : FView(view), FDelegate(delegate) {}
    bool RowSelect() const override { return FDelegate.RowSelect; }
    void SetRowSelect(bool value) override { FDelegate.RowSelect = value; }
    void Redraw() override { FView.viewport()->update(); }
    int ColumnCount() const override { return FView.horizontalHeader()->count(); }
    int ColumnWidth(int index) const override {
        return FView.horizontalHeader()->sectionSize(index);
    }
    void SetColumnWidth(int index, int width) override {
        // A width the header cannot take leaves the column as it is.
        QHeaderView& header = *FView.horizontalHeader();
        if (width >= 0 && width <= header.maximumSectionSize())
            header.resizeSection(index, width);
    }

private:
    QTableView& FView;
    TListItemDelegate& FDelegate;
};

// The window's place is that of what is inside its frame, read and set as one rectangle: before
// the window is first shown its frame is not known yet, so a frame's corner set then would be
// taken for the inside's and the window would creep by its title bar at every start.
class TQtViewWindow : public TViewWindow {
public:
    explicit TQtViewWindow(QWidget& window) : FWindow(window) {}
    TWindowPlacement Placement() const override {
        const bool maximized = FWindow.isMaximized();
        const QRect inside = maximized ? FWindow.normalGeometry() : FWindow.geometry();
        return {inside.x(), inside.y(), inside.width(), inside.height(), maximized};
    }
    void SetPlacement(const TWindowPlacement& placement) override {
        QRect inside = FWindow.geometry();
        if (placement.Width > 0 && placement.Height > 0) {
            QSize size(placement.Width, placement.Height);
            // Never larger than the screen the window is on.
            if (const QScreen* screen = FWindow.screen())
                size = size.boundedTo(screen->availableGeometry().size());
            inside.setSize(size.expandedTo(FWindow.minimumSizeHint()));
        }
        // A place on a screen that is gone (a monitor unplugged) is not taken: the window
        // would open where nobody can see it.
        const QRect wanted(QPoint(placement.Left, placement.Top), inside.size());
        for (const QScreen* screen : QGuiApplication::screens()) {
            if (screen->availableGeometry().intersects(wanted)) {
                inside = wanted;
                break;
            }
        }
        FWindow.setGeometry(inside);
        FWindow.setWindowState(placement.Maximized ? FWindow.windowState() | Qt::WindowMaximized
                                                   : FWindow.windowState() & ~Qt::WindowMaximized);
    }

private:
    QWidget& FWindow;
};

// Empties the drop action's files on every way out.
class TFilesReset {
public:
    explicit TFilesReset(TFileDropFilesAction& action) : FAction(action) {}
    ~TFilesReset() { FAction.Files.clear(); }
    TFilesReset(const TFilesReset&) = delete;
    TFilesReset& operator=(const TFilesReset&) = delete;

private:
    TFileDropFilesAction& FAction;
};

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// One of the images drawn for the program (resources/icons), compiled into it. They are SVG
// files so that they stay sharp at any scale; Qt draws them through its SVG icon engine.
QIcon Image(const char* name) {
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
}

} // namespace

// Outside any namespace: the resource's registration function is a global one. A static library
// keeps the compiled images only when something calls it.
static void InitImages() {
    Q_INIT_RESOURCE(trackwell_icons);
}

TAppMainForm::TAppMainForm(TOptions options) : FOptions(std::move(options)) {
    InitImages();
    CreateLayout();
    CreateActions();
    CreateMenus();
    // Measured once the menus and the toolbar hold what they show.
    resize(DefaultSize());

    FWaker = std::make_unique<TQtMessageLoopWaker>();
    FUserInterface = std::make_unique<TQtUserInterface>(this, FOptions.PresetsFileName);
    FListControl = std::make_unique<TQtListControl>(*ListView1, *ListModel);
    FListControl->OnChange = [this] { Notify(); };
    FToolBarView = std::make_unique<TQtViewBar>(*ToolBar1);
    FListViewView = std::make_unique<TQtViewList>(*ListView1, FListControl->Delegate());
    FStatusBarView = std::make_unique<TQtViewBar>(*StatusBar1);
    FWindowView = std::make_unique<TQtViewWindow>(*this);

    FListViewShell = std::make_unique<TListViewShell>(*FListControl);
    auto bind = [this](THandler& handler) { handler.OnChange = [this](THandler&) { Notify(); }; };
    FSystemHandler = std::make_unique<TSystemHandler>();
    bind(*FSystemHandler);
    FFileHandler = std::make_unique<TFileHandler>(FListViewShell.get(), *FUserInterface);
    bind(*FFileHandler);
    FFilesHandler = std::make_unique<TDiskFilesHandler>(*FFileHandler, *FListViewShell,
                                                        *FUserInterface, FilesPanel1);
    bind(*FFilesHandler);
    FilesPanel1->Bind(FFilesHandler.get(), FilesOpenAction, FilesDropFilesAction);
    FilesPanel1->OnSelectionChange = [this] { Notify(); };
    FilesPanel1->OnBeforeAction = [this] {
        if (FUpdateNotifier)
            FUpdateNotifier->Flush();
    };
    // Insert, Delete and F2 on a disk whose files cannot change say why.
    FilesPanel1->OnUnavailableAction = [this](TAction& action) {
        if (&action == FilesAddAction || &action == FilesDeleteAction ||
            &action == FilesRenameAction || &action == FilesNewFolderAction ||
            &action == FilesAddFolderAction)
            try {
                FFilesHandler->RaiseChangeRefusal();
                if (&action == FilesNewFolderAction || &action == FilesAddFolderAction)
                    FFilesHandler->RaiseNewFolderRefusal();
            } catch (...) {
                rtl::HandleException();
            }
    };
    FIdentifyHandler =
        std::make_unique<TIdentifyHandler>(*FFileHandler, *FListViewShell, *FUserInterface);
    bind(*FIdentifyHandler);
    FSectorHandler = std::make_unique<TSectorHandler>(*FFileHandler, *FListViewShell);
    bind(*FSectorHandler);
    SectorsView1 = new TAppSectorsView(this);
    SectorsView1->Bind(FSectorHandler.get());
    SectorsView1->installEventFilter(this);
    FViewHandler = std::make_unique<TViewHandler>(FToolBarView.get(), FListViewView.get(),
                                                  FStatusBarView.get(), FWindowView.get());
    bind(*FViewHandler);
    FHelpHandler = std::make_unique<THelpHandler>(
        *FUserInterface, DefaultHelpFileName(InterfaceLanguage().toStdString()));
    bind(*FHelpHandler);
    FSettingsHandler = std::make_unique<TSettingsHandler>(FOptions.SettingsFileName);
    bind(*FSettingsHandler);
    for (THandler* handler : std::initializer_list<THandler*>{
             FSystemHandler.get(), FFileHandler.get(), FIdentifyHandler.get(), FViewHandler.get(),
             FFilesHandler.get(), FHelpHandler.get(), FSettingsHandler.get()})
        FSettingsHandler->Register(*handler);

    FFileDropWatcher = std::make_unique<TFileDropWatcher>(FileDropControl);
    FFileDropWatcher->SetEnabled(true);
    FFileDropWatcher->OnDropFiles = [this](TFileDropWatcher&, TDroppedFiles& files, bool& handled) {
        FileDropWatcherDropFiles(files, handled);
    };

    FUpdateNotifier = std::make_unique<TUpdateNotifier>();
    FUpdateNotifier->OnUpdate = [this](TUpdateNotifier&) { UpdateActions(); };
    FUpdateNotifier->NotifyNow();
}

TAppMainForm::~TAppMainForm() {
    // The panel goes with the window's widgets, after the handlers: nothing in it may reach them.
    if (FilesPanel1 != nullptr)
        FilesPanel1->Bind(nullptr, nullptr, nullptr);
    if (SectorsView1 != nullptr) {
        SectorsView1->removeEventFilter(this);
        SectorsView1->Bind(nullptr);
    }
}

// ---- layout ---------------------------------------------------------------------------------

void TAppMainForm::CreateLayout() {
    setWindowTitle(ProductName);
    setWindowIcon(Image("trackwell"));
    ToolBar1 = addToolBar(tr("Toolbar"));
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    // The toolbar is switched by the View menu, not by a context menu of its own.
    ToolBar1->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);

    ListModel = new TVirtualListModel(
        {tr("Name"), tr("Write-protected"), tr("Disk type"), tr("Size")}, this);
    ListModel->SetColumnAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    ListModel->OnData = [this](int row, int column, int role) {
        return ListView1Data(row, column, role);
    };
    // The image list above the Files panel; the panel keeps its height when the window's changes.
    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setChildrenCollapsible(false);
    ListView1 = new TListTableView(Splitter1);
    ListView1->setObjectName("ListView1");
    ListView1->setModel(ListModel);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setShowGrid(false);
    ListView1->setWordWrap(false);
    ListView1->setTabKeyNavigation(false);
    ListView1->setIconSize(QSize(16, 16));
    ListView1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    QHeaderView& rows = *ListView1->verticalHeader();
    rows.hide();
    // One height for every row: the view then never measures a hundred thousand of them.
    rows.setSectionResizeMode(QHeaderView::Fixed);
    rows.setDefaultSectionSize(qMax(18, ListView1->fontMetrics().height() + 4));
    QHeaderView& columns = *ListView1->horizontalHeader();
    columns.setSectionsClickable(true);
    columns.setHighlightSections(false);
    columns.setSortIndicatorShown(false);
    columns.setStretchLastSection(false);
    columns.setMinimumSectionSize(0);
    const int widths[] = {180, 120, 120, 120};
    // A translated heading may be wider than the English one the widths were chosen for.
    const int margins = 2 * columns.style()->pixelMetric(QStyle::PM_HeaderMargin) + 8;
    for (int i = 0; i < 4; ++i) {
        const QString heading = ListModel->headerData(i, Qt::Horizontal).toString();
        columns.resizeSection(
            i, qMax(widths[i], columns.fontMetrics().horizontalAdvance(heading) + margins));
    }
    connect(&columns, &QHeaderView::sectionClicked, this, &TAppMainForm::ListView1ColumnClick);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at));
    });
    Splitter1->addWidget(ListView1);
    FilesPanel1 = new TFilesPanelWidget(Splitter1);
    Splitter1->addWidget(FilesPanel1);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    setCentralWidget(Splitter1);
    // Tab goes from the images to their files and back.
    setTabOrder(ListView1, &FilesPanel1->View());
    QTableView& files = FilesPanel1->View();
    files.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&files, &QWidget::customContextMenuRequested, this, [this, &files](const QPoint& at) {
        PopupMenu3->popup(files.viewport()->mapToGlobal(at));
    });

    StatusBar1 = statusBar();
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setSizeGripEnabled(true);
    StatusPanel = new QLabel(StatusBar1);
    StatusPanel->setObjectName("StatusPanel");
    StatusBar1->addWidget(StatusPanel, 1);
    FilesStatusPanel = new QLabel(StatusBar1);
    FilesStatusPanel->setObjectName("FilesStatusPanel");
    FilesStatusPanel->setTextFormat(Qt::PlainText);
    StatusBar1->addPermanentWidget(FilesStatusPanel);
    FilesStatusPanel->hide();

    FileDropControl = new TQtFileDropControl(*this);

    FDiskIcon = Image("disk");
    FWriteProtectedDiskIcon = Image("disk-write-protected");
}

// Wide enough for the four columns and tall enough for about twenty rows, with the menus, the
// toolbar and the status bar around them.
QSize TAppMainForm::DefaultSize() const {
    constexpr int rows = 20;
    const QHeaderView& columns = *ListView1->horizontalHeader();
    const int frame = 2 * ListView1->frameWidth();
    const int scrollBar = ListView1->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int width = columns.length() + scrollBar + frame;
    const int height = menuBar()->sizeHint().height() + ToolBar1->sizeHint().height() +
                       columns.sizeHint().height() +
                       rows * ListView1->verticalHeader()->defaultSectionSize() + scrollBar +
                       frame + StatusBar1->sizeHint().height();
    return {qMax(width, menuBar()->sizeHint().width()), height};
}

// ---- actions --------------------------------------------------------------------------------

TAction* TAppMainForm::NewAction(const char* name, const QString& caption, const QString& hint,
                                 const QKeySequence& key, const QIcon& icon) {
    auto* action = new TAction(name);
    action->setText(caption);
    action->setToolTip(hint);
    action->setStatusTip(hint);
    action->setShortcut(key);
    action->setIcon(icon);
    ActionList1->Add(action);
    addAction(action);
    return action;
}

void TAppMainForm::CreateActions() {
    ActionList1 = new TActionList(this);
    const QIcon none;
    const QKeySequence noKey;
    // The table of commands, in the order of every refresh. Each action is kept in the member of
    // its name, which is also its object name.
#define NEW_ACTION(member, ...) (member = NewAction(#member, __VA_ARGS__))
    NEW_ACTION(FileNewAction, tr("&New"), tr("New"), QKeySequence(Qt::CTRL | Qt::Key_N),
               Image("file-new"));
    NEW_ACTION(FileOpenAction, tr("&Open..."), tr("Open..."), QKeySequence(Qt::CTRL | Qt::Key_O),
               Image("file-open"));
    NEW_ACTION(FileSaveAction, tr("&Save"), tr("Save"), QKeySequence(Qt::CTRL | Qt::Key_S),
               Image("file-save"));
    NEW_ACTION(FileSaveAsAction, tr("Save &As..."), tr("Save as..."), noKey, none);
    NEW_ACTION(FileBackUpAction, tr("&Back Up"), tr("Back up"), noKey, none);
    NEW_ACTION(FileBackUpOnSaveAction, tr("Bac&k Up on Save"), tr("Back up on save"), noKey, none)
        ->setCheckable(true);
    NEW_ACTION(FileAddNewAction, tr("&New..."), tr("Add new..."), QKeySequence(Qt::Key_Insert),
               Image("add-new"));
    NEW_ACTION(FileAddExistentAction, tr("&Existent..."), tr("Add exinstent..."), noKey, none);
    NEW_ACTION(FileSaveToSingleFileAction, tr("&Single File..."), tr("Save to single file..."),
               noKey, Image("save-to-single-file"));
    NEW_ACTION(FileSaveToMultipleFilesAction, tr("&Multiple Files..."),
               tr("Save to multiple files..."), noKey, Image("save-to-multiple-files"));
    for (const TImageFormTraits& form : ImageForms())
        if (form.Writes() && form.SaveCaption[0] != '\0') {
            // Named as the other actions are: FileSaveToMultipleDimFilesAction.
            std::string name = form.CliName;
            name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
            name = "FileSaveToMultiple" + name + "FilesAction";
            FileSaveToMultipleFormActions.emplace_back(
                form.Form, NewAction(name.c_str(), Text(rtl::Tr(form.SaveCaption)),
                                     Text(rtl::Tr(form.SaveHint)), noKey, none));
        }
    NEW_ACTION(FileClearRecentAction, tr("&Clear Menu"), tr("Clear the list of recent files"),
               noKey, none);
    NEW_ACTION(FileAuditFolderAction, tr("A&udit Folder..."),
               tr("Audit the disk images of a folder..."), noKey, none);
    NEW_ACTION(FileExitAction, tr("E&xit"), tr("Exit"), noKey, none);
    NEW_ACTION(EditUndoAction, tr("&Undo"), tr("Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z),
               Image("undo"));
    NEW_ACTION(EditRedoAction, tr("&Redo"), tr("Redo"), QKeySequence(Qt::CTRL | Qt::Key_Y),
               Image("redo"));
    // The key Linux desktops give Redo, beside the one the menu shows.
    EditRedoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    NEW_ACTION(EditDeleteAction, tr("&Delete"), tr("Delete"), QKeySequence(Qt::Key_Delete), none);
    NEW_ACTION(EditSelectAllAction, tr("Select &All"), tr("Select all"),
               QKeySequence(Qt::CTRL | Qt::Key_A), none);
    NEW_ACTION(EditReverseSelectionAction, tr("Reverse &Selection"), tr("Reverse selection"), noKey,
               none);
    NEW_ACTION(EditSelectDuplicatesAction, tr("Select Dup&licates"),
               tr("Select images whose tracks an earlier image has"), noKey, none);
    NEW_ACTION(EditDuplicateAction, tr("Dupli&cate"), tr("Add duplicate"), noKey, none);
    NEW_ACTION(EditCheckAction, tr("Chec&k..."), tr("Check disk images..."), noKey, none);
    NEW_ACTION(EditIdentifyAction, tr("&Identify..."), tr("Identify..."), noKey, none);
    NEW_ACTION(EditNameFromIdentificationAction, tr("Name from Identi&fication"),
               tr("Name from identification"), noKey, none);
    NEW_ACTION(EditSoftwareListsAction, tr("Soft&ware Lists..."), tr("Software lists..."), noKey,
               none);
    NEW_ACTION(ViewToolbarAction, tr("&Toolbar"), tr("Toolbar"), noKey, none)->setCheckable(true);
    NEW_ACTION(ViewStatusBarAction, tr("&Status Bar"), tr("Status bar"), noKey, none)
        ->setCheckable(true);
    NEW_ACTION(ViewRowSelectAction, tr("&Row Select"), tr("Row select"), noKey, none)
        ->setCheckable(true);
    NEW_ACTION(ViewFilesAction, tr("&Files"), tr("Files of the disk image"),
               QKeySequence(Qt::Key_F8), none)
        ->setCheckable(true);
    NEW_ACTION(ViewSectorsAction, tr("S&ectors"), tr("Tracks and sectors of the disk image"),
               QKeySequence(Qt::Key_F7), none)
        ->setCheckable(true);
    NEW_ACTION(ViewSortByNameAction, tr("&Name"), tr("Sort by name"), noKey, none);
    NEW_ACTION(ViewSortByWriteProtectedAction, tr("&Write-Protected"),
               tr("Sort by write-protected"), noKey, none);
    NEW_ACTION(ViewSortByDiskTypeAction, tr("&Disk Type"), tr("Sort by disk type"), noKey, none);
    NEW_ACTION(ViewSortBySizeAction, tr("&Size"), tr("Sort by size"), noKey, none);
    NEW_ACTION(ViewReverseOrderAction, tr("Reverse &Order"), tr("Reverse order"), noKey, none);
    NEW_ACTION(ViewMoveUpAction, tr("Move &Up"), tr("Move up"), QKeySequence(Qt::ALT | Qt::Key_Up),
               Image("move-up"));
    NEW_ACTION(ViewMoveDownAction, tr("Move &Down"), tr("Move down"),
               QKeySequence(Qt::ALT | Qt::Key_Down), Image("move-down"));
    NEW_ACTION(PropertiesNameCopyAction, tr("&Copy"), tr("Copy name property"), noKey,
               Image("name-copy"));
    NEW_ACTION(PropertiesNamePasteAction, tr("&Paste"), tr("Paste to name property"), noKey,
               Image("name-paste"));
    NEW_ACTION(PropertiesNameEnterAction, tr("&Enter..."), tr("Enter for name property..."),
               QKeySequence(Qt::Key_F2), Image("name-enter"));
    NEW_ACTION(PropertiesWriteProtectedSetToYesAction, tr("Set to \"&Yes\""),
               tr("Set write-protected property to \"Yes\""), noKey, none);
    NEW_ACTION(PropertiesWriteProtectedSetToNoAction, tr("Set to \"&No\""),
               tr("Set write-protected property to \"No\""), noKey, none);
    NEW_ACTION(PropertiesWriteProtectedToggleAction, tr("&Toggle"),
               tr("Toggle write-protected property"), noKey, Image("write-protected-toggle"));
    NEW_ACTION(PropertiesSizeSumAction, tr("&Sum"), tr("Sum of size property"), noKey,
               Image("size-sum"));
    NEW_ACTION(FilesOpenAction, tr("&Open"), tr("Open folder"), QKeySequence(Qt::Key_Return), none);
    NEW_ACTION(FilesOpenParentAction, tr("&Parent Folder"), tr("Open parent folder"),
               QKeySequence(Qt::Key_Backspace), none);
    NEW_ACTION(FilesExtractAction, tr("&Extract Files..."), tr("Extract files..."),
               QKeySequence(Qt::CTRL | Qt::Key_E), none);
    NEW_ACTION(FilesAddAction, tr("&Add Files..."), tr("Add files..."),
               QKeySequence(Qt::Key_Insert), none);
    NEW_ACTION(FilesDeleteAction, tr("&Delete Files"), tr("Delete files"),
               QKeySequence(Qt::Key_Delete), none);
    NEW_ACTION(FilesRenameAction, tr("Re&name File..."), tr("Rename file..."),
               QKeySequence(Qt::Key_F2), none);
    NEW_ACTION(FilesAddFolderAction, tr("Add Fo&lder..."), tr("Add folder..."), noKey, none);
    NEW_ACTION(FilesNewFolderAction, tr("New &Folder..."), tr("New folder..."),
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N), none);
    NEW_ACTION(HelpContentsAction, tr("&Contents..."), tr("Contents..."), QKeySequence(Qt::Key_F1),
               none);
    NEW_ACTION(HelpAboutAction, tr("&About"), tr("About"), noKey, none);
    NEW_ACTION(FormFormAction, ProductName, "", noKey, none);
    NEW_ACTION(FormStatusBar1Action, "", "", noKey, none);
    NEW_ACTION(FormFilesStatusAction, "", "", noKey, none);
#undef NEW_ACTION
    FileDropFilesAction = new TFileDropFilesAction;
    ActionList1->Add(FileDropFilesAction);
    FilesDropFilesAction = new TFileDropFilesAction(nullptr, "FilesDropFilesAction");
    ActionList1->Add(FilesDropFilesAction);
    // The Files panel's keys are its own: Delete, F2 and Insert there act on the files, and
    // on the images everywhere else. The menus show the keys; the panel takes them before the
    // window's shortcuts see them and runs the action.
    TFilesView& files = FilesPanel1->View();
    for (TAction* action :
         {FilesOpenAction, FilesOpenParentAction, FilesExtractAction, FilesAddAction,
          FilesDeleteAction, FilesRenameAction, FilesNewFolderAction}) {
        removeAction(action);
        action->setShortcutContext(Qt::WidgetShortcut);
        files.addAction(action);
        files.SetKeyAction(action->shortcut(), action);
    }
    files.SetKeyAction(QKeySequence(Qt::Key_Enter), FilesOpenAction);
    // Alt+Up goes up a folder here, as in file managers, and never moves the images.
    files.SetKeyAction(QKeySequence(Qt::ALT | Qt::Key_Up), FilesOpenParentAction);
    BindActions();
}

void TAppMainForm::BindActions() {
    // Each rule reaches its handler when it runs; the handlers exist before the first refresh.
    struct TBinding {
        TAction* Action;
        std::function<void()> Execute;
        std::function<bool()> Enabled;
        std::function<bool()> Checked;
    };
    auto file = [this](TAction* action, void (TFileHandler::*operation)(),
                       bool (TFileHandler::*query)() const) {
        return TBinding{action, [this, operation] { (*FFileHandler.*operation)(); },
                        [this, query] { return (*FFileHandler.*query)(); }, nullptr};
    };
    auto view = [this](TAction* action, void (TViewHandler::*operation)(),
                       bool (TViewHandler::*query)() const, bool (TViewHandler::*checked)() const) {
        return TBinding{action, [this, operation] { (*FViewHandler.*operation)(); },
                        [this, query] { return (*FViewHandler.*query)(); },
                        [this, checked] { return (*FViewHandler.*checked)(); }};
    };
    auto files = [this](TAction* action, void (TDiskFilesHandler::*operation)(),
                        bool (TDiskFilesHandler::*query)() const) {
        return TBinding{
            action, [this, operation] { RunFilesCommand([&] { (*FFilesHandler.*operation)(); }); },
            [this, query] { return FFilesHandler->Shown() && (*FFilesHandler.*query)(); }, nullptr};
    };
    auto identify = [this](TAction* action, void (TIdentifyHandler::*operation)(),
                           bool (TIdentifyHandler::*query)() const) {
        return TBinding{action, [this, operation] { (*FIdentifyHandler.*operation)(); },
                        [this, query] { return (*FIdentifyHandler.*query)(); }, nullptr};
    };
    auto help = [this](TAction* action, void (THelpHandler::*operation)(),
                       bool (THelpHandler::*query)() const) {
        return TBinding{action, [this, operation] { (*FHelpHandler.*operation)(); },
                        [this, query] { return (*FHelpHandler.*query)(); }, nullptr};
    };
    std::vector<TBinding> bindings = {
        file(FileNewAction, &TFileHandler::New, &TFileHandler::CanNew),
        file(FileOpenAction, &TFileHandler::Open, &TFileHandler::CanOpen),
        file(FileSaveAction, &TFileHandler::Save, &TFileHandler::CanSave),
        file(FileSaveAsAction, &TFileHandler::SaveAs, &TFileHandler::CanSaveAs),
        file(FileBackUpAction, &TFileHandler::BackUp, &TFileHandler::CanBackUp),
        {FileBackUpOnSaveAction, [this] { FFileHandler->ToggleBackUpOnSave(); },
         [this] { return FFileHandler->CanToggleBackUpOnSave(); },
         [this] { return FFileHandler->BackUpOnSave(); }},
        file(FileAddNewAction, &TFileHandler::AddNew, &TFileHandler::CanAddNew),
        file(FileAddExistentAction, &TFileHandler::AddExistent, &TFileHandler::CanAddExistent),
        file(FileSaveToSingleFileAction, &TFileHandler::SaveToSingleFile,
             &TFileHandler::CanSaveToSingleFile),
        file(FileSaveToMultipleFilesAction, &TFileHandler::SaveToMultipleFiles,
             &TFileHandler::CanSaveToMultipleFiles),
        file(FileClearRecentAction, &TFileHandler::ClearRecentFiles,
             &TFileHandler::CanClearRecentFiles),
        {FileExitAction, [this] { close(); }, [] { return true; }, nullptr},
        file(EditDeleteAction, &TFileHandler::Delete, &TFileHandler::CanDelete),
        file(EditSelectAllAction, &TFileHandler::SelectAll, &TFileHandler::CanSelectAll),
        file(EditReverseSelectionAction, &TFileHandler::ReverseSelection,
             &TFileHandler::CanReverseSelection),
        file(EditSelectDuplicatesAction, &TFileHandler::SelectDuplicates,
             &TFileHandler::CanSelectDuplicates),
        file(EditDuplicateAction, &TFileHandler::Duplicate, &TFileHandler::CanDuplicate),
        file(EditCheckAction, &TFileHandler::Check, &TFileHandler::CanCheck),
        identify(FileAuditFolderAction, &TIdentifyHandler::AuditFolder,
                 &TIdentifyHandler::CanAuditFolder),
        identify(EditIdentifyAction, &TIdentifyHandler::Identify, &TIdentifyHandler::CanIdentify),
        identify(EditNameFromIdentificationAction, &TIdentifyHandler::NameFromIdentification,
                 &TIdentifyHandler::CanNameFromIdentification),
        identify(EditSoftwareListsAction, &TIdentifyHandler::EditSoftwareLists,
                 &TIdentifyHandler::CanEditSoftwareLists),
        view(ViewToolbarAction, &TViewHandler::ToggleToolbar, &TViewHandler::CanToggleToolbar,
             &TViewHandler::ShowToolbar),
        view(ViewStatusBarAction, &TViewHandler::ToggleStatusBar, &TViewHandler::CanToggleStatusBar,
             &TViewHandler::ShowStatusBar),
        view(ViewRowSelectAction, &TViewHandler::ToggleRowSelect, &TViewHandler::CanToggleRowSelect,
             &TViewHandler::RowSelect),
        {ViewSectorsAction,
         [this] {
             if (SectorsView1->isVisible()) {
                 SectorsView1->close();
                 return;
             }
             FSectorHandler->Refresh();
             SectorsView1->Reload();
             SectorsView1->show();
             SectorsView1->raise();
             SectorsView1->activateWindow();
         },
         [] { return true; }, [this] { return SectorsView1->isVisible(); }},
        {ViewFilesAction, [this] { FFilesHandler->ToggleShow(); },
         [this] { return FFilesHandler->CanToggleShow(); },
         [this] { return FFilesHandler->Shown(); }},
        file(ViewSortByNameAction, &TFileHandler::SortByName, &TFileHandler::CanSortByName),
        file(ViewSortByWriteProtectedAction, &TFileHandler::SortByWriteProtected,
             &TFileHandler::CanSortByWriteProtected),
        file(ViewSortByDiskTypeAction, &TFileHandler::SortByDiskType,
             &TFileHandler::CanSortByDiskType),
        file(ViewSortBySizeAction, &TFileHandler::SortBySize, &TFileHandler::CanSortBySize),
        file(ViewReverseOrderAction, &TFileHandler::ReverseOrder, &TFileHandler::CanReverseOrder),
        file(ViewMoveUpAction, &TFileHandler::MoveUp, &TFileHandler::CanMoveUp),
        file(ViewMoveDownAction, &TFileHandler::MoveDown, &TFileHandler::CanMoveDown),
        file(PropertiesNameCopyAction, &TFileHandler::NameCopy, &TFileHandler::CanNameCopy),
        file(PropertiesNamePasteAction, &TFileHandler::NamePaste, &TFileHandler::CanNamePaste),
        file(PropertiesNameEnterAction, &TFileHandler::NameEnter, &TFileHandler::CanNameEnter),
        file(PropertiesWriteProtectedSetToYesAction, &TFileHandler::WriteProtectedSetToYes,
             &TFileHandler::CanWriteProtectedSetToYes),
        file(PropertiesWriteProtectedSetToNoAction, &TFileHandler::WriteProtectedSetToNo,
             &TFileHandler::CanWriteProtectedSetToNo),
        file(PropertiesWriteProtectedToggleAction, &TFileHandler::WriteProtectedToggle,
             &TFileHandler::CanWriteProtectedToggle),
        file(PropertiesSizeSumAction, &TFileHandler::SizeSum, &TFileHandler::CanSizeSum),
        {FilesOpenAction,
         [this] {
             RunFilesCommand([this] {
                 const int entry = FilesPanel1->CurrentEntry();
                 if (entry == TFilesPanelWidget::ParentEntry)
                     FFilesHandler->OpenParent();
                 else
                     FFilesHandler->OpenEntry(entry);
             });
         },
         [this] {
             const int entry = FilesPanel1->CurrentEntry();
             return FFilesHandler->Shown() &&
                    (entry == TFilesPanelWidget::ParentEntry ? FFilesHandler->CanOpenParent()
                                                             : FFilesHandler->CanOpenEntry(entry));
         },
         nullptr},
        files(FilesOpenParentAction, &TDiskFilesHandler::OpenParent,
              &TDiskFilesHandler::CanOpenParent),
        files(FilesExtractAction, &TDiskFilesHandler::Extract, &TDiskFilesHandler::CanExtract),
        files(FilesAddAction, &TDiskFilesHandler::AddFiles, &TDiskFilesHandler::CanAddFiles),
        files(FilesDeleteAction, &TDiskFilesHandler::DeleteFiles,
              &TDiskFilesHandler::CanDeleteFiles),
        files(FilesRenameAction, &TDiskFilesHandler::RenameFile, &TDiskFilesHandler::CanRenameFile),
        files(FilesAddFolderAction, &TDiskFilesHandler::AddFolder,
              &TDiskFilesHandler::CanAddFolder),
        files(FilesNewFolderAction, &TDiskFilesHandler::NewFolder,
              &TDiskFilesHandler::CanNewFolder),
        help(HelpContentsAction, &THelpHandler::Contents, &THelpHandler::CanContents),
        help(HelpAboutAction, &THelpHandler::About, &THelpHandler::CanAbout),
    };
    for (const auto& [form, action] : FileSaveToMultipleFormActions)
        bindings.push_back({action, [this, form] { FFileHandler->SaveToMultipleFilesAs(form); },
                            [this] { return FFileHandler->CanSaveToMultipleFiles(); }, nullptr});
    for (TBinding& binding : bindings) {
        TAction& action = *binding.Action;
        action.OnExecute = [execute = std::move(binding.Execute)](TAction&) { execute(); };
        action.OnUpdate = [enabled = std::move(binding.Enabled),
                           checked = std::move(binding.Checked)](TAction& sender) {
            sender.setEnabled(enabled());
            if (checked)
                sender.setChecked(checked());
        };
    }

    // Undo and Redo name the command they act on; "&" is doubled in the caption only, where
    // it would otherwise mark an accelerator.
    auto history = [this](TAction& action, const QString& captionFormat, const QString& hintFormat,
                          void (TFileHandler::*operation)(), bool (TFileHandler::*query)() const,
                          std::string (TFileHandler::*commandName)() const) {
        action.OnExecute = [this, operation](TAction&) { (*FFileHandler.*operation)(); };
        action.OnUpdate = [this, query, commandName, captionFormat, hintFormat](TAction& sender) {
            const std::string command = (*FFileHandler.*commandName)();
            const std::string shown = ReplaceString(command, "&", "&&", true, true);
            sender.setText(captionFormat.arg(Text(shown)));
            sender.setToolTip(hintFormat.arg(Text(command)));
            sender.setStatusTip(sender.toolTip());
            sender.setEnabled((*FFileHandler.*query)());
        };
    };
    history(*EditUndoAction, tr("&Undo - %1"), tr("Undo - %1"), &TFileHandler::Undo,
            &TFileHandler::CanUndo, &TFileHandler::UndoName);
    history(*EditRedoAction, tr("&Redo - %1"), tr("Redo - %1"), &TFileHandler::Redo,
            &TFileHandler::CanRedo, &TFileHandler::RedoName);

    FormFormAction->OnUpdate = [this](TAction&) {
        // A new document's name is shown in the reader's language; the files it proposes keep
        // the English one, which names them alike on every machine.
        const QString document =
            FFileHandler->HasFileName() ? Text(FFileHandler->DocumentName()) : tr("Untitled.d88");
        const QString title =
            QStringLiteral("%1 - %2").arg(QString::fromUtf8(ProductName), document);
        if (ApplicationTitle() != title)
            SetApplicationTitle(title);
        if (windowTitle() != title)
            setWindowTitle(title);
    };
    FormStatusBar1Action->OnUpdate = [this](TAction&) {
        const int selected = FListViewShell->SelCount();
        const QString text = selected > 0 ? tr("%1 items are selected").arg(selected)
                                          : tr("%1 items").arg(FListViewShell->Count());
        if (StatusPanel->text() != text)
            StatusPanel->setText(text);
    };
    FormFilesStatusAction->OnUpdate = [this](TAction&) {
        const bool shown = FFilesHandler->Shown();
        const QString text = !shown                  ? QString()
                             : FFilesError.isEmpty() ? Text(FFilesHandler->StatusText())
                                                     : FFilesError;
        if (FilesStatusPanel->text() != text)
            FilesStatusPanel->setText(text);
        FilesStatusPanel->setVisible(!text.isEmpty());
    };
    FileDropFilesAction->OnExecute = [this](TAction&) {
        TFilesReset reset(*FileDropFilesAction);
        FFileHandler->DropFiles(FileDropFilesAction->Files);
    };
    FileDropFilesAction->OnUpdate = [this](TAction&) {
        const bool accept = FFileHandler->CanDropFiles();
        if (acceptDrops() != accept)
            setAcceptDrops(accept);
    };
    FilesDropFilesAction->OnExecute = [this](TAction&) {
        TFilesReset reset(*FilesDropFilesAction);
        RunFilesCommand([this] { FFilesHandler->AddFilesFrom(FilesDropFilesAction->Files); });
    };
    FilesDropFilesAction->OnUpdate = [this](TAction& sender) {
        sender.setEnabled(FFilesHandler->Shown() && FFilesHandler->CanAddFiles());
    };
}

// ---- the list and the refresh ---------------------------------------------------------------

void TAppMainForm::Notify() {
    if (FUpdateNotifier)
        FUpdateNotifier->Notify();
}

void TAppMainForm::UpdateActions() {
    RefreshFiles();
    // Hidden, the sectors of each focused image are mapped for nobody.
    if (SectorsView1 != nullptr && SectorsView1->isVisible()) {
        FSectorHandler->Refresh();
        SectorsView1->Reload();
    }
    ActionList1->UpdateAll();
}

// The Files panel follows the image list's focus and every change of the document before the
// actions ask what it shows.
void TAppMainForm::RefreshFiles() {
    // A command holds the handler's entries across its dialog, in which a refresh that something
    // else queued (a change of the clipboard) may run: they stay as the command found them.
    if (FFilesCommands > 0)
        return;
    FFilesError.clear();
    // Hidden, the panel offers nothing to act on, and a refresh at every change of the
    // selection would read each focused disk for nobody; showing it refreshes it.
    if (!FFilesHandler->Shown())
        return;
    try {
        FFilesHandler->Refresh();
    } catch (const rtl::Exception& e) {
        // Said in the status bar: a box at every refresh would never let the user go on.
        FFilesError = Text(e.Message());
    } catch (const std::exception& e) {
        FFilesError = Text(e.what());
    }
    FilesPanel1->Reload();
}

void TAppMainForm::RunFilesCommand(const std::function<void()>& command) {
    // First any change of the document that the refresh has not shown yet: a key can come
    // before the refresh, and the panel's selection is of what it shows.
    FUpdateNotifier->Flush();
    ++FFilesCommands;
    try {
        command();
    } catch (...) {
        --FFilesCommands;
        Notify();
        throw;
    }
    --FFilesCommands;
    // The refreshes it held back.
    Notify();
}

QVariant TAppMainForm::ListView1Data(int row, int column, int role) const {
    // A row drawn while the count is changing may lie beyond the document.
    if (row < 0 || row >= FFileHandler->DiskImageCount())
        return {};
    const TDiskImage& image = FFileHandler->DiskImages(row);
    if (role == Qt::DecorationRole && column == 0)
        return image.WriteProtected() == WriteProtectedOn ? FWriteProtectedDiskIcon : FDiskIcon;
    if (role != Qt::DisplayRole)
        return {};
    switch (column) {
    case 0:
        return VisibleName(Text(rtl::Cp932ToUtf8(image.Name())));
    case 1:
        return Text(WriteProtectedColumnText(image.WriteProtected()));
    case 2:
        return Text(DiskTypeColumnText(image.DiskType()));
    case 3:
        return Text(SizeToText(image.Size()));
    default:
        return {};
    }
}

void TAppMainForm::ListView1ColumnClick(int column) {
    TAction* const sorts[] = {ViewSortByNameAction, ViewSortByWriteProtectedAction,
                              ViewSortByDiskTypeAction, ViewSortBySizeAction};
    if (column < 0 || column >= 4) {
        try {
            throw rtl::EInvalidOperation(rtl::Tr("The program cannot sort the items."));
        } catch (...) {
            rtl::HandleException();
        }
        return;
    }
    ExecuteAction(*sorts[column]);
}

QString TAppMainForm::StatusText() const {
    return StatusPanel->text();
}

QString TAppMainForm::FilesStatusText() const {
    return FilesStatusPanel->isHidden() ? QString() : FilesStatusPanel->text();
}

// ---- files from outside ---------------------------------------------------------------------

void TAppMainForm::FileDropWatcherDropFiles(TDroppedFiles& files, bool& handled) {
    handled = true;
    raise();
    activateWindow();
    TFilesReset reset(*FileDropFilesAction);
    std::vector<std::string>& list = FileDropFilesAction->Files;
    list.clear();
    const int count = files.Count();
    list.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        list.push_back(files.Paths(i));
    files.Finish();
    ExecuteAction(*FileDropFilesAction);
}

void TAppMainForm::OpenCommandLineFiles() {
    if (FOptions.Files.empty())
        return;
    TFilesReset reset(*FileDropFilesAction);
    FileDropFilesAction->Files = FOptions.Files;
    ExecuteAction(*FileDropFilesAction);
}

// ---- showing and closing --------------------------------------------------------------------

void TAppMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (FShown)
        return;
    FShown = true;
    // The keys of the list (arrows, Shift, Space) work at once.
    ListView1->setFocus();
    try {
        FSettingsHandler->Load();
    } catch (...) {
        rtl::HandleException();
    }
    // The first idle moment: once the window is on screen and its events are handled.
    QTimer::singleShot(0, this, &TAppMainForm::OpenCommandLineFiles);
}

bool TAppMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == SectorsView1 && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        Notify();
    return QMainWindow::eventFilter(watched, event);
}

void TAppMainForm::closeEvent(QCloseEvent* event) {
    // Bytes typed in the Sectors window become a step of the document before it is offered
    // for saving.
    if (SectorsView1 != nullptr && SectorsView1->isVisible() && !SectorsView1->Commit()) {
        event->ignore();
        return;
    }
    try {
        // As if the user chose File > New: a modified document is offered for saving, and
        // cancelling keeps the window.
        if (FileNewAction->isEnabled())
            FileNewAction->Execute();
    } catch (...) {
        event->ignore();
        rtl::HandleException();
        return;
    }
    try {
        FSettingsHandler->Save();
    } catch (...) {
        // Shown, and the window closes all the same: settings that cannot be written must not
        // keep the program from ending.
        rtl::HandleException();
    }
    event->accept();
}

TAction* TAppMainForm::Action(const QString& name) const {
    for (TAction* action : ActionList1->Actions())
        if (action->objectName() == name)
            return action;
    return nullptr;
}

void TAppMainForm::FillRecentMenu() {
    FRecentMenu->clear();
    const std::vector<std::string>& files = FFileHandler->RecentFiles();
    for (size_t i = 0; i < files.size(); ++i) {
        // "&" in a path is shown as itself, not as an accelerator.
        const QString shown = Text(files[i]).replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction* entry =
            FRecentMenu->addAction((i < 9 ? QString("&%1 ").arg(i + 1) : QString("1&0 ")) + shown);
        connect(entry, &QAction::triggered, this, [this, i] {
            try {
                FFileHandler->OpenRecent(static_cast<int>(i));
            } catch (...) {
                rtl::HandleException();
            }
        });
    }
    FRecentMenu->addSeparator();
    FRecentMenu->addAction(FileClearRecentAction);
}

void TAppMainForm::CreateMenus() {
    // nullptr stands for a separator.
    auto add = [](QMenu* menu, std::initializer_list<TAction*> actions) {
        for (TAction* action : actions) {
            if (action == nullptr)
                menu->addSeparator();
            else
                menu->addAction(action);
        }
    };
    QMenu* file = menuBar()->addMenu(tr("&File"));
    add(file, {FileNewAction, FileOpenAction});
    FRecentMenu = file->addMenu(tr("Open &Recent"));
    FRecentMenu->setObjectName("RecentMenu");
    connect(file, &QMenu::aboutToShow, this,
            [this] { FRecentMenu->setEnabled(FFileHandler->CanOpenRecent()); });
    connect(FRecentMenu, &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });
    add(file, {FileSaveAction, FileSaveAsAction, nullptr, FileBackUpAction, FileBackUpOnSaveAction,
               nullptr});
    add(file->addMenu(tr("A&dd")), {FileAddNewAction, FileAddExistentAction});
    QMenu* saveTo = file->addMenu(tr("Save &To"));
    add(saveTo, {FileSaveToSingleFileAction, FileSaveToMultipleFilesAction, nullptr});
    for (const auto& entry : FileSaveToMultipleFormActions)
        saveTo->addAction(entry.second);
    add(file, {nullptr, FileAuditFolderAction, nullptr, FileExitAction});
    const std::initializer_list<TAction*> editEntries = {EditUndoAction,
                                                         EditRedoAction,
                                                         nullptr,
                                                         EditDeleteAction,
                                                         nullptr,
                                                         EditSelectAllAction,
                                                         EditReverseSelectionAction,
                                                         EditSelectDuplicatesAction,
                                                         nullptr,
                                                         EditDuplicateAction,
                                                         nullptr,
                                                         EditCheckAction,
                                                         EditIdentifyAction,
                                                         EditNameFromIdentificationAction,
                                                         nullptr,
                                                         EditSoftwareListsAction};
    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    add(edit, editEntries);
    QMenu* view = menuBar()->addMenu(tr("&View"));
    add(view, {ViewToolbarAction, ViewStatusBarAction, ViewRowSelectAction, ViewFilesAction,
               ViewSectorsAction, nullptr});
    add(view->addMenu(tr("Sort &By")), {ViewSortByNameAction, ViewSortByWriteProtectedAction,
                                        ViewSortByDiskTypeAction, ViewSortBySizeAction});
    add(view, {ViewReverseOrderAction, ViewMoveUpAction, ViewMoveDownAction});
    QMenu* properties = menuBar()->addMenu(tr("&Properties"));
    add(properties->addMenu(tr("&Name")),
        {PropertiesNameCopyAction, PropertiesNamePasteAction, nullptr, PropertiesNameEnterAction});
    const std::initializer_list<TAction*> writeProtectedEntries = {
        PropertiesWriteProtectedSetToYesAction, PropertiesWriteProtectedSetToNoAction,
        PropertiesWriteProtectedToggleAction};
    add(properties->addMenu(tr("&Write Protected")), writeProtectedEntries);
    add(properties->addMenu(tr("&Size")), {PropertiesSizeSumAction});
    const std::initializer_list<TAction*> filesEntries = {
        FilesOpenAction, FilesOpenParentAction, nullptr,           FilesExtractAction,
        FilesAddAction,  FilesAddFolderAction,  FilesDeleteAction, FilesRenameAction,
        nullptr,         FilesNewFolderAction};
    add(menuBar()->addMenu(tr("F&iles")), filesEntries);
    add(menuBar()->addMenu(tr("&Help")), {HelpContentsAction, nullptr, HelpAboutAction});

    // The pop-up menus show no keys: their entries stand in for the actions without one.
    auto popup = [](QMenu* menu, std::initializer_list<TAction*> actions) {
        for (TAction* action : actions) {
            if (action == nullptr)
                menu->addSeparator();
            else
                menu->addAction(NewShortcutlessEntry(*action, menu));
        }
    };
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    popup(PopupMenu1, editEntries);
    // The lists are read in the background from the first look at a menu that offers Identify,
    // so that the command itself seldom waits for them.
    for (QMenu* menu : {edit, PopupMenu1})
        connect(menu, &QMenu::aboutToShow, this, [this] {
            try {
                FIdentifyHandler->PrepareIdentification();
            } catch (...) {
                rtl::HandleException();
            }
        });
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName("PopupMenu2");
    popup(PopupMenu2, writeProtectedEntries);
    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName("PopupMenu3");
    popup(PopupMenu3, filesEntries);

    auto tools = [this](std::initializer_list<TAction*> actions) {
        for (TAction* action : actions)
            ToolBar1->addAction(action);
        ToolBar1->addSeparator();
    };
    tools({FileNewAction, FileOpenAction, FileSaveAction});
    tools({FileAddNewAction, FileSaveToSingleFileAction, FileSaveToMultipleFilesAction});
    tools({EditUndoAction, EditRedoAction});
    tools({ViewMoveUpAction, ViewMoveDownAction});
    tools({PropertiesNameCopyAction, PropertiesNamePasteAction});
    tools({PropertiesNameEnterAction});
    auto* toggle = new QToolButton(ToolBar1);
    toggle->setObjectName("WriteProtectedToolButton");
    toggle->setDefaultAction(PropertiesWriteProtectedToggleAction);
    toggle->setMenu(PopupMenu2);
    toggle->setPopupMode(QToolButton::MenuButtonPopup);
    ToolBar1->addWidget(toggle);
    ToolBar1->addSeparator();
    ToolBar1->addAction(PropertiesSizeSumAction);
}
