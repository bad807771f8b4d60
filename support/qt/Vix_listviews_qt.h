// The list view shell's control on a Qt table view. The item states live in one array, as in the
// control without a window, and nowhere else: the view draws the selection from the array, and
// the view's selection model only passes the user's gestures on to it. Qt's model is told once,
// when the outermost update bracket closes, so a command over a hundred thousand rows reaches it
// a constant number of times.
#pragma once

#include "Vix_listviews.h"

#include <QAbstractTableModel>
#include <QItemSelectionModel>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>
#include <vector>

class TQtListControl;

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
    mutable bool FErrorPending = false;
};

// A table view whose rows' selection is the control's: a press on a selected row keeps the
// selection (so that a right-click's menu acts on all of it), as Qt does for its own.
class TListTableView : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;

    // Set by the control that the view shows; not owned.
    TQtListControl* Control = nullptr;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QPersistentModelIndex FPressed;
};

// Draws a cell selected when its row is selected in the control; without whole-row selection
// only the first column shows it.
class TListItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    TListItemDelegate(TQtListControl& control, QObject* parent)
        : QStyledItemDelegate(parent), FControl(control) {}

    bool RowSelect = false;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    TQtListControl& FControl;
};

class TQtListControl : public QObject, public TMemoryListControl {
    Q_OBJECT
public:
    // Gives view the model, its selection model and its delegate; neither is owned.
    TQtListControl(TListTableView& view, TVirtualListModel& model);

    TListItemDelegate& Delegate() const { return *FDelegate; }
    bool RowSelected(int row) const;
    // A gesture the view reports through its selection model, with Qt's meaning of the flags.
    void UserSelect(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command);

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
    void ExchangeItemStates(const TExchangePlan& exchanges) override;

    // How often the model and the selection model were told of changes.
    int FlushCount() const { return FFlushCount; }

private:
    void Changed(bool selection);
    void Flush();
    void UserCurrentChanged(const QModelIndex& current);
    void Notify();

    TListTableView& FView;
    TVirtualListModel& FModel;
    TListItemDelegate* FDelegate;
    // What the user's gestures before the last one had selected, one byte a row: a gesture that
    // continues it (a drag, a shift-click) replaces the last one's part instead of adding to it.
    std::vector<uint8_t> FCommitted;
    bool FSelectionDirty = false;
    bool FRowsDirty = false;
    int FEnsureVisible = -1;
    // Set while the array is being handed to Qt, whose echo must not flow back.
    bool FFlushing = false;
    int FFlushCount = 0;
};
