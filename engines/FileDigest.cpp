#include "engines/FileDigest.h"

#include "model/UniqueFd.h"

#include <openssl/evp.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

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
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.valid())
        return Error {std::string("cannot be opened: ") + std::strerror(errno)};
    struct stat info
    { };
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return Error {"is not a regular file"};
    std::unique_ptr<EVP_MD_CTX, FreeDigestContext> context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
        return Error {"cannot be digested: the SHA-256 digest could not start"};
    FileDigest digest;
    std::string buffer(256 * 1024, '\0');
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return Error {std::string("cannot be read: ") + std::strerror(errno)};
        if (count == 0)
            break;
        digest.size += static_cast<std::uint64_t>(count);
        EVP_DigestUpdate(context.get(), buffer.data(), static_cast<std::size_t>(count));
    }
    unsigned char value[EVP_MAX_MD_SIZE] = {};
    unsigned size = 0;
    if (EVP_DigestFinal_ex(context.get(), value, &size) != 1)
        return Error {"cannot be digested"};
    digest.sha256 = Hex(value, size);
    return digest;
}

} // namespace kelvanto
