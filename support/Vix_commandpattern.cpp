#include "Vix_commandpattern.h"

#include "Rtl_texts.h"

using TBracket = TChangeBracket<TInvoker>;

TInvoker::~TInvoker() {
    FHistory.Clear();
    FCommands.Clear();
}

void TInvoker::Add(std::unique_ptr<TCommand> command) {
    if (!command)
        throw ECommandError(rtl::Tr("The program cannot add the command."));
    TBracket bracket(*this);
    FCommands.Add(std::move(command));
}

void TInvoker::ClearCommands() {
    TBracket bracket(*this);
    FCommands.Clear();
}

void TInvoker::Execute() {
    if (!CanExecute())
        throw ECommandError(rtl::Tr("The program cannot execute any commands."));
    TBracket bracket(*this);
    TCommand& command = Commands(0);
    command.Disposition = dpClearCommands;
    DoBeforeExecute();
    try {
        command.Execute();
    } catch (...) {
        DoAfterExecute();
        CommitExecute();
        throw;
    }
    DoAfterExecute();
    CommitExecute();
}

void TInvoker::Undo() {
    if (!CanUndo())
        throw ECommandError(rtl::Tr("The program cannot undo any commands."));
    TBracket bracket(*this);
    TCommand& command = NextUndoCommand();
    command.Disposition = dpClearUndoCommands;
    DoBeforeUndo();
    try {
        command.Undo();
    } catch (...) {
        DoAfterUndo();
        CommitUndo();
        throw;
    }
    DoAfterUndo();
    CommitUndo();
}

void TInvoker::Redo() {
    if (!CanRedo())
        throw ECommandError(rtl::Tr("The program cannot redo any commands."));
    TBracket bracket(*this);
    TCommand& command = NextRedoCommand();
    command.Disposition = dpClearRedoCommands;
    DoBeforeRedo();
    try {
        command.Redo();
    } catch (...) {
        DoAfterRedo();
        CommitRedo();
        throw;
    }
    DoAfterRedo();
    CommitRedo();
}

void TInvoker::CommitExecute() {
    TBracket bracket(*this);
    TCommand* command = FCommands[0];
    const TDisposition disposition = command->Disposition;
    if (disposition & dpClearCommands)
        SetCommandCount(1);
    if (disposition & dpClearUndoCommands)
        ClearUndo();
    if (disposition & dpClearRedoCommands)
        ClearRedo();
    if (disposition & dpKeep) {
        if (!(disposition & dpStay)) {
            // A new command always ends the redo side.
            ClearRedo();
            // Into the history first: when that cannot grow, the command is still pending and
            // owned once; the removal from the front of the queue cannot fail.
            FHistory.Add(command);
            FCommands.ExtractAt(0);
            ++FUndoCount;
        }
    } else {
        FCommands.Delete(0);
    }
}

void TInvoker::CommitUndo() {
    TBracket bracket(*this);
    const TDisposition disposition = NextUndoCommand().Disposition;
    if (disposition & dpClearCommands)
        ClearCommands();
    if (disposition & dpClearUndoCommands)
        SetUndoCount(1);
    if (disposition & dpClearRedoCommands)
        ClearRedo();
    if (disposition & dpKeep) {
        if (!(disposition & dpStay))
            --FUndoCount;
    } else {
        if (FModifyIndex == FUndoCount - 1)
            FModifyIndex = -1;
        FHistory.Delete(FUndoCount - 1);
        --FUndoCount;
    }
}

void TInvoker::CommitRedo() {
    TBracket bracket(*this);
    const TDisposition disposition = NextRedoCommand().Disposition;
    if (disposition & dpClearCommands)
        ClearCommands();
    if (disposition & dpClearUndoCommands)
        ClearUndo();
    if (disposition & dpClearRedoCommands)
        SetRedoCount(1);
    if (disposition & dpKeep) {
        if (!(disposition & dpStay))
            ++FUndoCount;
    } else {
        if (FModifyIndex == FUndoCount)
            FModifyIndex = -1;
        FHistory.Delete(FUndoCount);
    }
}

void TInvoker::SetCommandCount(int count) {
    if (count < 0 || count > CommandCount())
        throw ECommandError(rtl::Tr("The program cannot set the number of the commands."));
    if (count == CommandCount())
        return;
    TBracket bracket(*this);
    FCommands.DeleteRange(count, CommandCount() - count);
}

void TInvoker::SetUndoCount(int count) {
    if (count < 0 || count > FUndoCount)
        throw ECommandError(rtl::Tr("The program cannot set the number of the undo commands."));
    TBracket bracket(*this);
    const int dropped = FUndoCount - count;
    FUndoCount -= dropped;
    FModifyIndex = FModifyIndex < dropped ? -1 : FModifyIndex - dropped;
    FHistory.DeleteRange(0, dropped);
}

void TInvoker::SetRedoCount(int count) {
    TBracket bracket(*this);
    if (count < 0 || count > RedoCount())
        throw ECommandError(rtl::Tr("The program cannot set the number of the redo commands."));
    const int kept = HistoryCount() + count - RedoCount();
    if (kept < FModifyIndex)
        FModifyIndex = -1;
    FHistory.DeleteRange(kept, HistoryCount() - kept);
}

void TInvoker::SetHistoryCount(int count) {
    if (count < 0 || count > HistoryCount())
        throw ECommandError(rtl::Tr("The program cannot set the number of the history commands."));
    if (count == HistoryCount())
        return;
    TBracket bracket(*this);
    if (RedoCount() < HistoryCount() - count) {
        SetRedoCount(0);
        SetUndoCount(count);
    } else {
        SetRedoCount(RedoCount() + count - HistoryCount());
    }
}

void TInvoker::SetUnmodified() {
    if (FModifyIndex == FUndoCount)
        return;
    TBracket bracket(*this);
    FModifyIndex = FUndoCount;
}

void TInvoker::Changed() {
    if (FChangeCount == 0)
        DoChange();
}

void TInvoker::EndChange() {
    if (FChangeCount == 0)
        throw ECommandError(rtl::Tr("The program cannot end the change operation."));
    --FChangeCount;
    Changed();
}

TCommand& TInvoker::UndoCommands(int index) const {
    if (index < 0 || index >= FUndoCount)
        throw rtl::EListError(rtl::Format(rtl::Tr("List index out of bounds (%d)"), index));
    return *FHistory[FUndoCount - 1 - index];
}

TCommand& TInvoker::RedoCommands(int index) const {
    if (index < 0 || index >= RedoCount())
        throw rtl::EListError(rtl::Format(rtl::Tr("List index out of bounds (%d)"), index));
    return *FHistory[FUndoCount + index];
}
