#include "App_FilesPanel.h"

#include "App_actions.h"
#include "Rtl_codepage.h"
#include "Rtl_texts.h"
#include "Vix_filedrop_qt.h"

#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QSplitter>
#include <QStyle>
#include <QTemporaryDir>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// What keeps a row selected across a reload: its name, and ".." apart from any entry.
// Run for the whole of a scope; the flag is what it was before on every way out.
class TFlagScope {
public:
    explicit TFlagScope(bool& flag) : FFlag(flag), FSaved(flag) { flag = true; }
    ~TFlagScope() { FFlag = FSaved; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& FFlag;
    bool FSaved;
};

} // namespace

QString VisibleName(QString name) {
    for (QChar& c : name) {
        if (c.unicode() < 0x20)
            c = QChar(0x2400 + c.unicode());
        else if (c.unicode() == 0x7F)
            c = QChar(0x2421);
    }
    return name;
}

// ---- TFilesModel ----------------------------------------------------------------------------

TFilesModel::TFilesModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), FHeaders(std::move(headers)) {}

void TFilesModel::SetRows(std::vector<TFilesRow> rows) {
    beginResetModel();
    FRows = std::move(rows);
    endResetModel();
}

int TFilesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

int TFilesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FHeaders.size());
}

QVariant TFilesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const TFilesRow& row = FRows[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case 0:
            return row.Name;
        case 1:
            return row.Size;
        case 2:
            return row.Kind;
        case 3:
            return row.Details;
        default:
            return {};
        }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(index.column() == 1 ? Qt::AlignRight | Qt::AlignVCenter
                                                       : Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::DecorationRole:
        if (index.column() != 0)
            return {};
        if (row.Entry == TFilesPanelWidget::ParentEntry)
            return ParentIcon;
        return row.Folder ? FolderIcon : FileIcon;
    default:
        return {};
    }
}

QVariant TFilesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= FHeaders.size())
        return {};
    if (role == Qt::DisplayRole)
        return FHeaders[section];
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(section == 1 ? Qt::AlignRight | Qt::AlignVCenter
                                                : Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags TFilesModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || index.row() >= rowCount())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (FRows[static_cast<size_t>(index.row())].Entry >= 0)
        flags |= Qt::ItemIsDragEnabled;
    return flags;
}

// ---- TFilesView -----------------------------------------------------------------------------

TFilesView::TFilesView(TFilesPanelWidget& panel) : QTableView(&panel), FPanel(panel) {}

void TFilesView::SetKeyAction(const QKeySequence& key, TAction* action) {
    FKeys.emplace_back(key, action);
}

TAction* TFilesView::KeyAction(const QKeyEvent& event) const {
    const int key = event.key();
    if (key == 0 || key == Qt::Key_unknown)
        return nullptr;
    // The keypad's Enter is the Enter key here.
    const QKeySequence pressed(
        QKeyCombination(event.modifiers() & ~Qt::KeypadModifier, static_cast<Qt::Key>(key)));
    for (const auto& [sequence, action] : FKeys)
        if (sequence == pressed)
            return action;
    return nullptr;
}

bool TFilesView::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        // Claimed keys come here as key presses instead of going to the window's shortcuts.
        if (KeyAction(key) != nullptr || key.matches(QKeySequence::SelectAll)) {
            event->accept();
            return true;
        }
    }
    return QTableView::event(event);
}

void TFilesView::keyPressEvent(QKeyEvent* event) {
    if (TAction* action = KeyAction(*event)) {
        event->accept();
        FPanel.RunAction(*action);
        return;
    }
    QTableView::keyPressEvent(event);
}

QModelIndex TFilesView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    // Home and End go to the first and the last entry, as in a list: a table's would go to the
    // first and the last column of the row, which selects nothing else.
    if (cursorAction == MoveHome || cursorAction == MoveEnd)
        modifiers |= Qt::ControlModifier;
    return QTableView::moveCursor(cursorAction, modifiers);
}

void TFilesView::startDrag(Qt::DropActions) {
    std::unique_ptr<QMimeData> data = FPanel.NewDragData();
    if (!data)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data.release());
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

bool TFilesView::CanDrop(const QDropEvent& event) const {
    // The panel's own files dropped back would only replace themselves.
    return event.source() != this && FPanel.DropAction() != nullptr &&
           FPanel.DropAction()->isEnabled() && !LocalFiles(event.mimeData()).empty();
}

void TFilesView::dragEnterEvent(QDragEnterEvent* event) {
    // Files over the panel are the panel's, also when it cannot take them: the window behind
    // would add them as disk images.
    if (LocalFiles(event->mimeData()).empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void TFilesView::dragMoveEvent(QDragMoveEvent* event) {
    if (CanDrop(*event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TFilesView::dropEvent(QDropEvent* event) {
    if (!CanDrop(*event)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    TFileDropFilesAction& drop = *FPanel.DropAction();
    drop.Files = LocalFiles(event->mimeData());
    FPanel.RunAction(drop);
    drop.Files.clear();
}

// ---- TFilesPanelWidget ----------------------------------------------------------------------

TFilesPanelWidget::TFilesPanelWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("FilesPanel");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    FFolderLabel = new QLabel(this);
    FFolderLabel->setObjectName("FilesFolderLabel");
    FFolderLabel->setTextFormat(Qt::PlainText);
    FFolderLabel->setContentsMargins(4, 2, 4, 0);
    layout->addWidget(FFolderLabel);

    FModel = new TFilesModel({tr("Name"), tr("Size"), tr("Type"), tr("Details")}, this);
    FModel->FolderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    FModel->FileIcon = style()->standardIcon(QStyle::SP_FileIcon);
    FModel->ParentIcon = style()->standardIcon(QStyle::SP_FileDialogToParent);
    FView = new TFilesView(*this);
    FView->setObjectName("FilesView");
    FView->setModel(FModel);
    FView->setSelectionBehavior(QAbstractItemView::SelectRows);
    FView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FView->setShowGrid(false);
    FView->setWordWrap(false);
    FView->setTabKeyNavigation(false);
    FView->setIconSize(QSize(16, 16));
    FView->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    FView->setDragEnabled(true);
    FView->setAcceptDrops(true);
    FView->viewport()->setAcceptDrops(true);
    FView->setDropIndicatorShown(false);
    QHeaderView& rows = *FView->verticalHeader();
    rows.hide();
    rows.setSectionResizeMode(QHeaderView::Fixed);
    rows.setDefaultSectionSize(qMax(18, FView->fontMetrics().height() + 4));
    QHeaderView& columns = *FView->horizontalHeader();
    columns.setHighlightSections(false);
    // A click on a header sorts by its column, again the other way round; folders stay first.
    columns.setSectionsClickable(true);
    columns.setSortIndicatorShown(true);
    columns.setSortIndicator(-1, Qt::AscendingOrder);
    connect(&columns, &QHeaderView::sectionClicked, this, [this](int column) {
        FSort = FSort.Clicked(static_cast<TPanelColumn>(column));
        FView->horizontalHeader()->setSortIndicator(column, FSort.Descending ? Qt::DescendingOrder
                                                                             : Qt::AscendingOrder);
        Reload();
    });
    columns.setStretchLastSection(true);
    const int widths[] = {180, 90, 90};
    const int margins = 2 * columns.style()->pixelMetric(QStyle::PM_HeaderMargin) + 8;
    for (int i = 0; i < 3; ++i)
        columns.resizeSection(
            i, qMax(widths[i], columns.fontMetrics().horizontalAdvance(
                                   FModel->headerData(i, Qt::Horizontal).toString()) +
                                   margins));
    layout->addWidget(FView, 1);
    setFocusProxy(FView);

    auto changed = [this] {
        if (!FReloading && OnSelectionChange)
            OnSelectionChange();
    };
    connect(FView->selectionModel(), &QItemSelectionModel::selectionChanged, this, changed);
    connect(FView->selectionModel(), &QItemSelectionModel::currentChanged, this, changed);
    connect(FView, &QAbstractItemView::doubleClicked, this, [this] { OpenCurrent(); });
    hide();
}

TFilesPanelWidget::~TFilesPanelWidget() = default;

void TFilesPanelWidget::Bind(TDiskFilesHandler* handler, TAction* open,
                             TFileDropFilesAction* drop) {
    FHandler = handler;
    FOpenAction = open;
    FDropAction = drop;
    if (handler == nullptr) {
        OnSelectionChange = nullptr;
        OnBeforeAction = nullptr;
    }
}

int TFilesPanelWidget::CurrentEntry() const {
    const QModelIndex current = FView->currentIndex();
    if (!current.isValid() || current.row() >= FModel->rowCount())
        return NoEntry;
    return FModel->Rows()[static_cast<size_t>(current.row())].Entry;
}

void TFilesPanelWidget::RunAction(TAction& action) {
    if (OnBeforeAction)
        OnBeforeAction();
    if (!action.isEnabled() && OnUnavailableAction) {
        OnUnavailableAction(action);
        return;
    }
    ExecuteAction(action);
}

void TFilesPanelWidget::OpenCurrent() {
    if (FOpenAction != nullptr)
        RunAction(*FOpenAction);
}

void TFilesPanelWidget::Reload() {
    if (FHandler == nullptr)
        return;
    const TDiskFilesHandler& handler = *FHandler;
    std::vector<TPanelRow> panelRows;
    if (handler.FileSystem() != nullptr)
        panelRows = PanelRows(handler.Entries(), !handler.Folder().empty(), FSort);
    std::vector<TFilesRow> rows;
    for (const TPanelRow& row : panelRows)
        rows.push_back({row.Entry, row.RawName, VisibleName(Text(row.Name)), Text(row.Size),
                        VisibleName(Text(row.Kind)), VisibleName(Text(row.Details)), row.Folder});
    // The folder as the disk's software would write it; what the status bar says when there is
    // no file system to show.
    const QString label =
        handler.FileSystem() != nullptr
            ? QLatin1Char('/') + VisibleName(Text(rtl::Cp932ToUtf8(handler.Folder())))
            : Text(handler.StatusText());
    if (FFolderLabel->text() != label)
        FFolderLabel->setText(label);

    const bool sameFolder = handler.Index() == FIndex && handler.Folder() == FFolder;
    if (sameFolder && rows == FModel->Rows())
        return;
    TFlagScope reloading(FReloading);
    QItemSelectionModel& selection = *FView->selectionModel();
    std::vector<int> selectedRows;
    for (const QModelIndex& index : selection.selectedRows())
        selectedRows.push_back(index.row());
    const QModelIndex oldCurrent = FView->currentIndex();
    const std::string left = FFolder;
    const bool sameImage = handler.Index() == FIndex;
    FIndex = handler.Index();
    FFolder = handler.Folder();
    const std::vector<TPanelRow> old = std::exchange(FRows, std::move(panelRows));
    FModel->SetRows(std::move(rows));

    TPanelPlace place =
        PlaceAfterChange(old, selectedRows, oldCurrent.isValid() ? oldCurrent.row() : -1, FRows,
                         sameFolder, sameImage, left, FFolder);
    // A folder just made is selected alone, as file managers select it.
    if (const std::string made = FHandler->TakeMadeFolder(); !made.empty())
        for (size_t row = 0; row < FRows.size(); ++row)
            if (FRows[row].RawName == made)
                place = {{static_cast<int>(row)}, static_cast<int>(row)};
    QItemSelection keep;
    for (const int row : place.Selected)
        keep.select(FModel->index(row, 0), FModel->index(row, FModel->columnCount() - 1));
    if (sameFolder)
        selection.select(keep, QItemSelectionModel::ClearAndSelect);
    if (place.Cursor >= 0) {
        selection.setCurrentIndex(FModel->index(place.Cursor, 0), QItemSelectionModel::NoUpdate);
        FView->scrollTo(FModel->index(place.Cursor, 0));
    }
}

std::vector<int> TFilesPanelWidget::SelectedEntries() const {
    // Nothing the user cannot see is acted on.
    if (isHidden())
        return {};
    std::vector<int> entries;
    for (const QModelIndex& index : FView->selectionModel()->selectedRows()) {
        const int entry = FModel->Rows()[static_cast<size_t>(index.row())].Entry;
        if (entry >= 0)
            entries.push_back(entry);
    }
    std::sort(entries.begin(), entries.end());
    entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
    return entries;
}

std::unique_ptr<QMimeData> TFilesPanelWidget::NewDragData() {
    if (FHandler == nullptr || !FHandler->CanExtract())
        return nullptr;
    try {
        TOverrideCursor cursor(Qt::WaitCursor);
        if (!FDragFolder) {
            FDragFolder = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                          QStringLiteral("/trackwell-XXXXXX"));
            if (!FDragFolder->isValid()) {
                FDragFolder.reset();
                throw EFileSystemError(
                    rtl::Tr("The program cannot create a temporary folder for the files."));
            }
        }
        // A folder for each drag: a drop target may still be reading the last one's files.
        const QString folder = FDragFolder->filePath(QString::number(++FDragCount));
        if (!QDir().mkpath(folder))
            throw EFileSystemError(
                rtl::Tr("The program cannot create a temporary folder for the files."));
        const std::string base = folder.toStdString() + '/';
        QList<QUrl> urls;
        for (const std::string& path : FHandler->ExtractTo(folder.toStdString()))
            // The entries themselves; what their folders hold goes with them.
            if (path.starts_with(base) && path.find('/', base.size()) == std::string::npos)
                urls << QUrl::fromLocalFile(Text(path));
        if (urls.isEmpty())
            return nullptr;
        auto data = std::make_unique<QMimeData>();
        data->setUrls(urls);
        return data;
    } catch (...) {
        rtl::HandleException();
        return nullptr;
    }
}

// ---- visibility and extent ------------------------------------------------------------------

void TFilesPanelWidget::SetVisible(bool value) {
    if (value == Visible())
        return;
    if (!value) {
        if (FExtentPending == false && height() > 0)
            FExtent = height();
        // The keyboard goes back to the image list rather than to whatever follows.
        if (isAncestorOf(QApplication::focusWidget()))
            if (auto* splitter = qobject_cast<QSplitter*>(parentWidget()))
                splitter->widget(0)->setFocus();
        hide();
        return;
    }
    show();
    ApplyExtent();
}

int TFilesPanelWidget::Extent() const {
    if (Visible() && !FExtentPending && height() > 0)
        return height();
    return FExtent;
}

void TFilesPanelWidget::SetExtent(int value) {
    FExtent = std::max(0, value);
    if (Visible())
        ApplyExtent();
}

int TFilesPanelWidget::DefaultExtent() const {
    // The header, the folder and about six rows.
    return FView->horizontalHeader()->sizeHint().height() + FFolderLabel->sizeHint().height() +
           6 * FView->verticalHeader()->defaultSectionSize() + 2 * FView->frameWidth() + 4;
}

void TFilesPanelWidget::ApplyExtent() {
    auto* splitter = qobject_cast<QSplitter*>(parentWidget());
    if (splitter == nullptr)
        return;
    // Before the window is on screen the splitter's height is not the one it will have.
    const int total = splitter->height() - splitter->handleWidth();
    if (!window()->isVisible() || total <= 0) {
        if (!FExtentPending) {
            FExtentPending = true;
            splitter->installEventFilter(this);
        }
        return;
    }
    FExtentPending = false;
    splitter->removeEventFilter(this);
    // The image list keeps a few rows, and so does the panel.
    const int least = DefaultExtent() / 2;
    const int extent = std::clamp(FExtent > 0 ? FExtent : DefaultExtent(), std::min(least, total),
                                  std::max(std::min(least, total), total - least));
    splitter->setSizes({total - extent, extent});
}

bool TFilesPanelWidget::eventFilter(QObject* watched, QEvent* event) {
    if (FExtentPending && event->type() == QEvent::Resize && watched == parentWidget() && Visible())
        ApplyExtent();
    return QWidget::eventFilter(watched, event);
}
