// The least a listing of a D88/D77 container can do, for bench/list.sh to measure `list`
// against: open the file, read each image's 688-byte header where the previous image's size
// field says it begins, and print nothing but the number of images.
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    const int file = ::open(argv[1], O_RDONLY);
    struct stat info {};
    if (file < 0 || ::fstat(file, &info) != 0)
        return 1;
    unsigned char header[688];
    long images = 0;
    for (off_t offset = 0; offset < info.st_size; ++images) {
        if (::pread(file, header, sizeof header, offset) != static_cast<ssize_t>(sizeof header))
            return 1;
        const uint32_t size = header[28] | header[29] << 8 | header[30] << 16 |
                              static_cast<uint32_t>(header[31]) << 24;
        if (size < sizeof header)
            return 1;
        offset += size;
    }
    std::printf("%ld\n", images);
    return 0;
}
