// Opens a container and saves it elsewhere, timing both and reporting the peak resident memory.
// Driven by bench/open_save.sh, which compares it with cp of the same file.
#include "App_diskimages.h"

#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long PeakResidentKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_open_save IN OUT\n");
        return 2;
    }
    try {
        TDiskImageList list;
        auto start = std::chrono::steady_clock::now();
        list.LoadFromFile(argv[1]);
        const double openSeconds = Seconds(start);
        const long openPeak = PeakResidentKiB();
        start = std::chrono::steady_clock::now();
        list.SaveToFile(argv[2]);
        const double saveSeconds = Seconds(start);
        std::printf("images %d\nopen_seconds %.3f\nopen_peak_kib %ld\nsave_seconds %.3f\n"
                    "save_peak_kib %ld\n",
                    list.Count(), openSeconds, openPeak, saveSeconds, PeakResidentKiB());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_open_save: %s\n", e.what());
        return 1;
    }
    return 0;
}
