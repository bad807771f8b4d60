// The document's undoable edits: composite commands made of small reversible steps, and the
// handlers that run them on the display list of disk images and its list view.
#pragma once

#include "App_diskimages.h"
#include "Vix_commandpattern.h"
#include "Vix_lists.h"
#include "Vix_listviews.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TEditCommand : public TCommand {
public:
    std::string Name;
};

class TMultiEditCommand : public TEditCommand {
public:
    // The steps, run to the end in one direction by each execute, undo or redo.
    TInvoker Invoker;
};

// Where an added image goes when the step that owns it is destroyed while the image is still
// listed: deleting it then would leave the display list pointing at freed memory.
class TDiskImageKeeper {
public:
    virtual ~TDiskImageKeeper() = default;
    virtual void Keep(std::unique_ptr<TDiskImage> image) = 0;
};

// A keeper that adds the images to an owning list.
class TDiskImageListKeeper : public TDiskImageKeeper {
public:
    explicit TDiskImageListKeeper(TDiskImageList& store) : FStore(store) {}
    void Keep(std::unique_ptr<TDiskImage> image) override { FStore.Add(std::move(image)); }

private:
    TDiskImageList& FStore;
};

class TGrowSubCommand : public TEditCommand {
public:
    TGrowSubCommand() = default;
    ~TGrowSubCommand() override;

    int32_t Index = -1;
    // The image the step adds or removes; borrowed unless the step owns it.
    TDiskImage* DiskImage = nullptr;

    bool OwnsDiskImage() const { return FOwnedImage != nullptr; }
    // The step takes the image over; on destruction it deletes it, or hands it to keeper while
    // its insertion is in effect.
    void SetOwnedDiskImage(std::unique_ptr<TDiskImage> image, TDiskImageKeeper& keeper);
    // Whether the step's insertion is in effect: set when it lists its image, cleared when it
    // takes it out again. While it is, the image may be listed or held by a newer command.
    bool InEffect() const { return FInEffect; }
    void SetInEffect(bool value) { FInEffect = value; }

private:
    std::unique_ptr<TDiskImage> FOwnedImage;
    TDiskImageKeeper* FKeeper = nullptr;
    bool FInEffect = false;
};

class TReorderSubCommand : public TEditCommand {
public:
    int32_t Index1 = -1;
    int32_t Index2 = -1;
};

class TSetNamePropertySubCommand : public TEditCommand {
public:
    TDiskImage* DiskImage = nullptr;
    // The name the image does not hold now; every run swaps the two.
    std::string NameValue;
};

class TSetWriteProtectedPropertySubCommand : public TEditCommand {
public:
    TDiskImage* DiskImage = nullptr;
    // The value the image does not hold now; every run swaps the two.
    int32_t WriteProtected = -1;
};

class TSetContentsSubCommand : public TEditCommand {
public:
    TDiskImage* DiskImage = nullptr;
    // The bytes the image does not hold now; every run exchanges the two.
    std::unique_ptr<TDiskImage> Contents;
};

// The handlers of the edit commands and the builders that attach them. Bound to the document's
// display list (which owns nothing) and its list view; the file handler owns one.
class TEditCommandHandlers {
public:
    TEditCommandHandlers(TDiskImageList& diskImages, TListViewShell& listViewShell,
                         TDiskImageKeeper& keeper)
        : FDiskImages(diskImages), FListViewShell(listViewShell), FKeeper(keeper) {}
    TEditCommandHandlers(const TEditCommandHandlers&) = delete;
    TEditCommandHandlers& operator=(const TEditCommandHandlers&) = delete;

    // Composite handlers: run the steps to the end forward, back or again.
    void RunStepsForward(TCommand& sender, bool& handled);
    void RunStepsBack(TCommand& sender, bool& handled);
    void RunStepsAgain(TCommand& sender, bool& handled);
    // The same with the selection cleared first, so that afterwards exactly the images the
    // command inserted are selected.
    void RunStepsForwardClearingSelection(TCommand& sender, bool& handled);
    void RunStepsBackClearingSelection(TCommand& sender, bool& handled);
    void RunStepsAgainClearingSelection(TCommand& sender, bool& handled);

    // Step kinds.
    void AppendStep(TCommand& sender, bool& handled);
    void InsertStep(TCommand& sender, bool& handled);
    void RemoveStep(TCommand& sender, bool& handled);
    void ExchangeStep(TCommand& sender, bool& handled);
    void NameSetStep(TCommand& sender, bool& handled);
    void NameSwapStep(TCommand& sender, bool& handled);
    void WriteProtectSwapStep(TCommand& sender, bool& handled);
    void ContentsSwapStep(TCommand& sender, bool& handled);

    // Builders. A composite command is named and given its handlers; the steps are queued in
    // the order in which they run.
    std::unique_ptr<TMultiEditCommand> NewCommand(const std::string& name, bool clearingSelection,
                                                  bool undoable = true);
    // "Open": shows an image the caller keeps owning; execute only.
    void AddOpenStep(TMultiEditCommand& command, TDiskImage& image);
    // "Add" and "Duplicate": the step owns the new image.
    void AddAddStep(TMultiEditCommand& command, std::unique_ptr<TDiskImage> image);
    // "Delete": queue rows in descending order.
    void AddDeleteStep(TMultiEditCommand& command, int row);
    void AddReorderSteps(TMultiEditCommand& command, const TExchangePlan& plan);
    void AddNameStep(TMultiEditCommand& command, TDiskImage& image, const std::string& name);
    void AddWriteProtectedStep(TMultiEditCommand& command, TDiskImage& image, int32_t value);
    // A change of the files on the disk: image takes the bytes of contents.
    void AddContentsStep(TMultiEditCommand& command, TDiskImage& image,
                         std::unique_ptr<TDiskImage> contents);

private:
    void SwapName(TCommand& sender, bool& handled, bool restoring);
    using THandler = void (TEditCommandHandlers::*)(TCommand&, bool&);
    // The handler is part of the type, so the event holds no more than this pointer and fits in
    // the event's own storage: a plan of a million steps allocates no handlers.
    template <THandler Handler> TCommandEvent Bind() {
        return [this](TCommand& sender, bool& handled) { (this->*Handler)(sender, handled); };
    }
    void RunSteps(TCommand& sender, bool& handled, bool (TInvoker::*can)() const,
                  void (TInvoker::*run)(), TDisposition failed);
    // A run of removals at descending rows, or of insertions at ascending rows, is gathered as
    // its steps run and carried out in one pass over the list and the list view when a step of
    // another kind or order comes, and when the command's steps end: the steps stay the record
    // of what happened, only their work is done together. A run of exchanges is gathered too:
    // applied in one tight loop, the rows they touch are fetched from memory side by side
    // instead of one step's call after another.
    void QueueRemoval(TGrowSubCommand& step);
    void QueueInsertion(TGrowSubCommand& step);
    void QueueExchange(const TReorderSubCommand& step);
    void FlushBatch();
    void RunStepsClearingSelection(TCommand& sender, bool& handled, THandler inner);
    void ListAt(TGrowSubCommand& step, int index);

    TDiskImageList& FDiskImages;
    TListViewShell& FListViewShell;
    TDiskImageKeeper& FKeeper;
    enum class TBatch { None, Removal, Insertion, Exchange };
    TBatch FBatch = TBatch::None;
    std::vector<int> FBatchRows;
    std::vector<TDiskImage*> FBatchImages;
    TExchangePlan FBatchExchanges;
};
