#include "App_commands.h"

#include "Rtl_convert.h"
#include "Rtl_texts.h"

#include <algorithm>
#include <utility>

TGrowSubCommand::~TGrowSubCommand() {
    if (FOwnedImage && FInEffect)
        FKeeper->Keep(std::move(FOwnedImage));
}

void TGrowSubCommand::SetOwnedDiskImage(std::unique_ptr<TDiskImage> image,
                                        TDiskImageKeeper& keeper) {
    DiskImage = image.get();
    FOwnedImage = std::move(image);
    FKeeper = &keeper;
}

// ---------------------------------------------------------------------------------------------
// Composite handlers

void TEditCommandHandlers::RunSteps(TCommand& sender, bool& handled, bool (TInvoker::*can)() const,
                                    void (TInvoker::*run)(), TDisposition failed) {
    handled = true;
    auto& command = static_cast<TMultiEditCommand&>(sender);
    TListViewUpdate update(FListViewShell);
    try {
        while ((command.Invoker.*can)())
            (command.Invoker.*run)();
        FlushBatch();
    } catch (...) {
        // The steps that ran before the failure took effect, as they would have one by one.
        try {
            FlushBatch();
        } catch (...) {
        }
        // Kept although it ran only in part: the steps that did run can still be reverted or
        // repeated from where the private invoker holds them.
        command.Disposition = failed;
        throw;
    }
    command.Disposition = dpKeep;
}

void TEditCommandHandlers::RunStepsForward(TCommand& sender, bool& handled) {
    RunSteps(sender, handled, &TInvoker::CanExecute, &TInvoker::Execute, dpClearCommands | dpKeep);
}

void TEditCommandHandlers::RunStepsBack(TCommand& sender, bool& handled) {
    RunSteps(sender, handled, &TInvoker::CanUndo, &TInvoker::Undo, dpClearUndoCommands | dpKeep);
}

void TEditCommandHandlers::RunStepsAgain(TCommand& sender, bool& handled) {
    RunSteps(sender, handled, &TInvoker::CanRedo, &TInvoker::Redo, dpClearRedoCommands | dpKeep);
}

void TEditCommandHandlers::RunStepsClearingSelection(TCommand& sender, bool& handled,
                                                     THandler inner) {
    TListViewUpdate update(FListViewShell);
    FListViewShell.ClearSelection();
    (this->*inner)(sender, handled);
}

void TEditCommandHandlers::RunStepsForwardClearingSelection(TCommand& sender, bool& handled) {
    RunStepsClearingSelection(sender, handled, &TEditCommandHandlers::RunStepsForward);
}

void TEditCommandHandlers::RunStepsBackClearingSelection(TCommand& sender, bool& handled) {
    RunStepsClearingSelection(sender, handled, &TEditCommandHandlers::RunStepsBack);
}

void TEditCommandHandlers::RunStepsAgainClearingSelection(TCommand& sender, bool& handled) {
    RunStepsClearingSelection(sender, handled, &TEditCommandHandlers::RunStepsAgain);
}

// ---------------------------------------------------------------------------------------------
// Step kinds

void TEditCommandHandlers::ListAt(TGrowSubCommand& step, int index) {
    step.SetInEffect(true);
    FListViewShell.Insert(index);
    FListViewShell.SetStates(index, ItemStateFocused | ItemStateSelected);
}

void TEditCommandHandlers::QueueRemoval(TGrowSubCommand& step) {
    if (FBatch != TBatch::Removal || step.Index >= FBatchRows.back())
        FlushBatch();
    if (step.Index < 0 || step.Index >= FDiskImages.Count())
        throw rtl::EListError(rtl::Format(rtl::Tr("List index out of bounds (%d)"), step.Index));
    // Nothing below the rows queued so far has moved yet, so the row still names its image.
    step.DiskImage = FDiskImages[step.Index];
    FBatch = TBatch::Removal;
    FBatchRows.push_back(step.Index);
}

void TEditCommandHandlers::QueueInsertion(TGrowSubCommand& step) {
    if (FBatch != TBatch::Insertion || step.Index <= FBatchRows.back())
        FlushBatch();
    if (step.Index < 0 || step.Index > FDiskImages.Count() + static_cast<int>(FBatchRows.size()))
        throw rtl::EListError(rtl::Format(rtl::Tr("List index out of bounds (%d)"), step.Index));
    FBatch = TBatch::Insertion;
    FBatchRows.push_back(step.Index);
    FBatchImages.push_back(step.DiskImage);
}

void TEditCommandHandlers::QueueExchange(const TReorderSubCommand& step) {
    if (FBatch != TBatch::Exchange)
        FlushBatch();
    // Checked as the list checks an exchange, so that a bad step fails before anything of it
    // is done and the steps queued before it still take effect.
    for (const int index : {step.Index1, step.Index2})
        if (index < 0 || index >= FDiskImages.Count())
            throw rtl::EListError(rtl::Format(rtl::Tr("List index out of bounds (%d)"), index));
    FBatch = TBatch::Exchange;
    FBatchExchanges.push_back({step.Index1, step.Index2});
}

void TEditCommandHandlers::FlushBatch() {
    const TBatch batch = std::exchange(FBatch, TBatch::None);
    std::vector<int> rows = std::move(FBatchRows);
    std::vector<TDiskImage*> images = std::move(FBatchImages);
    TExchangePlan exchanges = std::move(FBatchExchanges);
    FBatchRows.clear();
    FBatchImages.clear();
    FBatchExchanges.clear();
    if (batch == TBatch::Exchange) {
        for (const TExchange& exchange : exchanges)
            FDiskImages.Exchange(exchange.Index1, exchange.Index2);
        FListViewShell.ExchangeRows(exchanges);
    } else if (batch == TBatch::Removal) {
        std::reverse(rows.begin(), rows.end());
        FDiskImages.ExtractSorted(rows);
        FListViewShell.DeleteRows(rows);
    } else if (batch == TBatch::Insertion) {
        FDiskImages.InsertSorted(rows, images);
        FListViewShell.InsertRows(rows, ItemStateFocused | ItemStateSelected);
    }
}

void TEditCommandHandlers::AppendStep(TCommand& sender, bool& handled) {
    FlushBatch();
    handled = true;
    auto& step = static_cast<TGrowSubCommand&>(sender);
    step.Index = FDiskImages.Add(step.DiskImage);
    ListAt(step, step.Index);
    step.Disposition = dpKeep;
}

void TEditCommandHandlers::InsertStep(TCommand& sender, bool& handled) {
    handled = true;
    auto& step = static_cast<TGrowSubCommand&>(sender);
    QueueInsertion(step);
    step.SetInEffect(true);
    step.Disposition = dpKeep;
}

void TEditCommandHandlers::RemoveStep(TCommand& sender, bool& handled) {
    handled = true;
    auto& step = static_cast<TGrowSubCommand&>(sender);
    QueueRemoval(step);
    step.SetInEffect(false);
    step.Disposition = dpKeep;
}

void TEditCommandHandlers::ExchangeStep(TCommand& sender, bool& handled) {
    handled = true;
    auto& step = static_cast<TReorderSubCommand&>(sender);
    QueueExchange(step);
    step.Disposition = dpKeep;
}

void TEditCommandHandlers::NameSetStep(TCommand& sender, bool& handled) {
    SwapName(sender, handled, false);
}

void TEditCommandHandlers::NameSwapStep(TCommand& sender, bool& handled) {
    SwapName(sender, handled, true);
}

void TEditCommandHandlers::SwapName(TCommand& sender, bool& handled, bool restoring) {
    FlushBatch();
    handled = true;
    auto& step = static_cast<TSetNamePropertySubCommand&>(sender);
    std::string old = step.DiskImage->Name();
    // Undo puts back a name loaded from another program's file, which may fill the header's
    // whole field and so be longer than any name a user may give.
    if (restoring)
        step.DiskImage->RestoreName(step.NameValue);
    else
        step.DiskImage->SetName(step.NameValue);
    step.NameValue = std::move(old);
    step.Disposition = dpKeep;
}

void TEditCommandHandlers::WriteProtectSwapStep(TCommand& sender, bool& handled) {
    FlushBatch();
    handled = true;
    auto& step = static_cast<TSetWriteProtectedPropertySubCommand&>(sender);
    const int32_t old = step.DiskImage->WriteProtected();
    step.DiskImage->SetWriteProtected(step.WriteProtected);
    step.WriteProtected = old;
    step.Disposition = dpKeep;
}

void TEditCommandHandlers::ContentsSwapStep(TCommand& sender, bool& handled) {
    FlushBatch();
    handled = true;
    auto& step = static_cast<TSetContentsSubCommand&>(sender);
    step.DiskImage->ExchangeContents(*step.Contents);
    step.Disposition = dpKeep;
}

// ---------------------------------------------------------------------------------------------
// Builders

std::unique_ptr<TMultiEditCommand>
TEditCommandHandlers::NewCommand(const std::string& name, bool clearingSelection, bool undoable) {
    auto command = std::make_unique<TMultiEditCommand>();
    command->Name = name;
    if (clearingSelection) {
        command->OnExecute = Bind<&TEditCommandHandlers::RunStepsForwardClearingSelection>();
        if (undoable) {
            command->OnUndo = Bind<&TEditCommandHandlers::RunStepsBackClearingSelection>();
            command->OnRedo = Bind<&TEditCommandHandlers::RunStepsAgainClearingSelection>();
        }
    } else {
        command->OnExecute = Bind<&TEditCommandHandlers::RunStepsForward>();
        if (undoable) {
            command->OnUndo = Bind<&TEditCommandHandlers::RunStepsBack>();
            command->OnRedo = Bind<&TEditCommandHandlers::RunStepsAgain>();
        }
    }
    return command;
}

void TEditCommandHandlers::AddOpenStep(TMultiEditCommand& command, TDiskImage& image) {
    auto step = std::make_unique<TGrowSubCommand>();
    step->DiskImage = &image;
    step->OnExecute = Bind<&TEditCommandHandlers::AppendStep>();
    command.Invoker.Add(std::move(step));
}

void TEditCommandHandlers::AddAddStep(TMultiEditCommand& command,
                                      std::unique_ptr<TDiskImage> image) {
    auto step = std::make_unique<TGrowSubCommand>();
    step->SetOwnedDiskImage(std::move(image), FKeeper);
    step->OnExecute = Bind<&TEditCommandHandlers::AppendStep>();
    step->OnUndo = Bind<&TEditCommandHandlers::RemoveStep>();
    step->OnRedo = Bind<&TEditCommandHandlers::InsertStep>();
    command.Invoker.Add(std::move(step));
}

void TEditCommandHandlers::AddDeleteStep(TMultiEditCommand& command, int row) {
    auto step = std::make_unique<TGrowSubCommand>();
    step->Index = row;
    step->OnExecute = Bind<&TEditCommandHandlers::RemoveStep>();
    step->OnUndo = Bind<&TEditCommandHandlers::InsertStep>();
    step->OnRedo = Bind<&TEditCommandHandlers::RemoveStep>();
    command.Invoker.Add(std::move(step));
}

void TEditCommandHandlers::AddReorderSteps(TMultiEditCommand& command, const TExchangePlan& plan) {
    for (const TExchange& exchange : plan) {
        auto step = std::make_unique<TReorderSubCommand>();
        step->Index1 = exchange.Index1;
        step->Index2 = exchange.Index2;
        step->OnExecute = step->OnUndo = step->OnRedo = Bind<&TEditCommandHandlers::ExchangeStep>();
        command.Invoker.Add(std::move(step));
    }
}

void TEditCommandHandlers::AddNameStep(TMultiEditCommand& command, TDiskImage& image,
                                       const std::string& name) {
    auto step = std::make_unique<TSetNamePropertySubCommand>();
    step->DiskImage = &image;
    step->NameValue = name;
    step->OnExecute = Bind<&TEditCommandHandlers::NameSetStep>();
    step->OnUndo = step->OnRedo = Bind<&TEditCommandHandlers::NameSwapStep>();
    command.Invoker.Add(std::move(step));
}

void TEditCommandHandlers::AddWriteProtectedStep(TMultiEditCommand& command, TDiskImage& image,
                                                 int32_t value) {
    auto step = std::make_unique<TSetWriteProtectedPropertySubCommand>();
    step->DiskImage = &image;
    step->WriteProtected = value;
    step->OnExecute = step->OnUndo = step->OnRedo =
        Bind<&TEditCommandHandlers::WriteProtectSwapStep>();
    command.Invoker.Add(std::move(step));
}

void TEditCommandHandlers::AddContentsStep(TMultiEditCommand& command, TDiskImage& image,
                                           std::unique_ptr<TDiskImage> contents) {
    auto step = std::make_unique<TSetContentsSubCommand>();
    step->DiskImage = &image;
    step->Contents = std::move(contents);
    step->OnExecute = step->OnUndo = step->OnRedo = Bind<&TEditCommandHandlers::ContentsSwapStep>();
    command.Invoker.Add(std::move(step));
}
