// The Files panel: the files of the focused image's file system, in a table below the image
// list. It shows what its handler lists and reports what the user selects; every command on the
// files is an action of the window, which the panel runs for its keys, a double-click and a drop.
// Files dragged out of it are written to a temporary folder of its own first.
#pragma once

#include "App_diskfiles.h"
#include "App_filespanel.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QKeySequence>
#include <QTableView>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QLabel;
class QMimeData;
class QTemporaryDir;
class TAction;
class TFileDropFilesAction;
class TFilesPanelWidget;

// Control characters of a name as the symbols that stand for them (U+2400 to U+2421): a TAB or a
// line break from a disk must not reshape a row, nor be invisible.
QString VisibleName(QString name);

// One row of the panel: the entry of the handler it stands for, or ParentEntry for "..".
struct TFilesRow {
    int Entry = 0;
    std::string RawName;
    QString Name;
    QString Size;
    QString Kind;
    QString Details;
    bool Folder = false;
    bool operator==(const TFilesRow&) const = default;
};

class TFilesModel : public QAbstractTableModel {
public:
    TFilesModel(QStringList headers, QObject* parent);

    const std::vector<TFilesRow>& Rows() const { return FRows; }
    void SetRows(std::vector<TFilesRow> rows);
    QIcon FolderIcon;
    QIcon FileIcon;
    QIcon ParentIcon;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QStringList FHeaders;
    std::vector<TFilesRow> FRows;
};

// The panel's table. The keys given to it are taken before the window's shortcuts see them: the
// image list's Delete, F2 and Insert must not act on the images while the files have the
// keyboard.
class TFilesView : public QTableView {
    Q_OBJECT
public:
    explicit TFilesView(TFilesPanelWidget& panel);

    void SetKeyAction(const QKeySequence& key, TAction* action);
    // The action a key press runs here, or nullptr.
    TAction* KeyAction(const QKeyEvent& event) const;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool CanDrop(const QDropEvent& event) const;

    TFilesPanelWidget& FPanel;
    std::vector<std::pair<QKeySequence, TAction*>> FKeys;
};

class TFilesPanelWidget : public QWidget, public TFilesPanel {
    Q_OBJECT
public:
    // The entry of the ".." row, and of no row at all.
    static constexpr int ParentEntry = -1;
    static constexpr int NoEntry = -2;

    // Hidden until its handler shows it.
    explicit TFilesPanelWidget(QWidget* parent);
    ~TFilesPanelWidget() override;

    // The handler whose listing it shows, the action a double-click runs, the one a drop of
    // local files runs with their paths; none is owned. Unbinding (nullptr) stops every call out.
    void Bind(TDiskFilesHandler* handler, TAction* open, TFileDropFilesAction* drop);
    // Each change of the selection or of the row with the focus.
    std::function<void()> OnSelectionChange;
    // Before the panel runs an action for a key, a double-click or a drop: the refresh that a
    // change just before it queued, so that the action's state is that of what is shown.
    std::function<void()> OnBeforeAction;
    // Runs action as a key or a menu entry does.
    void RunAction(TAction& action);
    // A key's action that is not available: told instead of nothing happening.
    std::function<void(TAction& action)> OnUnavailableAction;

    TFilesView& View() const { return *FView; }
    TFilesModel& Model() const { return *FModel; }
    // The entry of the row with the focus: ParentEntry for "..", NoEntry for none.
    int CurrentEntry() const;
    // Shows what the handler lists now. The selection is kept by name while the folder stays;
    // another folder starts at its first row, or at the folder just left when it is the parent.
    void Reload();
    // What a drag of the selected entries carries: their files written into a new folder of the
    // panel's temporary one, as local URLs; nullptr when nothing was written.
    std::unique_ptr<QMimeData> NewDragData();
    TFileDropFilesAction* DropAction() const { return FDropAction; }
    void OpenCurrent();

    bool Visible() const override { return !isHidden(); }
    void SetVisible(bool value) override;
    int Extent() const override;
    void SetExtent(int value) override;
    std::vector<int> SelectedEntries() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyExtent();
    int DefaultExtent() const;

    TFilesView* FView;
    TFilesModel* FModel;
    QLabel* FFolderLabel;
    TDiskFilesHandler* FHandler = nullptr;
    TAction* FOpenAction = nullptr;
    TFileDropFilesAction* FDropAction = nullptr;
    // The listing shown: the image and folder it is of, its rows as the panel decided them, and
    // the order a header chose.
    int FIndex = -1;
    std::string FFolder;
    std::vector<TPanelRow> FRows;
    TPanelSort FSort;
    // The height the panel takes once the splitter it is in has one; 0 for the default.
    int FExtent = 0;
    bool FExtentPending = false;
    // Set while Reload rebuilds the rows: the refresh that called it updates the actions next.
    bool FReloading = false;
    std::unique_ptr<QTemporaryDir> FDragFolder;
    int FDragCount = 0;
};
