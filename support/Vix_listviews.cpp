#include "Vix_listviews.h"

#include "Rtl_texts.h"

#include "Vix_dynamicarrays.h"

#include <algorithm>
#include <cstring>

namespace {

// The shell checks every index before it reaches the control, so these mean a broken caller.
const char* const NoSuchItemMessage = rtl::TrNoop("The list control has no item at this index.");
const char* const BadItemCountMessage =
    rtl::TrNoop("The list control cannot take this number of items.");
const char* const BadMoveMessage =
    rtl::TrNoop("The list control cannot move states outside its items.");
const char* const NoUpdateMessage = rtl::TrNoop("The list control has no update to end.");

const char* const CannotSetCountMessage =
    rtl::TrNoop("The program cannot set the number of the items.");
const char* const CannotGetStateMessage = rtl::TrNoop("The program cannot get the state.");
const char* const CannotSetStateMessage = rtl::TrNoop("The program cannot set the state.");
const char* const CannotInsertMessage = rtl::TrNoop("The program cannot insert the item.");
const char* const CannotDeleteMessage = rtl::TrNoop("The program cannot delete the item.");
const char* const CannotMakeVisibleMessage =
    rtl::TrNoop("The program cannot ensure the item is visible.");

bool IsSelectedState(uint8_t state) {
    return (state & ItemStateSelected) != 0;
}

} // namespace

// ---- TMemoryListControl ----

void TMemoryListControl::CheckIndex(int index) const {
    if (index < 0 || index >= ItemCount())
        throw rtl::EListError(rtl::Tr(NoSuchItemMessage));
}

int TMemoryListControl::CountSelected(int first, int count) const {
    const auto begin = FStates.begin() + first;
    return static_cast<int>(std::count_if(begin, begin + count, IsSelectedState));
}

void TMemoryListControl::SetItemCount(int n) {
    if (n < 0)
        throw rtl::EListError(rtl::Tr(BadItemCountMessage));
    const int old = ItemCount();
    if (n < old) {
        // Only the dropped tail is counted, so trimming one row at a time stays cheap.
        FSelCount -= CountSelected(n, old - n);
        if (FFocused >= n)
            FFocused = -1;
    }
    FStates.resize(static_cast<std::size_t>(n), 0);
}

int TMemoryListControl::ItemState(int index, int mask) const {
    CheckIndex(index);
    return FStates[static_cast<std::size_t>(index)] & mask;
}

void TMemoryListControl::SetItemState(int index, int state, int mask) {
    CheckIndex(index);
    mask &= ItemStateMask;
    uint8_t& slot = FStates[static_cast<std::size_t>(index)];
    const uint8_t old = slot;
    const uint8_t updated = static_cast<uint8_t>((old & ~mask) | (state & mask));
    if ((updated & ItemStateFocused) != 0) {
        if (FFocused >= 0 && FFocused != index)
            FStates[static_cast<std::size_t>(FFocused)] &= static_cast<uint8_t>(~ItemStateFocused);
        FFocused = index;
    } else if (FFocused == index) {
        FFocused = -1;
    }
    FSelCount += int(IsSelectedState(updated)) - int(IsSelectedState(old));
    slot = updated;
}

void TMemoryListControl::SelectAll() {
    for (uint8_t& state : FStates)
        state |= ItemStateSelected;
    FSelCount = ItemCount();
}

void TMemoryListControl::ClearSelection() {
    for (uint8_t& state : FStates)
        state &= static_cast<uint8_t>(~ItemStateSelected);
    FSelCount = 0;
}

// Nothing to scroll; the index is still the caller's to get right.
void TMemoryListControl::EnsureVisible(int index, bool /*partialOK*/) {
    CheckIndex(index);
}

void TMemoryListControl::BeginUpdate() {
    ++FUpdateDepth;
}

void TMemoryListControl::EndUpdate() {
    if (FUpdateDepth == 0)
        throw rtl::EInvalidOperation(rtl::Tr(NoUpdateMessage));
    --FUpdateDepth;
}

void TMemoryListControl::MoveItemStates(int from, int to, int count) {
    const int n = ItemCount();
    if (from < 0 || to < 0 || count < 0 || from > n - count || to > n - count)
        throw rtl::EListError(rtl::Tr(BadMoveMessage));
    if (count == 0 || from == to)
        return;
    // Only the target range changes, so the selected count moves by what it gains and loses.
    const int lost = CountSelected(to, count);
    const int gained = CountSelected(from, count);
    std::memmove(FStates.data() + to, FStates.data() + from, static_cast<std::size_t>(count));
    FSelCount += gained - lost;

    const int focused = FFocused;
    const bool inSource = focused >= from && focused < from + count;
    const bool inTarget = focused >= to && focused < to + count;
    if (inSource) {
        // The copy carries the bit; a source slot left outside the target still has it.
        if (!inTarget)
            FStates[static_cast<std::size_t>(focused)] &= static_cast<uint8_t>(~ItemStateFocused);
        FFocused = focused + (to - from);
    } else if (inTarget) {
        FFocused = -1;
    }
}

void TMemoryListControl::ExchangeItemStates(const TExchangePlan& exchanges) {
    for (const TExchange& exchange : exchanges) {
        CheckIndex(exchange.Index1);
        CheckIndex(exchange.Index2);
    }
    // A trade moves bits without changing how many items are selected; only the focus index
    // has to follow its item.
    uint8_t* const states = FStates.data();
    int focused = FFocused;
    for (const TExchange& exchange : exchanges) {
        std::swap(states[exchange.Index1], states[exchange.Index2]);
        if (focused == exchange.Index1)
            focused = exchange.Index2;
        else if (focused == exchange.Index2)
            focused = exchange.Index1;
    }
    FFocused = focused;
}

// ---- TListViewShell ----

int TListControl::FocusedItem() const {
    for (int i = 0, n = ItemCount(); i < n; ++i)
        if (ItemState(i, ItemStateFocused) != 0)
            return i;
    return -1;
}

int TListViewShell::Count() const {
    return FListView.ItemCount();
}

void TListViewShell::SetCount(int n) {
    if (n < 0)
        throw rtl::EStringListError(rtl::Tr(CannotSetCountMessage));
    FListView.SetItemCount(n);
    FListView.Invalidate();
}

int TListViewShell::SelCount() const {
    return FListView.SelectedCount();
}

int TListViewShell::States(int index) const {
    if (index < 0 || index >= Count())
        throw rtl::EStringListError(rtl::Tr(CannotGetStateMessage));
    return FListView.ItemState(index, ItemStateMask);
}

void TListViewShell::SetStates(int index, int state) {
    if (index < 0 || index >= Count())
        throw rtl::EStringListError(rtl::Tr(CannotSetStateMessage));
    FListView.SetItemState(index, state, ItemStateMask);
}

std::vector<int> TListViewShell::GetSelectedIndices() const {
    const int selCount = SelCount();
    if (selCount == 0)
        return {};
    TDynamicArrayBuilder<int> builder;
    builder.SetCapacity(selCount);
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        if (!Selected(i))
            continue;
        builder.Add(i);
        if (builder.Count() == builder.Capacity())
            break;
    }
    return builder.Release();
}

int TListViewShell::Add() {
    const int index = Count();
    Insert(index);
    return index;
}

void TListViewShell::Insert(int index) {
    const int count = Count();
    if (index < 0 || index > count)
        throw rtl::EStringListError(rtl::Tr(CannotInsertMessage));
    SetCount(count + 1);
    FListView.MoveItemStates(index, index + 1, count - index);
    SetStates(index, 0);
}

void TListViewShell::Delete(int index) {
    const int count = Count();
    if (index < 0 || index >= count)
        throw rtl::EStringListError(rtl::Tr(CannotDeleteMessage));
    // The control keeps one focused item at most, so focusing a neighbour unfocuses this one.
    if (Focused(index)) {
        if (index < count - 1)
            SetFocused(index + 1, true);
        else if (index > 0)
            SetFocused(index - 1, true);
    }
    FListView.MoveItemStates(index + 1, index, count - 1 - index);
    SetCount(count - 1);
}

namespace {

bool IsStrictlyAscending(const std::vector<int>& rows, int limit) {
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i] < 0 || rows[i] >= limit || (i > 0 && rows[i] <= rows[i - 1]))
            return false;
    return true;
}

} // namespace

void TListViewShell::DeleteRows(const std::vector<int>& rows) {
    const int count = Count();
    if (!IsStrictlyAscending(rows, count))
        throw rtl::EStringListError(rtl::Tr(CannotDeleteMessage));
    if (rows.empty())
        return;
    TListViewUpdate update(*this);
    // Deleted one by one from the last, a focused row hands the focus to the first survivor
    // after it, or failing that to the last survivor before it.
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!Focused(rows[i]))
            continue;
        size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1)
            ++j;
        size_t k = i;
        while (k > 0 && rows[k - 1] == rows[k] - 1)
            --k;
        if (rows[j] + 1 < count)
            SetFocused(rows[j] + 1, true);
        else if (rows[k] > 0)
            SetFocused(rows[k] - 1, true);
        break;
    }
    int write = rows.front();
    for (size_t i = 0; i < rows.size(); ++i) {
        const int from = rows[i] + 1;
        const int end = i + 1 < rows.size() ? rows[i + 1] : count;
        FListView.MoveItemStates(from, write, end - from);
        write += end - from;
    }
    SetCount(count - static_cast<int>(rows.size()));
}

void TListViewShell::InsertRows(const std::vector<int>& rows, int state) {
    const int count = Count();
    const int total = count + static_cast<int>(rows.size());
    if (!IsStrictlyAscending(rows, total))
        throw rtl::EStringListError(rtl::Tr(CannotInsertMessage));
    if (rows.empty())
        return;
    TListViewUpdate update(*this);
    SetCount(total);
    // From the end, each run of old rows moving once to where it ends up.
    int end = count;
    for (size_t i = rows.size(); i-- > 0;) {
        const int from = rows[i] - static_cast<int>(i);
        FListView.MoveItemStates(from, rows[i] + 1, end - from);
        end = from;
    }
    for (const int row : rows)
        SetStates(row, state);
}

void TListViewShell::Clear() {
    SetCount(0);
}

void TListViewShell::Exchange(int index1, int index2) {
    if (index1 == index2)
        return;
    TListViewUpdate update(*this);
    const int state = States(index1);
    SetStates(index1, States(index2));
    SetStates(index2, state);
}

void TListViewShell::ExchangeRows(const TExchangePlan& exchanges) {
    const int count = Count();
    for (const TExchange& exchange : exchanges)
        if (exchange.Index1 < 0 || exchange.Index1 >= count || exchange.Index2 < 0 ||
            exchange.Index2 >= count)
            throw rtl::EStringListError(rtl::Tr(CannotGetStateMessage));
    if (exchanges.empty())
        return;
    TListViewUpdate update(*this);
    FListView.ExchangeItemStates(exchanges);
}

void TListViewShell::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex)
        return;
    TListViewUpdate update(*this);
    // Checking both ends first leaves the rows untouched on a bad index, where a row-by-row
    // shift would fail half-way; the message is the one that shift would have raised, since
    // its first failure is always a read.
    const int count = Count();
    if (curIndex < 0 || curIndex >= count || newIndex < 0 || newIndex >= count)
        throw rtl::EStringListError(rtl::Tr(CannotGetStateMessage));
    const int state = States(curIndex);
    if (curIndex < newIndex)
        FListView.MoveItemStates(curIndex + 1, curIndex, newIndex - curIndex);
    else
        FListView.MoveItemStates(newIndex, newIndex + 1, curIndex - newIndex);
    SetStates(newIndex, state);
}

void TListViewShell::SelectAll() {
    if (SelCount() == Count())
        return;
    TListViewUpdate update(*this);
    FListView.SelectAll();
}

void TListViewShell::ReverseSelection() {
    const int count = Count();
    if (count == 0)
        return;
    TListViewUpdate update(*this);
    for (int i = 0; i < count; ++i)
        SetSelected(i, !Selected(i));
}

void TListViewShell::ClearSelection() {
    if (SelCount() == 0)
        return;
    TListViewUpdate update(*this);
    FListView.ClearSelection();
}

void TListViewShell::MakeVisible(int index, bool partialOK) {
    if (index < 0 || index >= Count())
        throw rtl::EStringListError(rtl::Tr(CannotMakeVisibleMessage));
    FListView.EnsureVisible(index, partialOK);
}

bool TListViewShell::StateBit(int index, int bit) const {
    return (States(index) & bit) != 0;
}

void TListViewShell::SetStateBit(int index, int bit, bool value) {
    // The four bits are written together, so the others are read first; a bad index therefore
    // raises the read's message.
    const int state = States(index);
    SetStates(index, value ? (state | bit) : (state & ~bit));
}

bool TListViewShell::Cut(int index) const {
    return StateBit(index, ItemStateCut);
}
void TListViewShell::SetCut(int index, bool value) {
    SetStateBit(index, ItemStateCut, value);
}

bool TListViewShell::DropHighlighted(int index) const {
    return StateBit(index, ItemStateDropHighlighted);
}
void TListViewShell::SetDropHighlighted(int index, bool value) {
    SetStateBit(index, ItemStateDropHighlighted, value);
}

bool TListViewShell::Focused(int index) const {
    return StateBit(index, ItemStateFocused);
}
void TListViewShell::SetFocused(int index, bool value) {
    SetStateBit(index, ItemStateFocused, value);
}

bool TListViewShell::Selected(int index) const {
    return StateBit(index, ItemStateSelected);
}
void TListViewShell::SetSelected(int index, bool value) {
    SetStateBit(index, ItemStateSelected, value);
}

void TListViewShell::Invalidate() {
    FListView.Invalidate();
}
void TListViewShell::Update() {
    FListView.Update();
}
void TListViewShell::Repaint() {
    FListView.Repaint();
}
void TListViewShell::Refresh() {
    FListView.Refresh();
}
void TListViewShell::BeginUpdate() {
    FListView.BeginUpdate();
}
void TListViewShell::EndUpdate() {
    FListView.EndUpdate();
}
