// Loads arbitrary bytes as a D88/D77 container and, when they load, saves them again: a loaded
// file must come back byte for byte, but for the bytes after each name's zero inside the name
// field, which the writer clears.
#include "App_diskimages.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t NameFieldSize = 17;
constexpr std::size_t SizeOffset = 28;

uint32_t GetUInt32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// The expected output: the input with each name field cleared after its first zero byte. The
// images are found by walking their size fields, which a successful load has vouched for.
void ClearNameTails(uint8_t* bytes, std::size_t size) {
    std::size_t offset = 0;
    while (offset < size) {
        if (size - offset < TDiskImage::HeaderSize)
            std::abort();
        uint8_t* name = bytes + offset;
        const void* zero = std::memchr(name, 0, NameFieldSize);
        if (zero == nullptr)
            std::abort();
        const auto length = static_cast<std::size_t>(static_cast<const uint8_t*>(zero) - name);
        std::memset(name + length, 0, NameFieldSize - length);
        const uint32_t imageSize = GetUInt32(name + SizeOffset);
        if (imageSize < TDiskImage::HeaderSize || imageSize > size - offset)
            std::abort();
        offset += imageSize;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    rtl::TMemoryStream input;
    input.SetSize(static_cast<int64_t>(size));
    if (size > 0)
        std::memcpy(input.Memory(), data, size);

    TDiskImageList images;
    try {
        images.LoadFromStream(input);
    } catch (const EDiskImageError&) {
        return 0;
    } catch (const EInvalidDiskImage&) {
        return 0;
    } catch (const rtl::EStreamError&) {
        return 0;
    }

    rtl::TMemoryStream output;
    images.SaveToStream(output);
    if (output.Size() != static_cast<int64_t>(size)) {
        std::fprintf(stderr, "fuzz: %d images of %zu bytes saved as %lld bytes\n", images.Count(),
                     size, static_cast<long long>(output.Size()));
        std::abort();
    }
    if (size == 0)
        return 0;
    std::vector<uint8_t> expected(data, data + size);
    ClearNameTails(expected.data(), size);
    const uint8_t* saved = output.Memory();
    for (std::size_t i = 0; i < size; ++i)
        if (expected[i] != saved[i]) {
            std::fprintf(stderr, "fuzz: saved byte %zu is %02X where %02X was expected\n", i,
                         saved[i], expected[i]);
            std::abort();
        }
    return 0;
}
