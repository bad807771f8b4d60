#include "Vix_listviews_qt.h"

#include <QMetaObject>
#include <QMouseEvent>

// ---- TVirtualListModel ----

TVirtualListModel::TVirtualListModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), FHeaders(std::move(headers)),
      FAlignments(static_cast<size_t>(FHeaders.size()), Qt::AlignLeft | Qt::AlignVCenter) {}

void TVirtualListModel::SetColumnAlignment(int column, Qt::Alignment alignment) {
    FAlignments[static_cast<size_t>(column)] = alignment;
}

void TVirtualListModel::SetRowCount(int count) {
    if (count > FRowCount) {
        beginInsertRows(QModelIndex(), FRowCount, count - 1);
        FRowCount = count;
        endInsertRows();
    } else if (count < FRowCount) {
        beginRemoveRows(QModelIndex(), count, FRowCount - 1);
        FRowCount = count;
        endRemoveRows();
    }
}

void TVirtualListModel::RowsChanged() {
    if (FRowCount > 0)
        emit dataChanged(index(0, 0), index(FRowCount - 1, columnCount() - 1));
}

int TVirtualListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FRowCount;
}

int TVirtualListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FHeaders.size());
}

QVariant TVirtualListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= FRowCount)
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(FAlignments[static_cast<size_t>(index.column())]);
    if (!OnData)
        return {};
    try {
        return OnData(index.row(), index.column(), role);
    } catch (...) {
        // Raised while the view paints: shown once the paint is over, and once for all the
        // cells that raise it meanwhile.
        if (!FErrorPending) {
            FErrorPending = true;
            QMetaObject::invokeMethod(
                const_cast<TVirtualListModel*>(this),
                [this, error = std::current_exception()] {
                    FErrorPending = false;
                    try {
                        std::rethrow_exception(error);
                    } catch (...) {
                        rtl::HandleException();
                    }
                },
                Qt::QueuedConnection);
        }
        return {};
    }
}

QVariant TVirtualListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= FHeaders.size())
        return {};
    if (role == Qt::DisplayRole)
        return FHeaders[section];
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(FAlignments[static_cast<size_t>(section)]);
    return {};
}

Qt::ItemFlags TVirtualListModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

// ---- TListTableView and TListItemDelegate ----

QItemSelectionModel::SelectionFlags TListTableView::selectionCommand(const QModelIndex& index,
                                                                     const QEvent* event) const {
    QItemSelectionModel::SelectionFlags command = QTableView::selectionCommand(index, event);
    // Qt decides these cases from its own selection model, which holds nothing here.
    if (Control == nullptr || event == nullptr || !index.isValid() ||
        selectionMode() != ExtendedSelection)
        return command;
    const bool selected = Control->RowSelected(index.row());
    const bool plain = (static_cast<const QInputEvent*>(event)->modifiers() &
                        (Qt::ShiftModifier | Qt::ControlModifier)) == 0;
    if (event->type() == QEvent::MouseButtonPress) {
        if (plain && selected)
            return QItemSelectionModel::NoUpdate;
        // A control-click would be made a Select, since Qt sees the row unselected.
        if (command & QItemSelectionModel::Toggle)
            return (command & ~QItemSelectionModel::Toggle) |
                   (selected ? QItemSelectionModel::Deselect : QItemSelectionModel::Select);
    }
    if (event->type() == QEvent::MouseButtonRelease && plain && selected && index == FPressed &&
        static_cast<const QMouseEvent*>(event)->button() == Qt::LeftButton &&
        state() != DragSelectingState)
        return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    return command;
}

void TListTableView::mousePressEvent(QMouseEvent* event) {
    FPressed = indexAt(event->position().toPoint());
    QTableView::mousePressEvent(event);
}

void TListItemDelegate::initStyleOption(QStyleOptionViewItem* option,
                                        const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (FControl.RowSelected(index.row()) && (RowSelect || index.column() == 0))
        option->state |= QStyle::State_Selected;
    else
        option->state &= ~QStyle::State_Selected;
}

namespace {

// Hands every gesture to the control and keeps no selection of its own: a selection model
// stores its ranges as persistent indexes and answers each painted cell by scanning them, which
// a selection of every other row among a hundred thousand makes slow.
class TStateSelectionModel : public QItemSelectionModel {
public:
    TStateSelectionModel(QAbstractItemModel* model, TQtListControl& control)
        : QItemSelectionModel(model, &control), FControl(control) {}

    void select(const QModelIndex& index, SelectionFlags command) override {
        select(index.isValid() ? QItemSelection(index, index) : QItemSelection(), command);
    }
    void select(const QItemSelection& selection, SelectionFlags command) override {
        try {
            FControl.UserSelect(selection, command);
        } catch (...) {
            rtl::HandleException();
        }
    }

private:
    TQtListControl& FControl;
};

} // namespace

// ---- TQtListControl ----

TQtListControl::TQtListControl(TListTableView& view, TVirtualListModel& model)
    : FView(view), FModel(model), FDelegate(new TListItemDelegate(*this, this)) {
    view.Control = this;
    if (view.model() != &model)
        view.setModel(&model);
    QItemSelectionModel* old = view.selectionModel();
    auto* selection = new TStateSelectionModel(&model, *this);
    view.setSelectionModel(selection);
    delete old;
    view.setItemDelegate(FDelegate);
    connect(
        selection, &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex& current, const QModelIndex&) { UserCurrentChanged(current); });
}

bool TQtListControl::RowSelected(int row) const {
    const std::vector<uint8_t>& states = States();
    return row >= 0 && row < static_cast<int>(states.size()) &&
           (states[static_cast<size_t>(row)] & ItemStateSelected) != 0;
}

void TQtListControl::Changed(bool selection) {
    FRowsDirty = true;
    if (selection) {
        FSelectionDirty = true;
        // The program has chosen rows of its own: a gesture starts from them.
        FCommitted.clear();
    }
    if (UpdateDepth() == 0)
        Flush();
}

void TQtListControl::SetItemCount(int n) {
    TMemoryListControl::SetItemCount(n);
    Changed(true);
}

void TQtListControl::SetItemState(int index, int state, int mask) {
    TMemoryListControl::SetItemState(index, state, mask);
    Changed(true);
}

void TQtListControl::SelectAll() {
    TMemoryListControl::SelectAll();
    Changed(true);
}

void TQtListControl::ClearSelection() {
    TMemoryListControl::ClearSelection();
    Changed(true);
}

void TQtListControl::MoveItemStates(int from, int to, int count) {
    TMemoryListControl::MoveItemStates(from, to, count);
    Changed(true);
}

void TQtListControl::ExchangeItemStates(const TExchangePlan& exchanges) {
    TMemoryListControl::ExchangeItemStates(exchanges);
    Changed(true);
}

void TQtListControl::EnsureVisible(int index, bool partialOK) {
    TMemoryListControl::EnsureVisible(index, partialOK);
    // The row may not be in Qt's model before the bracket closes.
    FEnsureVisible = index;
    Changed(false);
}

void TQtListControl::Invalidate() {
    TMemoryListControl::Invalidate();
    Changed(false);
}

void TQtListControl::Update() {
    TMemoryListControl::Update();
    Changed(false);
}

void TQtListControl::Repaint() {
    TMemoryListControl::Repaint();
    Changed(false);
}

void TQtListControl::Refresh() {
    TMemoryListControl::Refresh();
    Changed(false);
}

void TQtListControl::EndUpdate() {
    TMemoryListControl::EndUpdate();
    // Every command runs inside a bracket, property edits included, and those touch no state:
    // the close of the outermost bracket is the one moment to show what changed.
    if (UpdateDepth() == 0) {
        FRowsDirty = true;
        Flush();
    }
}

void TQtListControl::Flush() {
    if (!FRowsDirty && !FSelectionDirty && FEnsureVisible < 0)
        return;
    ++FFlushCount;
    const bool countChanged = FModel.rowCount() != ItemCount();
    FFlushing = true;
    try {
        FModel.SetRowCount(ItemCount());
        // Also what redraws a changed selection, which the view cannot know of otherwise.
        if (FRowsDirty || FSelectionDirty)
            FModel.RowsChanged();
        if (FSelectionDirty) {
            const int focused = FocusedIndex();
            FView.selectionModel()->setCurrentIndex(focused >= 0 ? FModel.index(focused, 0)
                                                                 : QModelIndex(),
                                                    QItemSelectionModel::NoUpdate);
        }
        if (FEnsureVisible >= 0 && FEnsureVisible < ItemCount())
            FView.scrollTo(FModel.index(FEnsureVisible, 0));
    } catch (...) {
        FFlushing = false;
        throw;
    }
    FFlushing = false;
    const bool notify = FSelectionDirty || countChanged;
    FRowsDirty = false;
    FSelectionDirty = false;
    FEnsureVisible = -1;
    if (notify)
        Notify();
}

void TQtListControl::UserSelect(const QItemSelection& selection,
                                QItemSelectionModel::SelectionFlags command) {
    if (FFlushing || command == QItemSelectionModel::NoUpdate)
        return;
    const std::vector<uint8_t>& states = States();
    const size_t count = states.size();
    std::vector<uint8_t> committed;
    if (command & QItemSelectionModel::Clear)
        committed.assign(count, 0);
    else if ((command & QItemSelectionModel::Current) && FCommitted.size() == count)
        committed = FCommitted;
    else
        for (const uint8_t state : states)
            committed.push_back((state & ItemStateSelected) != 0);
    std::vector<uint8_t> selected = committed;
    FCommitted = std::move(committed);
    if (command & (QItemSelectionModel::Select | QItemSelectionModel::Deselect |
                   QItemSelectionModel::Toggle)) {
        for (const QItemSelectionRange& range : selection) {
            const int last = std::min(range.bottom(), static_cast<int>(count) - 1);
            for (int row = std::max(range.top(), 0); row <= last; ++row) {
                uint8_t& bit = selected[static_cast<size_t>(row)];
                if (command & QItemSelectionModel::Toggle)
                    bit = !bit;
                else
                    bit = (command & QItemSelectionModel::Select) != 0;
            }
        }
    }
    bool changed = false;
    for (size_t row = 0; row < count; ++row) {
        if (selected[row] == ((states[row] & ItemStateSelected) != 0))
            continue;
        TMemoryListControl::SetItemState(static_cast<int>(row),
                                         selected[row] ? ItemStateSelected : 0, ItemStateSelected);
        changed = true;
    }
    if (!changed)
        return;
    FView.viewport()->update();
    Notify();
}

void TQtListControl::UserCurrentChanged(const QModelIndex& current) {
    if (FFlushing)
        return;
    if (current.isValid() && current.row() < ItemCount())
        TMemoryListControl::SetItemState(current.row(), ItemStateFocused, ItemStateFocused);
    else if (FocusedIndex() >= 0)
        TMemoryListControl::SetItemState(FocusedIndex(), 0, ItemStateFocused);
    Notify();
}

void TQtListControl::Notify() {
    if (!OnChange)
        return;
    try {
        OnChange();
    } catch (...) {
        rtl::HandleException();
    }
}
