#include "Rtl_hashes.h"

#include "Rtl_bytes.h"

#include <array>
#include <cstring>

namespace rtl {

namespace {

std::string Hex(const uint8_t* bytes, size_t length) {
    static const char Digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * length);
    for (size_t i = 0; i < length; ++i) {
        text += Digits[bytes[i] >> 4];
        text += Digits[bytes[i] & 0x0F];
    }
    return text;
}

// Slicing by eight: eight table lookups per eight bytes instead of one per byte, which keeps a
// digest of a whole collection near the speed of reading it.
class TCrc32 : public THash {
public:
    void Update(const uint8_t* bytes, size_t length) override {
        const auto& t = Tables();
        uint32_t crc = FCrc;
        for (; length >= 8; bytes += 8, length -= 8) {
            const uint32_t low = crc ^ GetLe32(bytes);
            const uint32_t high = GetLe32(bytes + 4);
            crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^
                  t[4][low >> 24] ^ t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^
                  t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
        }
        for (; length > 0; ++bytes, --length)
            crc = t[0][(crc ^ *bytes) & 0xFF] ^ (crc >> 8);
        FCrc = crc;
    }
    std::string HexDigest() override {
        uint8_t digest[4];
        PutBe32(digest, ~FCrc);
        return Hex(digest, sizeof digest);
    }

private:
    using TTables = std::array<std::array<uint32_t, 256>, 8>;
    static const TTables& Tables() {
        static const TTables tables = [] {
            TTables t{};
            for (uint32_t i = 0; i < 256; ++i) {
                uint32_t c = i;
                for (int k = 0; k < 8; ++k)
                    c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
                t[0][i] = c;
            }
            for (size_t k = 1; k < 8; ++k)
                for (size_t i = 0; i < 256; ++i)
                    t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
            return t;
        }();
        return tables;
    }
    uint32_t FCrc = 0xFFFFFFFFu;
};

uint32_t RotateLeft(uint32_t value, int count) {
    return (value << count) | (value >> (32 - count));
}

// What MD5 and SHA-1 share: 64-byte blocks, and a final block padded with 0x80, zeros and the
// message length in bits, little-endian for MD5 and big-endian for SHA-1.
class TBlockHash : public THash {
public:
    void Update(const uint8_t* bytes, size_t length) override {
        FLength += length;
        if (FFill > 0) {
            const size_t take = std::min(length, sizeof FBlock - FFill);
            std::memcpy(FBlock + FFill, bytes, take);
            FFill += take;
            bytes += take;
            length -= take;
            if (FFill < sizeof FBlock)
                return;
            Transform(FBlock);
            FFill = 0;
        }
        for (; length >= sizeof FBlock; bytes += sizeof FBlock, length -= sizeof FBlock)
            Transform(bytes);
        std::memcpy(FBlock, bytes, length);
        FFill = length;
    }

protected:
    virtual void Transform(const uint8_t* block) = 0;
    void Finish(bool bigEndian) {
        const uint64_t bits = FLength * 8;
        uint8_t padding[72] = {0x80};
        const size_t padLength = (FFill < 56 ? 56 : 120) - FFill;
        uint8_t lengthBytes[8];
        for (int i = 0; i < 8; ++i)
            lengthBytes[bigEndian ? 7 - i : i] = static_cast<uint8_t>(bits >> (8 * i));
        Update(padding, padLength);
        Update(lengthBytes, sizeof lengthBytes);
    }

private:
    uint8_t FBlock[64] = {};
    size_t FFill = 0;
    uint64_t FLength = 0;
};

class TMd5 : public TBlockHash {
public:
    std::string HexDigest() override {
        Finish(false);
        uint8_t digest[16];
        for (int i = 0; i < 4; ++i)
            PutLe32(digest + 4 * i, FState[i]);
        return Hex(digest, sizeof digest);
    }

protected:
    void Transform(const uint8_t* block) override {
        static const uint32_t K[64] = {
            0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613,
            0xfd469501, 0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193,
            0xa679438e, 0x49b40821, 0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d,
            0x02441453, 0xd8a1e681, 0xe7d3fbc8, 0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed,
            0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a, 0xfffa3942, 0x8771f681, 0x6d9d6122,
            0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70, 0x289b7ec6, 0xeaa127fa,
            0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665, 0xf4292244,
            0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
            0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb,
            0xeb86d391};
        static const int S[16] = {7, 12, 17, 22, 5, 9, 14, 20, 4, 11, 16, 23, 6, 10, 15, 21};
        uint32_t m[16];
        for (int i = 0; i < 16; ++i)
            m[i] = GetLe32(block + 4 * i);
        uint32_t a = FState[0], b = FState[1], c = FState[2], d = FState[3];
        for (int i = 0; i < 64; ++i) {
            uint32_t f;
            int g;
            switch (i / 16) {
            case 0:
                f = (b & c) | (~b & d);
                g = i;
                break;
            case 1:
                f = (d & b) | (~d & c);
                g = (5 * i + 1) % 16;
                break;
            case 2:
                f = b ^ c ^ d;
                g = (3 * i + 5) % 16;
                break;
            default:
                f = c ^ (b | ~d);
                g = (7 * i) % 16;
                break;
            }
            const uint32_t next = d;
            d = c;
            c = b;
            b += RotateLeft(a + f + K[i] + m[g], S[(i / 16) * 4 + i % 4]);
            a = next;
        }
        FState[0] += a;
        FState[1] += b;
        FState[2] += c;
        FState[3] += d;
    }

private:
    uint32_t FState[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
};

class TSha1 : public TBlockHash {
public:
    std::string HexDigest() override {
        Finish(true);
        uint8_t digest[20];
        for (int i = 0; i < 5; ++i)
            PutBe32(digest + 4 * i, FState[i]);
        return Hex(digest, sizeof digest);
    }

protected:
    void Transform(const uint8_t* block) override {
        uint32_t w[80];
        for (int i = 0; i < 16; ++i)
            w[i] = GetBe32(block + 4 * i);
        for (int i = 16; i < 80; ++i)
            w[i] = RotateLeft(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
        uint32_t a = FState[0], b = FState[1], c = FState[2], d = FState[3], e = FState[4];
        for (int i = 0; i < 80; ++i) {
            uint32_t f, k;
            if (i < 20) {
                f = (b & c) | (~b & d);
                k = 0x5a827999;
            } else if (i < 40) {
                f = b ^ c ^ d;
                k = 0x6ed9eba1;
            } else if (i < 60) {
                f = (b & c) | (b & d) | (c & d);
                k = 0x8f1bbcdc;
            } else {
                f = b ^ c ^ d;
                k = 0xca62c1d6;
            }
            const uint32_t next = RotateLeft(a, 5) + f + e + k + w[i];
            e = d;
            d = c;
            c = RotateLeft(b, 30);
            b = a;
            a = next;
        }
        FState[0] += a;
        FState[1] += b;
        FState[2] += c;
        FState[3] += d;
        FState[4] += e;
    }

private:
    uint32_t FState[5] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476, 0xc3d2e1f0};
};

} // namespace

std::optional<THashAlgorithm> ParseHashAlgorithm(std::string_view text) {
    if (text == "crc32")
        return THashAlgorithm::Crc32;
    if (text == "md5")
        return THashAlgorithm::Md5;
    if (text == "sha1")
        return THashAlgorithm::Sha1;
    return std::nullopt;
}

std::unique_ptr<THash> NewHash(THashAlgorithm algorithm) {
    switch (algorithm) {
    case THashAlgorithm::Crc32:
        return std::make_unique<TCrc32>();
    case THashAlgorithm::Md5:
        return std::make_unique<TMd5>();
    default:
        return std::make_unique<TSha1>();
    }
}

} // namespace rtl
