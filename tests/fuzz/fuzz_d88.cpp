// Loads arbitrary bytes as a D88/D77 container and, when they load, saves them again: a loaded
// file must come back byte for byte, but for the bytes after each name's zero inside the name
// field, which the writer clears; a name without a zero fills the field and comes back whole. The
// header scan must reach the load's very verdict: the same images, or the same refusal with the
// same message.
#include "App_diskimages.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
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
        // A name filling the whole field, as other programs write it, stays as it is.
        const void* zero = std::memchr(name, 0, NameFieldSize);
        const auto length = zero != nullptr
                                ? static_cast<std::size_t>(static_cast<const uint8_t*>(zero) - name)
                                : NameFieldSize;
        std::memset(name + length, 0, NameFieldSize - length);
        const uint32_t imageSize = GetUInt32(name + SizeOffset);
        if (imageSize < TDiskImage::HeaderSize || imageSize > size - offset)
            std::abort();
        offset += imageSize;
    }
}

// The kind and message of a refusal; "" when the container was accepted.
template <typename TRead> std::string Verdict(TRead&& read) {
    try {
        read();
        return "";
    } catch (const EDiskImageError& e) {
        return "image error: " + e.Message();
    } catch (const EInvalidDiskImage& e) {
        return "invalid image: " + e.Message();
    } catch (const rtl::EStreamError& e) {
        return "stream error: " + e.Message();
    }
}

void CheckScanAgrees(rtl::TMemoryStream& input, const std::string& loadVerdict,
                     const TDiskImageList& images) {
    std::vector<TScannedImage> scanned;
    const std::string scanVerdict = Verdict([&] { scanned = ScanDiskImages(input); });
    if (scanVerdict != loadVerdict) {
        std::fprintf(stderr, "fuzz: the load says \"%s\", the scan \"%s\"\n", loadVerdict.c_str(),
                     scanVerdict.c_str());
        std::abort();
    }
    if (!loadVerdict.empty())
        return;
    if (scanned.size() != static_cast<std::size_t>(images.Count()))
        std::abort();
    int64_t offset = 0;
    for (std::size_t i = 0; i < scanned.size(); ++i) {
        const TDiskImage& image = *images.Items(static_cast<int>(i));
        const TScannedImage& found = scanned[i];
        if (found.Offset != offset || found.Name != image.Name() ||
            found.WriteProtected != image.WriteProtected() || found.DiskType != image.DiskType() ||
            found.Size != image.Size()) {
            std::fprintf(stderr, "fuzz: image %zu scanned differently from its load\n", i);
            std::abort();
        }
        offset += found.Size;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    rtl::TMemoryStream input;
    input.SetSize(static_cast<int64_t>(size));
    if (size > 0)
        std::memcpy(input.Memory(), data, size);

    TDiskImageList images;
    const std::string verdict = Verdict([&] { images.LoadFromStream(input); });
    CheckScanAgrees(input, verdict, images);
    if (!verdict.empty())
        return 0;

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
