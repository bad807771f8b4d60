#include "Rtl_hashes.h"

#include "Rtl_bytes.h"
#include "Rtl_exceptions.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

namespace {

std::string Digest(rtl::THashAlgorithm algorithm, const std::string& text, size_t piece) {
    const std::unique_ptr<rtl::THash> hash = rtl::NewHash(algorithm);
    for (size_t at = 0; at < text.size(); at += piece)
        hash->Update(reinterpret_cast<const uint8_t*>(text.data()) + at,
                     std::min(piece, text.size() - at));
    return hash->HexDigest();
}

// Pieces of changing sizes, none a multiple of the 64-byte block, so that they begin and end at
// ever different places within one.
std::string DigestInOddPieces(rtl::THashAlgorithm algorithm, const testsupport::Bytes& bytes) {
    const std::unique_ptr<rtl::THash> hash = rtl::NewHash(algorithm);
    const size_t pieces[] = {1, 63, 65, 4097, 65537, 1048579};
    for (size_t at = 0, i = 0; at < bytes.size(); i = (i + 1) % std::size(pieces)) {
        const size_t length = std::min(pieces[i], bytes.size() - at);
        hash->Update(bytes.data() + at, length);
        at += length;
    }
    return hash->HexDigest();
}

std::string CommandOutput(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return "(no pipe)";
    std::string output;
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, got);
    return pclose(pipe) == 0 ? output : "(" + command + " failed)";
}

} // namespace

// The published test vectors, fed whole and in pieces that straddle every block boundary.
TEST(RtlHashesTest, PublishedVectorsInPiecesOfEverySize) {
    const std::string million(1000000, 'a');
    struct TCase {
        rtl::THashAlgorithm Algorithm;
        std::string Text;
        const char* Digest;
    };
    const TCase cases[] = {
        {rtl::THashAlgorithm::Crc32, "123456789", "cbf43926"},
        {rtl::THashAlgorithm::Crc32, "", "00000000"},
        {rtl::THashAlgorithm::Md5, "", "d41d8cd98f00b204e9800998ecf8427e"},
        {rtl::THashAlgorithm::Md5, "abc", "900150983cd24fb0d6963f7d28e17f72"},
        {rtl::THashAlgorithm::Md5,
         "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
        {rtl::THashAlgorithm::Sha1, "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {rtl::THashAlgorithm::Sha1, "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {rtl::THashAlgorithm::Sha1, million, "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
        {rtl::THashAlgorithm::Md5, million, "7707d6ae4e027c70eea2a935c2296f21"},
        {rtl::THashAlgorithm::Crc32, "The quick brown fox jumps over the lazy dog", "414fa339"},
        {rtl::THashAlgorithm::Crc32, million, "dc25bfbc"},
    };
    for (const TCase& c : cases) {
        const std::string whole = Digest(c.Algorithm, c.Text, c.Text.size() + 1);
        EXPECT_EQ(whole, c.Digest) << c.Text.substr(0, 20);
        for (const size_t piece : {1u, 7u, 55u, 56u, 63u, 64u, 65u, 4099u})
            EXPECT_EQ(Digest(c.Algorithm, c.Text, piece), whole) << piece;
    }
    EXPECT_EQ(rtl::ParseHashAlgorithm("md5"), rtl::THashAlgorithm::Md5);
    EXPECT_EQ(rtl::ParseHashAlgorithm("SHA1"), std::nullopt);
}

// Megabytes of pseudo-random bytes against the system's own digests of the same bytes in a file:
// sha1sum, md5sum, and gzip, whose trailer ends with the CRC-32 of what it compressed.
TEST(RtlHashesTest, PseudoRandomBytesMatchTheSystemTools) {
    std::mt19937 random(88);
    testsupport::Bytes bytes(3 * 1024 * 1024 + 17);
    for (uint8_t& byte : bytes)
        byte = static_cast<uint8_t>(random());
    const testsupport::TempDir folder;
    const std::string path = folder.File("bytes");
    testsupport::WriteFileBytes(path, bytes);

    EXPECT_EQ(DigestInOddPieces(rtl::THashAlgorithm::Sha1, bytes),
              CommandOutput("sha1sum '" + path + "'").substr(0, 40));
    EXPECT_EQ(DigestInOddPieces(rtl::THashAlgorithm::Md5, bytes),
              CommandOutput("md5sum '" + path + "'").substr(0, 32));
    const std::string gzip = CommandOutput("gzip -1 -c '" + path + "'");
    ASSERT_GE(gzip.size(), 8u) << gzip;
    const uint32_t crc =
        rtl::GetLe32(reinterpret_cast<const uint8_t*>(gzip.data()) + gzip.size() - 8);
    EXPECT_EQ(DigestInOddPieces(rtl::THashAlgorithm::Crc32, bytes), rtl::Format("%08x", crc));
}
