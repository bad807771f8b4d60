// A folder tree through the Files panel's handler, as the window adds and extracts it: the local
// folder TREE added to the folder shown of the first image of CONTAINER (every name free, so
// nothing is asked), the step undone and redone, and the folder extracted into OUT.
// Usage: bench_tree CONTAINER TREE OUT
#include "App_diskfiles.h"

#include "BenchSupport.h"

#include <cstdio>

namespace {

class TPanel : public TFilesPanel {
public:
    bool Visible() const override { return true; }
    void SetVisible(bool) override {}
    int Extent() const override { return 0; }
    void SetExtent(int) override {}
    std::vector<int> SelectedEntries() const override { return Selection; }
    std::vector<int> Selection;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: bench_tree CONTAINER TREE OUT\n");
        return 2;
    }
    TMemoryListControl control;
    TListViewShell shell(control);
    TScriptedUserInterface ui;
    TFileHandler document(&shell, ui);
    TPanel panel;
    TDiskFilesHandler files(document, shell, ui, &panel);
    document.OpenFile(argv[1]);
    shell.SetFocused(0, true);
    files.Refresh();
    const double add = Milliseconds([&] { files.AddFilesFrom({argv[2]}); });
    const int64_t count = files.FileSystem()->FileCount();
    const double undo = Milliseconds([&] {
        document.Undo();
        files.Refresh();
    });
    const double redo = Milliseconds([&] {
        document.Redo();
        files.Refresh();
    });
    panel.Selection.clear();
    for (size_t i = 0; i < files.Entries().size(); ++i)
        if (files.Entries()[i].Folder)
            panel.Selection.push_back(static_cast<int>(i));
    const double extract = Milliseconds([&] { files.ExtractTo(argv[3]); });
    std::printf(
        "files on the disk %lld; add %.1f ms; undo %.1f ms; redo %.1f ms; extract %.1f ms\n",
        static_cast<long long>(count), add, undo, redo, extract);
    return 0;
}
