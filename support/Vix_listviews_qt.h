// The list view shell's control on a Qt item view. The item states live in one array, as in the
// control without a window; Qt's model and selection model are told once, when the outermost
// update bracket closes, so a command over a hundred thousand rows reaches them a constant number
// of times. Selections the user makes flow back into the array.
#pragma once

#include "Vix_listviews.h"

#include <QAbstractTableModel>
#include <QItemSelection>
#include <QStringList>

#include <functional>
#include <vector>

class QAbstractItemView;

// A table that stores nothing: the row count it was last told, and every cell asked of OnData
// when the view draws it.
class TVirtualListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using TDataFunction = std::function<QVariant(int row, int column, int role)>;

    explicit TVirtualListModel(QStringList headers, QObject* parent = nullptr);

    // Must not raise; what it cannot answer is an empty QVariant.
    TDataFunction OnData;
    void SetColumnAlignment(int column, Qt::Alignment alignment);

    // One insertion or removal at the end.
    void SetRowCount(int count);
    // Every cell may show something else now.
    void RowsChanged();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QStringList FHeaders;
    std::vector<Qt::Alignment> FAlignments;
    int FRowCount = 0;
};

class TQtListControl : public QObject, public TMemoryListControl {
    Q_OBJECT
public:
    // The view shows model; neither is owned.
    TQtListControl(QAbstractItemView& view, TVirtualListModel& model);

    // Every change of the selection, the focus or the count, by the program or by the user.
    std::function<void()> OnChange;

    void SetItemCount(int n) override;
    void SetItemState(int index, int state, int mask) override;
    void SelectAll() override;
    void ClearSelection() override;
    void EnsureVisible(int index, bool partialOK) override;
    void Invalidate() override;
    void Update() override;
    void Repaint() override;
    void Refresh() override;
    void EndUpdate() override;
    void MoveItemStates(int from, int to, int count) override;

    // How often the model and the selection model were told of changes.
    int FlushCount() const { return FFlushCount; }

private:
    void Changed(bool selection);
    void Flush();
    QItemSelection SelectionRuns() const;
    void UserSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void UserCurrentChanged(const QModelIndex& current);
    void Notify();

    QAbstractItemView& FView;
    TVirtualListModel& FModel;
    bool FSelectionDirty = false;
    bool FRowsDirty = false;
    int FEnsureVisible = -1;
    // Set while the array is being handed to Qt, whose echo must not flow back.
    bool FFlushing = false;
    int FFlushCount = 0;
};
