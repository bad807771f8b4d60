#include "App_commands.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// A document's worth of editing machinery over the in-memory list control, as the file
// handler holds it: the opened images (also the keeper's store), the display list, the list
// view and the history.
struct TDocument {
    TDiskImageList Opened{true};
    TDiskImageListKeeper Keeper{Opened};
    TDiskImageList Display{false};
    TMemoryListControl Control;
    TListViewShell Shell{Control};
    TEditCommandHandlers Handlers{Display, Shell, Keeper};
    TInvoker History;

    explicit TDocument(const std::vector<std::string>& names) {
        for (const std::string& name : names) {
            auto image = std::make_unique<TDiskImage>();
            image->SetName(name);
            Opened.Add(std::move(image));
        }
        auto open = Handlers.NewCommand("Open", true, false);
        for (TDiskImage* image : Opened)
            Handlers.AddOpenStep(*open, *image);
        open->Execute();
    }
    ~TDocument() {
        // As the file handler does: history first, while the keeper's store still stands.
        History.ClearHistory();
    }

    void Run(std::unique_ptr<TMultiEditCommand> command) {
        History.Add(std::move(command));
        History.Execute();
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const TDiskImage* image : Display)
            names.push_back(image->Name());
        return names;
    }
    std::vector<int> Selected() const { return Shell.GetSelectedIndices(); }
};

std::unique_ptr<TDiskImage> Named(const std::string& name) {
    auto image = std::make_unique<TDiskImage>();
    image->SetName(name);
    return image;
}

using Names = std::vector<std::string>;

} // namespace

TEST(EditCommands, OpenSelectsEveryRowAndFocusesTheLast) {
    TDocument doc({"A", "B", "C"});
    EXPECT_EQ(doc.Names(), (Names{"A", "B", "C"}));
    EXPECT_EQ(doc.Selected(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(doc.Control.FocusedIndex(), 2);
    EXPECT_EQ(doc.Control.UpdateDepth(), 0);
}

TEST(EditCommands, AddedImagesAreSelectedAndUndoRedoPutThemBackInPlace) {
    TDocument doc({"A", "B", "C"});
    auto add = doc.Handlers.NewCommand("Add", true);
    doc.Handlers.AddAddStep(*add, Named("D"));
    doc.Handlers.AddAddStep(*add, Named("E"));
    doc.Run(std::move(add));
    EXPECT_EQ(doc.Names(), (Names{"A", "B", "C", "D", "E"}));
    EXPECT_EQ(doc.Selected(), (std::vector<int>{3, 4}));
    EXPECT_EQ(doc.Control.FocusedIndex(), 4);

    doc.History.Undo();
    EXPECT_EQ(doc.Names(), (Names{"A", "B", "C"}));
    EXPECT_TRUE(doc.Selected().empty());
    doc.History.Redo();
    EXPECT_EQ(doc.Names(), (Names{"A", "B", "C", "D", "E"}));
    EXPECT_EQ(doc.Selected(), (std::vector<int>{3, 4}));
    EXPECT_EQ(doc.Control.FocusedIndex(), 4);
    EXPECT_EQ(doc.Control.UpdateDepth(), 0);
}

TEST(EditCommands, DeleteRemovesDescendingAndUndoRestoresTheOrder) {
    TDocument doc({"A", "B", "C", "D", "E"});
    auto del = doc.Handlers.NewCommand("Delete", true);
    doc.Handlers.AddDeleteStep(*del, 3);
    doc.Handlers.AddDeleteStep(*del, 1);
    doc.Run(std::move(del));
    EXPECT_EQ(doc.Names(), (Names{"A", "C", "E"}));
    EXPECT_TRUE(doc.Selected().empty());
    doc.History.Undo();
    EXPECT_EQ(doc.Names(), (Names{"A", "B", "C", "D", "E"}));
    EXPECT_EQ(doc.Selected(), (std::vector<int>{1, 3}));
    EXPECT_EQ(doc.Control.FocusedIndex(), 3);
    doc.History.Redo();
    EXPECT_EQ(doc.Names(), (Names{"A", "C", "E"}));
}

TEST(EditCommands, ReorderCarriesTheSelectionAndUndoRestoresEqualEntriesExactly) {
    TDocument doc({"b", "a", "b", "a"});
    TDiskImage* firstB = doc.Display[0];
    doc.Shell.ClearSelection();
    doc.Shell.SetStates(0, ItemStateSelected | ItemStateFocused);
    auto sort = doc.Handlers.NewCommand("Sort by name", false);
    doc.Handlers.AddReorderSteps(*sort, SortPlan(
                                            doc.Display,
                                            +[](const TDiskImageList& list, int i, int j, int32_t) {
                                                return CompareNames(list[i]->Name(),
                                                                    list[j]->Name());
                                            },
                                            0));
    const std::vector<TDiskImage*> before(doc.Display.begin(), doc.Display.end());
    doc.Run(std::move(sort));
    EXPECT_EQ(doc.Names(), (Names{"a", "a", "b", "b"}));
    EXPECT_EQ(doc.Display[2], firstB);
    EXPECT_EQ(doc.Selected(), std::vector<int>{2});
    EXPECT_EQ(doc.Control.FocusedIndex(), 2);
    doc.History.Undo();
    EXPECT_EQ(std::vector<TDiskImage*>(doc.Display.begin(), doc.Display.end()), before);
    EXPECT_EQ(doc.Selected(), std::vector<int>{0});
}

TEST(EditCommands, NameAndWriteProtectSwapsRestoreTheOldValues) {
    TDocument doc({"A", "B", "C"});
    auto names = doc.Handlers.NewCommand("Set name property", false);
    for (int i = 0; i < 3; ++i)
        doc.Handlers.AddNameStep(*names, *doc.Display[i], "NEW" + std::to_string(i));
    doc.Run(std::move(names));
    EXPECT_EQ(doc.Names(), (Names{"NEW0", "NEW1", "NEW2"}));
    auto protect = doc.Handlers.NewCommand("Set write-protected property", false);
    doc.Handlers.AddWriteProtectedStep(*protect, *doc.Display[1], WriteProtectedOn);
    doc.Run(std::move(protect));
    EXPECT_EQ(doc.Display[1]->WriteProtected(), WriteProtectedOn);
    doc.History.Undo();
    EXPECT_EQ(doc.Display[1]->WriteProtected(), WriteProtectedOff);
    doc.History.Undo();
    EXPECT_EQ(doc.Names(), (Names{"A", "B", "C"}));
    doc.History.Redo();
    EXPECT_EQ(doc.Names(), (Names{"NEW0", "NEW1", "NEW2"}));
    EXPECT_EQ(doc.Selected(), (std::vector<int>{0, 1, 2}));
}

TEST(EditCommands, ACompositeWhoseSecondStepFailsKeepsTheFirstAndUndoesOnlyIt) {
    TDocument doc({"A", "B", "C"});
    auto names = doc.Handlers.NewCommand("Set name property", false);
    doc.Handlers.AddNameStep(*names, *doc.Display[0], "FIRST");
    doc.Handlers.AddNameStep(*names, *doc.Display[1], "SEVENTEEN-LETTERS");
    doc.Handlers.AddNameStep(*names, *doc.Display[2], "THIRD");
    doc.History.Add(std::move(names));
    EXPECT_EQ(testsupport::MessageOf<EDiskImageError>([&] { doc.History.Execute(); }),
              "The program cannot set the name property of a disk image.");
    EXPECT_EQ(doc.Names(), (Names{"FIRST", "B", "C"}));
    EXPECT_EQ(doc.Control.UpdateDepth(), 0);
    ASSERT_EQ(doc.History.UndoCount(), 1);
    auto& kept = static_cast<TMultiEditCommand&>(doc.History.NextUndoCommand());
    EXPECT_EQ(kept.Invoker.UndoCount(), 1);
    EXPECT_EQ(kept.Invoker.CommandCount(), 0);
    doc.History.Undo();
    EXPECT_EQ(doc.Names(), (Names{"A", "B", "C"}));
    doc.History.Redo();
    EXPECT_EQ(doc.Names(), (Names{"FIRST", "B", "C"}));
}

TEST(EditCommands, AnAddDroppedAfterAFailedUndoHandsItsListedImagesToTheKeeper) {
    TDocument doc({"A"});
    auto add = doc.Handlers.NewCommand("Add", true);
    doc.Handlers.AddAddStep(*add, Named("ADDED"));
    doc.Run(std::move(add));
    TDiskImage* added = doc.Display[1];

    // A rename whose undo fails: the name it would restore fits not even the whole field.
    auto names = doc.Handlers.NewCommand("Set name property", false);
    doc.Handlers.AddNameStep(*names, *doc.Display[0], "B");
    doc.Run(std::move(names));
    auto& rename = static_cast<TMultiEditCommand&>(doc.History.NextUndoCommand());
    static_cast<TSetNamePropertySubCommand&>(rename.Invoker.UndoCommands(0)).NameValue =
        "EIGHTEEN-LETTERS!!";

    EXPECT_THROW(doc.History.Undo(), EDiskImageError);
    // The failed undo dropped the older "Add"; its image is still listed and now belongs to
    // the keeper's store instead of being freed under the list.
    EXPECT_EQ(doc.History.UndoCount(), 0);
    ASSERT_EQ(doc.Display.Count(), 2);
    EXPECT_EQ(doc.Display[1], added);
    EXPECT_EQ(doc.Opened.Count(), 2);
    EXPECT_EQ(doc.Opened.IndexOf(added), 1);
    EXPECT_EQ(added->Name(), "ADDED");
}

TEST(EditCommands, AnAddDroppedFromTheRedoSideDeletesItsImages) {
    TDocument doc({"A"});
    auto add = doc.Handlers.NewCommand("Add", true);
    doc.Handlers.AddAddStep(*add, Named("GONE"));
    doc.Run(std::move(add));
    doc.History.Undo();
    auto names = doc.Handlers.NewCommand("Set name property", false);
    doc.Handlers.AddNameStep(*names, *doc.Display[0], "B");
    doc.Run(std::move(names));
    EXPECT_EQ(doc.History.RedoCount(), 0);
    // Nothing was handed over: the image was freed with its command (the sanitizer build
    // reports a leak otherwise).
    EXPECT_EQ(doc.Opened.Count(), 1);
}
