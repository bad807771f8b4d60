#include "Rtl_hashes.h"

#include "Rtl_bytes.h"
#include "Rtl_exceptions.h"

#include <libdeflate.h>
#include <openssl/err.h>
#include <openssl/evp.h>

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

class TCrc32 : public THash {
public:
    void Update(const uint8_t* bytes, size_t length) override {
        // libdeflate answers the initial 0 for a null buffer, whatever the running value: an
        // empty piece of an empty span would otherwise restart the checksum.
        if (length > 0)
            FCrc = libdeflate_crc32(FCrc, bytes, length);
    }
    std::string HexDigest() override {
        uint8_t digest[4];
        PutBe32(digest, FCrc);
        return Hex(digest, sizeof digest);
    }

private:
    uint32_t FCrc = 0;
};

// Only a broken or FIPS-restricted OpenSSL refuses these; the program's own texts do not cover
// it, so the library's reason is passed on as it is.
[[noreturn]] void Fail(const char* what) {
    const unsigned long error = ERR_get_error();
    const char* reason = error != 0 ? ERR_reason_error_string(error) : nullptr;
    throw EInvalidOperation(Format("OpenSSL: %s: %s", what, reason != nullptr ? reason : "failed"));
}

struct TMdFree {
    void operator()(EVP_MD* md) const { EVP_MD_free(md); }
};
struct TMdContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

// Fetched once: an implicit fetch on every initialisation (EVP_md5() and the like) searches
// the provider store under a lock each time, and a collection is hashed image by image.
const EVP_MD* FetchedDigest(THashAlgorithm algorithm) {
    static const auto fetch = [](const char* name) {
        std::unique_ptr<EVP_MD, TMdFree> md(EVP_MD_fetch(nullptr, name, nullptr));
        if (!md)
            Fail(name);
        return md;
    };
    if (algorithm == THashAlgorithm::Md5) {
        static const std::unique_ptr<EVP_MD, TMdFree> md5 = fetch("MD5");
        return md5.get();
    }
    static const std::unique_ptr<EVP_MD, TMdFree> sha1 = fetch("SHA1");
    return sha1.get();
}

class TEvpHash : public THash {
public:
    explicit TEvpHash(THashAlgorithm algorithm) : FContext(EVP_MD_CTX_new()) {
        const EVP_MD* md = FetchedDigest(algorithm);
        if (!FContext || EVP_DigestInit_ex(FContext.get(), md, nullptr) != 1)
            Fail(EVP_MD_get0_name(md));
    }
    void Update(const uint8_t* bytes, size_t length) override {
        if (EVP_DigestUpdate(FContext.get(), bytes, length) != 1)
            Fail(EVP_MD_CTX_get0_name(FContext.get()));
    }
    std::string HexDigest() override {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        if (EVP_DigestFinal_ex(FContext.get(), digest, &length) != 1)
            Fail(EVP_MD_CTX_get0_name(FContext.get()));
        return Hex(digest, length);
    }

private:
    std::unique_ptr<EVP_MD_CTX, TMdContextFree> FContext;
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
    if (algorithm == THashAlgorithm::Crc32)
        return std::make_unique<TCrc32>();
    return std::make_unique<TEvpHash>(algorithm);
}

} // namespace rtl
