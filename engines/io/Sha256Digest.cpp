#include "engines/io/Sha256Digest.h"

#include <openssl/evp.h>

namespace kelvanto
{

namespace
{

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

void Sha256Digest::FreeContext::operator()(evp_md_ctx_st* context) const
{
    EVP_MD_CTX_free(context);
}

Sha256Digest::Sha256Digest()
    : m_context(EVP_MD_CTX_new())
{
    m_failed = !m_context || EVP_DigestInit_ex(m_context.get(), EVP_sha256(), nullptr) != 1;
}

Sha256Digest::~Sha256Digest() = default;

void Sha256Digest::Update(std::string_view bytes)
{
    if (!valid() || bytes.empty())
        return;
    m_size += bytes.size();
    m_failed = EVP_DigestUpdate(m_context.get(), bytes.data(), bytes.size()) != 1;
}

std::string Sha256Digest::Finish()
{
    if (!valid())
        return {};
    unsigned char value[EVP_MAX_MD_SIZE] = {};
    unsigned size = 0;
    const bool done = EVP_DigestFinal_ex(m_context.get(), value, &size) == 1;
    m_failed = true;
    return done ? Hex(value, size) : std::string();
}

} // namespace kelvanto
