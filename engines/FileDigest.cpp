#include "engines/FileDigest.h"

#include "engines/RegularFileReader.h"

#include <openssl/evp.h>

#include <memory>

namespace kelvanto
{

namespace
{

struct FreeDigestContext
{
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

std::string Hex(const unsigned char* bytes, unsigned size)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(size * 2);
    for (unsigned i = 0; i < size; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

} // namespace

Result<FileDigest> DigestFile(const std::string& path)
{
    std::unique_ptr<EVP_MD_CTX, FreeDigestContext> context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
        return Error {"cannot be digested: the SHA-256 digest could not start"};
    FileDigest digest;
    const Result<void> read = ReadRegularFile(path, [&](std::string_view piece) {
        digest.size += piece.size();
        return EVP_DigestUpdate(context.get(), piece.data(), piece.size()) == 1;
    });
    if (!read)
        return Error {read.error()};
    unsigned char value[EVP_MAX_MD_SIZE] = {};
    unsigned size = 0;
    if (EVP_DigestFinal_ex(context.get(), value, &size) != 1)
        return Error {"cannot be digested"};
    digest.sha256 = Hex(value, size);
    return digest;
}

} // namespace kelvanto
