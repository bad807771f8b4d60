// A general undo/redo machine. A command's work is done by handlers its creator attaches; after
// each run the command says, through its disposition, what the invoker keeps.
#pragma once

#include "Rtl_exceptions.h"
#include "Rtl_objectlist.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

RTL_DECLARE_EXCEPTION(ECommandError, rtl::Exception);

// Members of a command's disposition, a set of flags.
enum TDispositionMember : uint8_t {
    dpClearCommands = 1 << 0,     // drop the other pending commands
    dpClearUndoCommands = 1 << 1, // drop the other undo commands
    dpClearRedoCommands = 1 << 2, // drop the other redo commands
    dpKeep = 1 << 3,              // the run took effect: keep the command
    dpStay = 1 << 4,              // with dpKeep: keep it where it is
};
using TDisposition = uint8_t;

class TCommand;
// Called with the command and a Handled flag that is false on entry.
using TCommandEvent = std::function<void(TCommand& sender, bool& handled)>;

class TCommand {
public:
    TCommand() = default;
    TCommand(const TCommand&) = delete;
    TCommand& operator=(const TCommand&) = delete;
    virtual ~TCommand() = default;

    TCommandEvent OnExecute;
    TCommandEvent OnUndo;
    TCommandEvent OnRedo;
    TDisposition Disposition = 0;

    virtual bool DoExecute() { return Fire(OnExecute); }
    virtual bool DoUndo() { return Fire(OnUndo); }
    virtual bool DoRedo() { return Fire(OnRedo); }
    virtual void Execute() {
        if (!DoExecute())
            ExecuteCore();
    }
    virtual void ExecuteCore() {}
    virtual void Undo() {
        if (!DoUndo())
            UndoCore();
    }
    virtual void UndoCore() {}
    virtual void Redo() {
        if (!DoRedo())
            RedoCore();
    }
    virtual void RedoCore() {}

private:
    bool Fire(const TCommandEvent& event) {
        bool handled = false;
        if (event)
            event(*this, handled);
        return handled;
    }
};

// Opens a change operation on construction and closes it on every way out. When an exception
// is already passing, a failure of the close is dropped so that the first failure arrives.
template <typename T> class TChangeBracket {
public:
    explicit TChangeBracket(T& target) : FTarget(target), FExceptions(std::uncaught_exceptions()) {
        FTarget.BeginChange();
    }
    TChangeBracket(const TChangeBracket&) = delete;
    TChangeBracket& operator=(const TChangeBracket&) = delete;
    ~TChangeBracket() noexcept(false) {
        if (std::uncaught_exceptions() > FExceptions) {
            try {
                FTarget.EndChange();
            } catch (...) {
            }
        } else {
            FTarget.EndChange();
        }
    }

private:
    T& FTarget;
    int FExceptions;
};

class TInvoker;
using TInvokerEvent = std::function<void(TInvoker& sender)>;

class TInvoker {
public:
    TInvoker() = default;
    TInvoker(const TInvoker&) = delete;
    TInvoker& operator=(const TInvoker&) = delete;
    // Deletes the history, then the pending commands.
    virtual ~TInvoker();

    TInvokerEvent OnBeforeExecute;
    TInvokerEvent OnAfterExecute;
    TInvokerEvent OnBeforeUndo;
    TInvokerEvent OnAfterUndo;
    TInvokerEvent OnBeforeRedo;
    TInvokerEvent OnAfterRedo;
    TInvokerEvent OnChange;

    // Appends a pending command; the invoker owns it from then on.
    virtual void Add(std::unique_ptr<TCommand> command);
    virtual void ClearCommands();
    virtual void Execute();
    virtual bool CanExecute() const { return CommandCount() > 0; }
    virtual void Undo();
    virtual bool CanUndo() const { return FUndoCount > 0; }
    virtual void ClearUndo() { SetUndoCount(0); }
    virtual void Redo();
    virtual bool CanRedo() const { return RedoCount() > 0; }
    virtual void ClearRedo() { SetRedoCount(0); }
    virtual void ClearHistory() { SetHistoryCount(0); }
    virtual void SetUnmodified();
    virtual bool GetModified() const { return FModifyIndex != FUndoCount; }
    virtual void Changed();
    virtual void BeginChange() { ++FChangeCount; }
    virtual void EndChange();

    int CommandCount() const { return FCommands.Count(); }
    int UndoCount() const { return FUndoCount; }
    int RedoCount() const { return HistoryCount() - FUndoCount; }
    int HistoryCount() const { return FHistory.Count(); }
    int ModifyIndex() const { return FModifyIndex; }
    int ChangeCount() const { return FChangeCount; }
    void SetCommandCount(int count);
    void SetUndoCount(int count);
    void SetRedoCount(int count);
    void SetHistoryCount(int count);

    // Pending command i (0 = next to execute), undo command i (0 = newest), redo command i
    // (0 = next to redo). rtl::EListError outside the range.
    TCommand& Commands(int index) const { return *FCommands[index]; }
    TCommand& UndoCommands(int index) const;
    TCommand& RedoCommands(int index) const;
    TCommand& NextUndoCommand() const { return UndoCommands(0); }
    TCommand& NextRedoCommand() const { return RedoCommands(0); }

protected:
    virtual void CommitExecute();
    virtual void CommitUndo();
    virtual void CommitRedo();
    virtual void DoBeforeExecute() { Fire(OnBeforeExecute); }
    virtual void DoAfterExecute() { Fire(OnAfterExecute); }
    virtual void DoBeforeUndo() { Fire(OnBeforeUndo); }
    virtual void DoAfterUndo() { Fire(OnAfterUndo); }
    virtual void DoBeforeRedo() { Fire(OnBeforeRedo); }
    virtual void DoAfterRedo() { Fire(OnAfterRedo); }
    virtual void DoChange() { Fire(OnChange); }

private:
    void Fire(const TInvokerEvent& event) {
        if (event)
            event(*this);
    }

    rtl::TObjectList<TCommand> FCommands;
    // The first FUndoCount entries are the undo commands, oldest first; the rest are the redo
    // commands, the next to redo first.
    rtl::TObjectList<TCommand> FHistory;
    int FUndoCount = 0;
    // The undo count at which the document was last saved; -1 once that state is gone.
    int FModifyIndex = 0;
    int FChangeCount = 0;
};
