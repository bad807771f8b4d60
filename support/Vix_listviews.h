// The list of disk images as the document logic sees it: an item count and four state bits per
// item, kept in step with edits of the image list so that selection and focus travel with the
// items. The control behind it stores no texts; the window asks the document for those.
#pragma once

#include "Rtl_exceptions.h"
#include "Vix_lists.h"

#include <cstdint>
#include <vector>

// The platform list view's own item state bits, always read and written together.
constexpr int ItemStateFocused = 1;
constexpr int ItemStateSelected = 2;
constexpr int ItemStateCut = 4;
constexpr int ItemStateDropHighlighted = 8;
constexpr int ItemStateMask = 15;

// What the shell needs of a list view control. A toolkit control implements it in its adapter;
// TMemoryListControl implements it without a window. Indices are checked by the shell, so an
// implementation may treat a bad index as a programming error.
class TListControl {
public:
    TListControl() = default;
    TListControl(const TListControl&) = delete;
    TListControl& operator=(const TListControl&) = delete;
    virtual ~TListControl() = default;

    virtual int ItemCount() const = 0;
    // Items below n keep their states and new items start at 0. Must not invalidate every item:
    // with a hundred thousand rows that repaint would dominate each insert.
    virtual void SetItemCount(int n) = 0;
    // The bits of mask from the item's state.
    virtual int ItemState(int index, int mask) const = 0;
    // Writes the bits of mask and leaves the others. Setting the focused bit clears it on the
    // item that had it, so at most one item is ever focused.
    virtual void SetItemState(int index, int state, int mask) = 0;
    virtual int SelectedCount() const = 0;
    // The focused item, or -1; a control that keeps no note of it looks for it.
    virtual int FocusedItem() const;
    virtual void SelectAll() = 0;
    virtual void ClearSelection() = 0;
    virtual void EnsureVisible(int index, bool partialOK) = 0;
    virtual void Invalidate() = 0;
    virtual void Update() = 0;
    virtual void Repaint() = 0;
    virtual void Refresh() = 0;
    // Redrawing is suspended until the outermost EndUpdate.
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;
    // The states of [from, from + count) copied onto [to, to + count) as memmove copies bytes;
    // source items outside the target keep their states. Insert, Delete and Move shift whole
    // runs of rows, which an item-at-a-time loop makes slow on a large list. The focus travels
    // with its item; a focused item that is overwritten loses the focus.
    virtual void MoveItemStates(int from, int to, int count) = 0;
    // The states of each pair of items traded, in order, as SetItemState of each would; the
    // focus travels with its item.
    virtual void ExchangeItemStates(const TExchangePlan& exchanges) = 0;
};

// A control without a window: the states in memory, and nothing to draw. The CLI edits through
// it; a toolkit's control builds on it.
class TMemoryListControl : public TListControl {
public:
    int ItemCount() const override { return static_cast<int>(FStates.size()); }
    void SetItemCount(int n) override;
    int ItemState(int index, int mask) const override;
    void SetItemState(int index, int state, int mask) override;
    int SelectedCount() const override { return FSelCount; }
    void SelectAll() override;
    void ClearSelection() override;
    void EnsureVisible(int index, bool partialOK) override;
    void Invalidate() override {}
    void Update() override {}
    void Repaint() override {}
    void Refresh() override {}
    void BeginUpdate() override;
    // rtl::EInvalidOperation without a matching BeginUpdate.
    void EndUpdate() override;
    void MoveItemStates(int from, int to, int count) override;
    void ExchangeItemStates(const TExchangePlan& exchanges) override;

    // -1 when no item is focused.
    int FocusedIndex() const { return FFocused; }
    int FocusedItem() const override { return FFocused; }
    int UpdateDepth() const { return FUpdateDepth; }

protected:
    // Every item's bits, for a toolkit control that hands them on in one piece.
    const std::vector<uint8_t>& States() const { return FStates; }

private:
    void CheckIndex(int index) const;
    int CountSelected(int first, int count) const;

    std::vector<uint8_t> FStates;
    int FFocused = -1;
    int FSelCount = 0;
    int FUpdateDepth = 0;
};

// The only way the document logic touches the list of disk images. It keeps no copy of the
// count or of any state: every read goes to the control, which it borrows and never frees.
// Index and count errors raise rtl::EStringListError.
class TListViewShell {
public:
    explicit TListViewShell(TListControl& listView) : FListView(listView) {}
    TListViewShell(const TListViewShell&) = delete;
    TListViewShell& operator=(const TListViewShell&) = delete;
    virtual ~TListViewShell() = default;

    TListControl& ListView() const { return FListView; }

    int Count() const;
    // n >= 0. Invalidates the whole control afterwards, since every row below the old count
    // may now show another image.
    void SetCount(int n);
    int SelCount() const;
    // The focused item, or -1.
    int FocusedIndex() const { return FListView.FocusedItem(); }
    // The four state bits of the item; 0 <= index < Count().
    int States(int index) const;
    void SetStates(int index, int state);
    // Ascending; the scan ends at the last selected item.
    std::vector<int> GetSelectedIndices() const;

    // Insert(Count()); the new index.
    virtual int Add();
    // 0 <= index <= Count(); the new item has state 0 and the later ones move down with theirs.
    virtual void Insert(int index);
    // 0 <= index < Count(). A focused item hands the focus to the one after it, or to the one
    // before it when it was the last.
    virtual void Delete(int index);
    // The same as Delete of each of rows (strictly ascending) from the last to the first, in one
    // pass over the states: the focus ends where those deletes would leave it.
    virtual void DeleteRows(const std::vector<int>& rows);
    // The same as Insert of each of rows (strictly ascending, indexes in the list that results)
    // from the first to the last, each then given state, in one pass over the states.
    virtual void InsertRows(const std::vector<int>& rows, int state);
    virtual void Clear();
    virtual void Exchange(int index1, int index2);
    // The same as Exchange of each pair in order, in one pass; every index is checked first,
    // so a bad one leaves every row as it was.
    virtual void ExchangeRows(const TExchangePlan& exchanges);
    virtual void Move(int curIndex, int newIndex);
    virtual void SelectAll();
    virtual void ReverseSelection();
    virtual void ClearSelection();
    virtual void MakeVisible(int index, bool partialOK);
    virtual bool Cut(int index) const;
    virtual void SetCut(int index, bool value);
    virtual bool DropHighlighted(int index) const;
    virtual void SetDropHighlighted(int index, bool value);
    virtual bool Focused(int index) const;
    virtual void SetFocused(int index, bool value);
    virtual bool Selected(int index) const;
    virtual void SetSelected(int index, bool value);
    virtual void Invalidate();
    virtual void Update();
    virtual void Repaint();
    virtual void Refresh();
    virtual void BeginUpdate();
    virtual void EndUpdate();

private:
    bool StateBit(int index, int bit) const;
    void SetStateBit(int index, int bit, bool value);

    TListControl& FListView;
};

// Holds one BeginUpdate of a shell and ends it on every way out of the scope, so that an
// exception never leaves redrawing suspended.
class TListViewUpdate {
public:
    explicit TListViewUpdate(TListViewShell& shell) : FShell(shell) { FShell.BeginUpdate(); }
    TListViewUpdate(const TListViewUpdate&) = delete;
    TListViewUpdate& operator=(const TListViewUpdate&) = delete;
    ~TListViewUpdate() { FShell.EndUpdate(); }

private:
    TListViewShell& FShell;
};
