// Digests of byte streams, fed in pieces of any size: CRC-32 (as zlib and ZIP compute it), MD5
// and SHA-1, the checksums collectors compare disk images by. The rounds are the system's
// (OpenSSL's MD5 and SHA-1, libdeflate's CRC-32), which use the processor's SHA and carry-less
// multiply instructions where it has them: identifying a collection digests every byte of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace rtl {

enum class THashAlgorithm { Crc32, Md5, Sha1 };

// "crc32", "md5" or "sha1"; nothing for any other text.
std::optional<THashAlgorithm> ParseHashAlgorithm(std::string_view text);

class THash {
public:
    THash() = default;
    THash(const THash&) = delete;
    THash& operator=(const THash&) = delete;
    virtual ~THash() = default;

    virtual void Update(const uint8_t* bytes, size_t length) = 0;
    // The digest in lower-case hex (8 digits for CRC-32); the hash takes no more input after.
    virtual std::string HexDigest() = 0;
};

std::unique_ptr<THash> NewHash(THashAlgorithm algorithm);

} // namespace rtl
