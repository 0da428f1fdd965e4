#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct evp_md_ctx_st;

namespace kelvanto
{

// A SHA-256 (OpenSSL's libcrypto) computed over bytes handed to it piece by piece, with the
// count of those bytes. Move-only; an object whose start failed is not valid() and stays so.
class Sha256Digest
{
public:
    Sha256Digest();
    ~Sha256Digest();
    Sha256Digest(Sha256Digest&& other) noexcept = default;
    Sha256Digest& operator=(Sha256Digest&& other) noexcept = default;
    Sha256Digest(const Sha256Digest&) = delete;
    Sha256Digest& operator=(const Sha256Digest&) = delete;

    // A moved-from object has no context and is not valid.
    bool valid() const { return m_context != nullptr && !m_failed; }
    // Adds bytes; a failure makes the object invalid.
    void Update(std::string_view bytes);
    std::uint64_t size() const { return m_size; }
    // The digest as 64 lowercase hexadecimal digits; empty when the object is not valid.
    // The object is then used up (not valid).
    std::string Finish();

private:
    struct FreeContext
    {
        void operator()(evp_md_ctx_st* context) const;
    };
    std::unique_ptr<evp_md_ctx_st, FreeContext> m_context;
    std::uint64_t m_size = 0;
    bool m_failed = false;
};

} // namespace kelvanto
