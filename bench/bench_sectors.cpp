// The Sectors window on a 2HD image (77 x 2 x 8 sectors of 1,024 bytes: 1,232 KB) through the
// real window on Qt's offscreen platform: showing it up to its first painted frame, and each
// step of Ctrl+PgDn through every sector, as key repeat would, with its refresh and frame.
// Usage: bench_sectors [ROUNDS]   (default 3)
#include "App_HexView.h"
#include "App_SectorsView.h"
#include "App_mainform.h"
#include "BenchSupport.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    char folder[] = "/tmp/trackwell-bench-sectors.XXXXXX";
    if (mkdtemp(folder) == nullptr)
        return 1;
    TDiskImageList images(true);
    images.Add(std::make_unique<TDiskImage>(TDiskFormat{0x20, 77, 2, 8, 3}));
    const std::string path = std::string(folder) + "/2hd.d88";
    images.SaveToFile(path);
    {
        TAppMainForm::TOptions options;
        options.SettingsFileName = std::string(folder) + "/Settings.ini";
        options.Files = {path};
        TAppMainForm window(std::move(options));
        window.show();
        QCoreApplication::processEvents();
        TAppSectorsView& view = window.SectorsView();
        std::printf("%-6s %12s %12s %12s %10s\n", "round", "show ms", "step mean ms", "step max ms",
                    "sectors");
        for (int round = 1; round <= rounds; ++round) {
            const double show = Milliseconds([&] {
                window.Action("ViewSectorsAction")->trigger();
                QCoreApplication::processEvents();
                view.repaint();
            });
            std::vector<double> steps;
            for (int i = 1; i < 77 * 2 * 8; ++i)
                steps.push_back(Milliseconds([&] {
                    view.GoToSector(1);
                    QCoreApplication::processEvents();
                    view.findChild<TAppHexView*>("HexView")->viewport()->repaint();
                }));
            double total = 0;
            for (const double step : steps)
                total += step;
            std::printf("%-6d %12.1f %12.3f %12.3f %10zu\n", round, show, total / steps.size(),
                        *std::max_element(steps.begin(), steps.end()), steps.size() + 1);
            view.close();
            QCoreApplication::processEvents();
        }
    }
    std::remove(path.c_str());
    rmdir(folder);
    return 0;
}
