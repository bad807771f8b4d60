// The editor's commands through the real window (Qt's offscreen platform) against the same
// commands on the in-memory list control, in the same run: each time includes the refresh of
// every command and one painted frame of the list. With a container path, opening that file up
// to the first painted frame is measured the same way.
// Usage: bench_window [IMAGES...] [--open FILE]   (default 10000 100000)
#include "App_mainform.h"
#include "BenchSupport.h"
#include "Rtl_paths.h"
#include "Vix_listviews_qt.h"

#include <QApplication>
#include <QTableView>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <unistd.h>

namespace {

// The two documents side by side: one in the window, one over the in-memory control.
class Pair {
public:
    explicit Pair(const std::string& folder)
        : Window([&] {
              TAppMainForm::TOptions options;
              options.SettingsFileName = folder + "/Settings.ini";
              return options;
          }()),
          Shell(Control), Memory(&Shell, Ui) {
        Window.show();
        Frame();
    }

    // What the user waits for: the queued refresh of every command and the list drawn again.
    void Frame() {
        QCoreApplication::processEvents();
        Window.ListView().viewport()->repaint();
    }

    using TStep = std::function<void(TFileHandler&, TListViewShell&)>;

    // Each step as the user sees it in the window: the command, the refresh and a frame.
    void Measure(const char* name, const std::vector<TStep>& steps) {
        double qt = 0;
        for (const TStep& step : steps) {
            const double opMs =
                Milliseconds([&] { step(Window.FileHandler(), Window.ListViewShell()); });
            const double frameMs = Milliseconds([&] { Frame(); });
            qt += opMs + frameMs;
            if (std::getenv("BENCH_SPLIT") != nullptr)
                std::printf("   [command %.1f, refresh and frame %.1f]\n", opMs, frameMs);
        }
        const double memory = Milliseconds([&] {
            for (const TStep& step : steps)
                step(Memory, Shell);
        });
        std::printf("%-34s %10.1f %10.1f %8.2f\n", name, qt, memory, qt / memory);
        std::fflush(stdout);
    }

    TAppMainForm Window;
    TMemoryListControl Control;
    TListViewShell Shell;
    TScriptedUserInterface Ui;
    TFileHandler Memory;
};

void SelectEveryOther(TListViewShell& shell) {
    TListViewUpdate update(shell);
    shell.ClearSelection();
    for (int i = 0; i < shell.Count(); i += 2)
        shell.SetSelected(i, true);
}

void Header() {
    std::printf("%-34s %10s %10s %8s\n", "operation", "window ms", "memory ms", "ratio");
}

void RunCommands(const std::string& folder, int count) {
    std::mt19937 random(7);
    const std::string path = folder + "/headers.d88";
    {
        TDiskImageList images(true);
        for (int i = 0; i < count; ++i) {
            auto image = std::make_unique<TDiskImage>();
            image->SetName(RandomName(random));
            images.Add(std::move(image));
        }
        images.SaveToFile(path);
    }
    Pair pair(folder);
    std::printf("\n%d images (headers only)\n", count);
    Header();
    pair.Measure("open to the first frame",
                 {[&](TFileHandler& f, TListViewShell&) { f.OpenFile(path); }});
    pair.Measure("select all + delete + undo",
                 {[](TFileHandler& f, TListViewShell&) { f.SelectAll(); },
                  [](TFileHandler& f, TListViewShell&) { f.Delete(); },
                  [](TFileHandler& f, TListViewShell&) { f.Undo(); }});
    pair.Measure("sort by name + undo", {[](TFileHandler& f, TListViewShell&) { f.SortByName(); },
                                         [](TFileHandler& f, TListViewShell&) { f.Undo(); }});
    pair.Measure("reverse order", {[](TFileHandler& f, TListViewShell&) { f.ReverseOrder(); }});
    // Selecting is the user's part and not timed.
    SelectEveryOther(pair.Window.ListViewShell());
    SelectEveryOther(pair.Shell);
    pair.Frame();
    pair.Measure("move down (every other row)",
                 {[](TFileHandler& f, TListViewShell&) { f.MoveDown(); }});
    pair.Measure("undo move down", {[](TFileHandler& f, TListViewShell&) { f.Undo(); }});
    SelectEveryOther(pair.Window.ListViewShell());
    SelectEveryOther(pair.Shell);
    pair.Frame();
    pair.Measure("delete every other row + undo",
                 {[](TFileHandler& f, TListViewShell&) { f.Delete(); },
                  [](TFileHandler& f, TListViewShell&) { f.Undo(); }});
}

void RunOpen(const std::string& folder, const std::string& path) {
    Pair pair(folder);
    std::printf("\n%s\n", path.c_str());
    Header();
    pair.Measure("open to the first frame",
                 {[&](TFileHandler& f, TListViewShell&) { f.OpenFile(path); }});
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    char folder[] = "/tmp/bench_window_XXXXXX";
    if (mkdtemp(folder) == nullptr)
        return 1;
    const std::string start = rtl::GetCurrentDir();
    std::vector<int> counts;
    std::string open;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--open") == 0 && i + 1 < argc)
            open = rtl::ExpandFileName(argv[++i]);
        else
            counts.push_back(std::atoi(argv[i]));
    }
    if (counts.empty() && open.empty())
        counts = {10000, 100000};
    for (const int count : counts)
        RunCommands(folder, count);
    if (!open.empty())
        RunOpen(folder, open);
    std::remove((std::string(folder) + "/headers.d88").c_str());
    std::remove((std::string(folder) + "/Settings.ini").c_str());
    rtl::SetCurrentDir(start);
    ::rmdir(folder);
    return 0;
}
