// Random edits, undo, redo and selection changes on the editing machinery, checked against the
// rules after every step; then everything undone and redone again.
#include "App_commands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <set>

namespace {

using TBytes = std::vector<uint8_t>;

TBytes BytesOf(const TDiskImage& image) {
    rtl::TMemoryStream stream;
    image.SaveToStream(stream);
    return TBytes(stream.Memory(), stream.Memory() + stream.Size());
}

// What a reader of the document sees: the images in order, each with its bytes, and the
// selected images.
struct TSnapshot {
    std::vector<const TDiskImage*> Order;
    std::vector<TBytes> Bytes;
    std::set<const TDiskImage*> Selected;
    bool operator==(const TSnapshot&) const = default;
};

// The selection the rules promise after an operation: the set of selected images and, where
// the rules fix it, the focused one.
struct TExpectedSelection {
    std::set<const TDiskImage*> Selected;
    std::optional<const TDiskImage*> Focused;
};

enum class TKind { Insert, Remove, Carry };

struct TCommandInfo {
    TKind Kind;
    // Images the command inserts when executed (Add, Duplicate) or removes (Delete), in the
    // order its steps insert them going forward; an undo of Delete inserts them in that order.
    std::vector<const TDiskImage*> Images;
};

int SeedFromEnvironment(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text != nullptr ? std::atoi(text) : fallback;
}

class TModel {
public:
    explicit TModel(uint32_t seed) : FRandom(seed) {
        for (int i = 0; i < 6; ++i)
            FOpened.Add(NewImage());
        auto open = FHandlers.NewCommand("Open", true, false);
        for (TDiskImage* image : FOpened)
            FHandlers.AddOpenStep(*open, *image);
        open->Execute();
    }
    ~TModel() { FHistory.ClearHistory(); }

    void Step() {
        const int choice = Pick(0, 99);
        if (choice < 12)
            Add(false);
        else if (choice < 18)
            Add(true);
        else if (choice < 26)
            Delete();
        else if (choice < 34)
            Sort();
        else if (choice < 38)
            Reorder("Reverse order", ReversePlan(FDisplay));
        else if (choice < 46)
            Reorder(Pick(0, 1) ? "Move up" : "Move down",
                    MovePlan(FDisplay, FShell.GetSelectedIndices(), Pick(0, 1) ? -1 : 1));
        else if (choice < 52)
            SetNames();
        else if (choice < 58)
            SetWriteProtected();
        else if (choice < 72)
            Undo();
        else if (choice < 84)
            Redo();
        else
            ChangeSelection();
        CheckInvariants();
    }

    void UndoAllAndRedoAll() {
        // The state before the first edit is the one after opening: no edit was ever dropped.
        while (FHistory.CanUndo())
            Undo();
        EXPECT_EQ(Snapshot().Order, FOpenedSnapshot.Order);
        EXPECT_EQ(Snapshot().Bytes, FOpenedSnapshot.Bytes);
        while (FHistory.CanRedo())
            Redo();
        EXPECT_EQ(Snapshot().Order, FLastEditSnapshot.Order);
        EXPECT_EQ(Snapshot().Bytes, FLastEditSnapshot.Bytes);
    }

    void Start() {
        FOpenedSnapshot = Snapshot();
        FLastEditSnapshot = FOpenedSnapshot;
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(FRandom); }

    std::unique_ptr<TDiskImage> NewImage() {
        static const int32_t Types[] = {DiskType2D, DiskType2DD, DiskType2HD};
        auto image = std::make_unique<TDiskImage>(
            TDiskFormat{Types[Pick(0, 2)], Pick(0, 2), 1, Pick(0, 3), 0});
        image->SetName(RandomName());
        if (Pick(0, 1))
            image->SetWriteProtected(WriteProtectedOn);
        return image;
    }

    std::string RandomName() {
        // Few distinct names, so that sorts meet many ties.
        static const char* const Names[] = {"", "A", "a", "B", "GAME", "game", "\x83\x5C"};
        return Names[Pick(0, 6)];
    }

    // ---- edits ------------------------------------------------------------------------------

    void Run(std::unique_ptr<TMultiEditCommand> command, TCommandInfo info) {
        TMultiEditCommand* raw = command.get();
        FHistory.Add(std::move(command));
        FHistory.Execute();
        FInfo[raw] = std::move(info);
        ApplyExpected(FInfo[raw], true);
        FLastEditSnapshot = Snapshot();
    }

    void Add(bool duplicate) {
        if (FDisplay.Count() > 60)
            return;
        auto command = FHandlers.NewCommand("Add", true);
        TCommandInfo info{TKind::Insert, {}};
        if (duplicate) {
            const std::vector<int> rows = FShell.GetSelectedIndices();
            if (rows.empty())
                return;
            for (const int row : rows) {
                auto copy = std::make_unique<TDiskImage>();
                copy->Assign(*FDisplay[row]);
                info.Images.push_back(copy.get());
                FHandlers.AddAddStep(*command, std::move(copy));
            }
            command->Name = "Duplicate";
        } else {
            for (int n = Pick(1, 3); n > 0; --n) {
                auto image = NewImage();
                info.Images.push_back(image.get());
                FHandlers.AddAddStep(*command, std::move(image));
            }
        }
        Run(std::move(command), std::move(info));
    }

    void Delete() {
        const std::vector<int> rows = FShell.GetSelectedIndices();
        if (rows.empty())
            return;
        auto command = FHandlers.NewCommand("Delete", true);
        TCommandInfo info{TKind::Remove, {}};
        for (const int row : rows)
            info.Images.push_back(FDisplay[row]);
        for (auto row = rows.rbegin(); row != rows.rend(); ++row)
            FHandlers.AddDeleteStep(*command, *row);
        Run(std::move(command), std::move(info));
    }

    void Sort() {
        static const TItemComparer<TDiskImageList> Comparers[] = {
            [](const TDiskImageList& l, int i, int j, int32_t) {
                return CompareNames(l[i]->Name(), l[j]->Name());
            },
            [](const TDiskImageList& l, int i, int j, int32_t) {
                return CompareWriteProtected(l[i]->WriteProtected(), l[j]->WriteProtected());
            },
            [](const TDiskImageList& l, int i, int j, int32_t) {
                return CompareDiskTypes(l[i]->DiskType(), l[j]->DiskType());
            },
            [](const TDiskImageList& l, int i, int j, int32_t) {
                return CompareSizes(l[i]->Size(), l[j]->Size());
            }};
        Reorder("Sort", SortPlan(FDisplay, Comparers[Pick(0, 3)], 0));
    }

    void Reorder(const std::string& name, const TExchangePlan& plan) {
        auto command = FHandlers.NewCommand(name, false);
        FHandlers.AddReorderSteps(*command, plan);
        Run(std::move(command), {TKind::Carry, {}});
    }

    void SetNames() {
        const std::vector<int> rows = FShell.GetSelectedIndices();
        if (rows.empty())
            return;
        auto command = FHandlers.NewCommand("Set name property", false);
        for (const int row : rows)
            FHandlers.AddNameStep(*command, *FDisplay[row], RandomName());
        Run(std::move(command), {TKind::Carry, {}});
    }

    void SetWriteProtected() {
        const std::vector<int> rows = FShell.GetSelectedIndices();
        if (rows.empty())
            return;
        const int mode = Pick(0, 2);
        auto command = FHandlers.NewCommand("Set write-protected property", false);
        for (const int row : rows) {
            const int32_t current = FDisplay[row]->WriteProtected();
            const int32_t value = mode == 0   ? WriteProtectedOff
                                  : mode == 1 ? WriteProtectedOn
                                              : current ^ WriteProtectedOn;
            FHandlers.AddWriteProtectedStep(*command, *FDisplay[row], value);
        }
        Run(std::move(command), {TKind::Carry, {}});
    }

    void Undo() {
        if (!FHistory.CanUndo())
            return;
        const TCommandInfo& info = FInfo.at(&FHistory.NextUndoCommand());
        FHistory.Undo();
        ApplyExpected(info, false);
    }

    void Redo() {
        if (!FHistory.CanRedo())
            return;
        const TCommandInfo& info = FInfo.at(&FHistory.NextRedoCommand());
        FHistory.Redo();
        ApplyExpected(info, true);
    }

    void ChangeSelection() {
        if (FDisplay.Count() == 0)
            return;
        switch (Pick(0, 3)) {
        case 0:
            FShell.SelectAll();
            break;
        case 1:
            FShell.ClearSelection();
            break;
        case 2:
            FShell.ReverseSelection();
            break;
        default:
            FShell.SetStates(Pick(0, FDisplay.Count() - 1), Pick(0, 3));
            break;
        }
        FExpected.Selected = SelectedImages();
        FExpected.Focused = FocusedImage();
    }

    // ---- the rules --------------------------------------------------------------------------

    void ApplyExpected(const TCommandInfo& info, bool forward) {
        const bool inserts = (info.Kind == TKind::Insert) == forward;
        if (info.Kind == TKind::Carry) {
            // Exchanges and property swaps leave the selection with the same images.
            return;
        }
        FExpected.Selected.clear();
        FExpected.Focused.reset();
        if (inserts) {
            FExpected.Selected.insert(info.Images.begin(), info.Images.end());
            // The last inserted has the focus: going forward the steps insert in order; the
            // undo of a Delete inserts ascending, which is the order recorded.
            FExpected.Focused = info.Images.back();
        }
    }

    std::set<const TDiskImage*> SelectedImages() const {
        std::set<const TDiskImage*> selected;
        for (const int row : FShell.GetSelectedIndices())
            selected.insert(FDisplay[row]);
        return selected;
    }

    const TDiskImage* FocusedImage() const {
        const int row = FControl.FocusedIndex();
        return row < 0 ? nullptr : FDisplay[row];
    }

    TSnapshot Snapshot() const {
        TSnapshot snapshot;
        for (const TDiskImage* image : FDisplay) {
            snapshot.Order.push_back(image);
            snapshot.Bytes.push_back(BytesOf(*image));
        }
        snapshot.Selected = SelectedImages();
        return snapshot;
    }

    // Every image owned once: by the opened list (which is also the keeper's store) or by one
    // grow step; every image a command refers to is alive, i.e. owned by someone.
    void CheckOwnership() const {
        std::multiset<const TDiskImage*> owned(FOpened.begin(), FOpened.end());
        std::vector<const TDiskImage*> referenced(FDisplay.begin(), FDisplay.end());
        const auto visit = [&](const TCommand& command) {
            const auto& composite = static_cast<const TMultiEditCommand&>(command);
            const TInvoker& steps = composite.Invoker;
            for (int i = 0; i < steps.HistoryCount(); ++i) {
                const TCommand& step = i < steps.UndoCount()
                                           ? steps.UndoCommands(i)
                                           : steps.RedoCommands(i - steps.UndoCount());
                if (const auto* grow = dynamic_cast<const TGrowSubCommand*>(&step)) {
                    if (grow->OwnsDiskImage())
                        owned.insert(grow->DiskImage);
                    else if (grow->DiskImage != nullptr)
                        referenced.push_back(grow->DiskImage);
                }
            }
        };
        for (int i = 0; i < FHistory.UndoCount(); ++i)
            visit(FHistory.UndoCommands(i));
        for (int i = 0; i < FHistory.RedoCount(); ++i)
            visit(FHistory.RedoCommands(i));
        for (const TDiskImage* image : owned)
            ASSERT_EQ(owned.count(image), 1u) << "an image has two owners";
        for (const TDiskImage* image : referenced)
            ASSERT_EQ(owned.count(image), 1u) << "a referenced image has no owner";
    }

    void CheckInvariants() {
        ASSERT_EQ(FDisplay.Count(), FShell.Count());
        int focused = 0;
        for (int i = 0; i < FShell.Count(); ++i)
            focused += FShell.Focused(i) ? 1 : 0;
        ASSERT_LE(focused, 1);
        ASSERT_EQ(FControl.UpdateDepth(), 0);
        ASSERT_EQ(SelectedImages(), FExpected.Selected);
        if (FExpected.Focused) {
            ASSERT_EQ(FocusedImage(), *FExpected.Focused);
        }
        FExpected.Focused = FocusedImage();
        CheckOwnership();
    }

    std::mt19937 FRandom;
    TDiskImageList FOpened{true};
    TDiskImageListKeeper FKeeper{FOpened};
    TDiskImageList FDisplay{false};
    TMemoryListControl FControl;
    TListViewShell FShell{FControl};
    TEditCommandHandlers FHandlers{FDisplay, FShell, FKeeper};
    TInvoker FHistory;
    std::map<const TCommand*, TCommandInfo> FInfo;
    TExpectedSelection FExpected;
    TSnapshot FOpenedSnapshot;
    TSnapshot FLastEditSnapshot;

public:
    void InitExpected() {
        FExpected.Selected = SelectedImages();
        FExpected.Focused = FocusedImage();
    }
};

} // namespace

// TRACKWELL_MODEL_SEED and TRACKWELL_MODEL_STEPS run other and longer sequences locally.
TEST(EditCommandsModel, RandomEditsUndoAndRedoKeepEveryRule) {
    const auto seed = static_cast<uint32_t>(SeedFromEnvironment("TRACKWELL_MODEL_SEED", 20261207));
    const int steps = SeedFromEnvironment("TRACKWELL_MODEL_STEPS", 3000);
    SCOPED_TRACE("seed " + std::to_string(seed));
    TModel model(seed);
    model.InitExpected();
    model.Start();
    for (int i = 0; i < steps; ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        model.Step();
        if (::testing::Test::HasFatalFailure() || ::testing::Test::HasNonfatalFailure())
            return;
    }
    model.UndoAllAndRedoAll();
}
