// Undoable edits on 100,000 images over the in-memory list control: sort by name, reverse,
// delete of every other row, select all + delete, and the undo and redo of each; and the plan
// of a sort by keys against std::stable_sort of the same keys, measured in the same run.
// Usage: bench_edits [IMAGES]   (default 100000)
#include "App_commands.h"

#include "BenchSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::mt19937 random(7);

    TDiskImageList opened(true);
    TDiskImageListKeeper keeper(opened);
    TDiskImageList display(false);
    TMemoryListControl control;
    TListViewShell shell(control);
    TEditCommandHandlers handlers(display, shell, keeper);
    TInvoker history;
    for (int i = 0; i < count; ++i) {
        auto image = std::make_unique<TDiskImage>();
        image->SetName(RandomName(random));
        opened.Add(std::move(image));
    }
    const double openMs = Milliseconds([&] {
        auto open = handlers.NewCommand("Open", true, false);
        for (TDiskImage* image : opened)
            handlers.AddOpenStep(*open, *image);
        open->Execute();
    });

    const auto run = [&](std::unique_ptr<TMultiEditCommand> command) {
        history.Add(std::move(command));
        history.Execute();
    };
    std::printf("%d images; open %.1f ms\n", count, openMs);
    std::printf("%-22s %10s %10s %10s\n", "operation", "do ms", "undo ms", "redo ms");
    const auto row = [&](const char* name, const std::function<void()>& work) {
        const double doMs = Milliseconds(work);
        const double undoMs = Milliseconds([&] { history.Undo(); });
        const double redoMs = Milliseconds([&] { history.Redo(); });
        std::printf("%-22s %10.1f %10.1f %10.1f\n", name, doMs, undoMs, redoMs);
    };

    row("sort by name", [&] {
        // As the Sort by name command does: each name's key made once.
        auto command = handlers.NewCommand("Sort by name", false);
        const TNameSortKeys keys = NameSortKeys(display);
        std::vector<std::string_view> views;
        for (int i = 0; i < keys.Count(); ++i)
            views.push_back(keys.Key(i));
        handlers.AddReorderSteps(*command, SortPlanByKeys(views));
        run(std::move(command));
    });
    row("reverse order", [&] {
        auto command = handlers.NewCommand("Reverse order", false);
        handlers.AddReorderSteps(*command, ReversePlan(display));
        run(std::move(command));
    });
    row("delete every other row", [&] {
        shell.ClearSelection();
        for (int i = 0; i < shell.Count(); i += 2)
            shell.SetSelected(i, true);
        auto command = handlers.NewCommand("Delete", true);
        const std::vector<int> rows = shell.GetSelectedIndices();
        for (auto r = rows.rbegin(); r != rows.rend(); ++r)
            handlers.AddDeleteStep(*command, *r);
        run(std::move(command));
    });
    history.Undo();
    row("select all + delete", [&] {
        shell.SelectAll();
        auto command = handlers.NewCommand("Delete", true);
        const std::vector<int> rows = shell.GetSelectedIndices();
        for (auto r = rows.rbegin(); r != rows.rend(); ++r)
            handlers.AddDeleteStep(*command, *r);
        run(std::move(command));
    });

    // The plan against the library's stable sort of the same keys: the names' sort keys, as a
    // sort by name orders them.
    std::vector<std::string> keys;
    for (int i = 0; i < count; ++i)
        keys.push_back(NameSortKey(RandomName(random)));
    const std::vector<std::string_view> views(keys.begin(), keys.end());
    double planMs = 1e300;
    double stableMs = 1e300;
    for (int round = 0; round < 5; ++round) {
        planMs = std::min(planMs, Milliseconds([&] { SortPlanByKeys(views); }));
        std::vector<std::string> copy = keys;
        stableMs = std::min(
            stableMs, Milliseconds([&] {
                std::stable_sort(copy.begin(), copy.end(),
                                 [](const std::string& a, const std::string& b) { return a < b; });
            }));
    }
    const double keysMs = Milliseconds([&] { NameSortKeys(opened); });
    std::printf("name keys of %d images %.1f ms\n", opened.Count(), keysMs);
    std::printf("SortPlanByKeys %.1f ms, std::stable_sort %.1f ms, ratio %.2f (best of 5)\n",
                planMs, stableMs, planMs / stableMs);
    history.ClearHistory();
    return 0;
}
