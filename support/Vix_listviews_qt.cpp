#include "Vix_listviews_qt.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>

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
    return OnData ? OnData(index.row(), index.column(), role) : QVariant();
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

// ---- TQtListControl ----

TQtListControl::TQtListControl(QAbstractItemView& view, TVirtualListModel& model)
    : FView(view), FModel(model) {
    QItemSelectionModel* selection = view.selectionModel();
    connect(selection, &QItemSelectionModel::selectionChanged, this,
            &TQtListControl::UserSelectionChanged);
    connect(
        selection, &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex& current, const QModelIndex&) { UserCurrentChanged(current); });
}

void TQtListControl::Changed(bool selection) {
    FRowsDirty = true;
    FSelectionDirty = FSelectionDirty || selection;
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

QItemSelection TQtListControl::SelectionRuns() const {
    QItemSelection selection;
    const std::vector<uint8_t>& states = States();
    const int count = ItemCount();
    const int lastColumn = FModel.columnCount() - 1;
    for (int i = 0; i < count;) {
        if ((states[static_cast<size_t>(i)] & ItemStateSelected) == 0) {
            ++i;
            continue;
        }
        const int first = i;
        while (i < count && (states[static_cast<size_t>(i)] & ItemStateSelected) != 0)
            ++i;
        selection.append(
            QItemSelectionRange(FModel.index(first, 0), FModel.index(i - 1, lastColumn)));
    }
    return selection;
}

void TQtListControl::Flush() {
    if (!FRowsDirty && !FSelectionDirty && FEnsureVisible < 0)
        return;
    ++FFlushCount;
    const bool countChanged = FModel.rowCount() != ItemCount();
    FFlushing = true;
    try {
        FModel.SetRowCount(ItemCount());
        if (FRowsDirty)
            FModel.RowsChanged();
        if (FSelectionDirty) {
            QItemSelectionModel& model = *FView.selectionModel();
            // Cleared first and then selected: Qt compares an old selection with a new one range
            // by range, which costs the product of their sizes unless one of them is empty.
            model.select(QItemSelection(), QItemSelectionModel::Clear);
            model.select(SelectionRuns(), QItemSelectionModel::Select);
            const int focused = FocusedIndex();
            model.setCurrentIndex(focused >= 0 ? FModel.index(focused, 0) : QModelIndex(),
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

void TQtListControl::UserSelectionChanged(const QItemSelection& selected,
                                          const QItemSelection& deselected) {
    if (FFlushing)
        return;
    // Straight into the array: these rows already show what they are.
    auto apply = [this](const QItemSelection& ranges, bool value) {
        for (const QItemSelectionRange& range : ranges)
            for (int row = range.top(); row <= range.bottom() && row < ItemCount(); ++row)
                TMemoryListControl::SetItemState(row, value ? ItemStateSelected : 0,
                                                 ItemStateSelected);
    };
    apply(deselected, false);
    apply(selected, true);
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
