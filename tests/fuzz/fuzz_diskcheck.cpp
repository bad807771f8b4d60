// Checks arbitrary bytes as one image and digests them: every offset, count and size in them is
// hostile, and the walk must stay inside them (AddressSanitizer sees to that) and end. A finding
// is always a whole sentence, and an image the checker calls sound is one a reader can follow:
// its tracks lie inside it without overlapping.
#include "App_diskcheck.h"
#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::span<const uint8_t> image(data, size);
    const std::vector<TDiskFinding> findings = CheckDiskImage(image);
    for (const TDiskFinding& finding : findings)
        if (finding.Text.empty() || finding.Text.back() != '.')
            fuzzsupport::Fail("a finding that is no sentence", "…", finding.Text);
    if (!HasFault(findings) && size < TDiskImage::HeaderSize)
        fuzzsupport::Fail("a short image passed the check", "an error", "none");
    for (const rtl::THashAlgorithm algorithm :
         {rtl::THashAlgorithm::Crc32, rtl::THashAlgorithm::Md5, rtl::THashAlgorithm::Sha1})
        if (TrackDataDigest(image, algorithm).empty())
            fuzzsupport::Fail("an empty digest", "hex digits", "");
    return 0;
}
