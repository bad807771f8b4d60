// Checks arbitrary bytes as one image and digests them: every offset, count and size in them is
// hostile, and the walk must stay inside them (AddressSanitizer sees to that) and end. A finding
// is always a whole sentence, and an image the checker calls sound is one a reader can follow:
// its tracks lie inside it without overlapping.
#include "App_diskcheck.h"
#include "FuzzSupport.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace {

unsigned Le16(const uint8_t* p) {
    return p[0] | unsigned{p[1]} << 8;
}

uint32_t Le32(const uint8_t* p) {
    return p[0] | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// Walks the image as a reader does, trusting the first sector's count and each sector's data
// length, and fails where that walk leaves the image or two tracks share a byte.
void CheckReadable(const uint8_t* data, size_t size) {
    if (Le32(data + TDiskImage::SizeOffset) != size)
        fuzzsupport::Fail("a sound image's size field is not its size", std::to_string(size),
                          std::to_string(Le32(data + TDiskImage::SizeOffset)));
    std::vector<std::pair<size_t, size_t>> extents;
    for (int t = 0; t < TDiskImage::TrackTableEntries; ++t) {
        const size_t start = Le32(data + TDiskImage::TrackTableOffset + 4 * t);
        // Unformatted tracks point at nothing, or at the end of the image.
        if (start == 0 || start == size)
            continue;
        const std::string track = "track entry " + std::to_string(t) + " at " +
                                  std::to_string(start) + " in " + std::to_string(size) + " bytes";
        if (start < TDiskImage::HeaderSize || start + TDiskImage::SectorHeaderSize > size)
            fuzzsupport::Fail("a sound image has a track outside it", "a track after the header",
                              track);
        const unsigned count = Le16(data + start + 4);
        if (count == 0)
            fuzzsupport::Fail("a sound image has a track of no sectors", "sectors", track);
        size_t offset = start;
        for (unsigned i = 0; i < count; ++i) {
            if (offset + TDiskImage::SectorHeaderSize > size ||
                offset + TDiskImage::SectorHeaderSize + Le16(data + offset + 14) > size)
                fuzzsupport::Fail("a sound image's track runs past its end",
                                  std::to_string(count) + " sectors inside the image",
                                  track + ", sector " + std::to_string(i + 1) + " at " +
                                      std::to_string(offset));
            offset += TDiskImage::SectorHeaderSize + Le16(data + offset + 14);
        }
        extents.emplace_back(start, offset);
    }
    std::sort(extents.begin(), extents.end());
    for (size_t i = 1; i < extents.size(); ++i)
        if (extents[i].first < extents[i - 1].second)
            fuzzsupport::Fail("a sound image has overlapping tracks", "tracks apart",
                              std::to_string(extents[i - 1].first) + ".." +
                                  std::to_string(extents[i - 1].second) + " and " +
                                  std::to_string(extents[i].first) + "..");
}

// What each algorithm digests nothing to: an image of no more than the 32 bytes left out.
struct TExpectedDigest {
    rtl::THashAlgorithm Algorithm;
    size_t Length;
    const char* OfNothing;
};

constexpr TExpectedDigest Digests[] = {
    {rtl::THashAlgorithm::Crc32, 8, "00000000"},
    {rtl::THashAlgorithm::Md5, 32, "d41d8cd98f00b204e9800998ecf8427e"},
    {rtl::THashAlgorithm::Sha1, 40, "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::span<const uint8_t> image(data, size);
    const std::vector<TDiskFinding> findings = CheckDiskImage(image);
    for (const TDiskFinding& finding : findings)
        if (finding.Text.empty() || finding.Text.back() != '.')
            fuzzsupport::Fail("a finding that is no sentence", "…", finding.Text);
    if (!HasFault(findings)) {
        if (size < TDiskImage::HeaderSize)
            fuzzsupport::Fail("a short image passed the check", "an error", "none");
        CheckReadable(data, size);
    }
    // One digest an input, of at most its first 4 KiB: under the sanitizers hashing a whole
    // input costs more than checking it, and what a digest does depends only on where the
    // length ends in a block, which shorter inputs cover. The name's first byte picks the
    // algorithm, as the digest leaves the name out.
    const TExpectedDigest& expected = Digests[size > 0 ? data[0] % std::size(Digests) : 0];
    const std::string digest =
        TrackDataDigest(image.first(std::min<size_t>(size, 4096)), expected.Algorithm);
    if (digest.size() != expected.Length ||
        digest.find_first_not_of("0123456789abcdef") != std::string::npos)
        fuzzsupport::Fail("a digest that is not lower-case hex of its algorithm's length",
                          std::to_string(expected.Length) + " digits", digest);
    if (size <= 32 && digest != expected.OfNothing)
        fuzzsupport::Fail("an image of no track data has another digest than nothing's",
                          expected.OfNothing, digest);
    return 0;
}
