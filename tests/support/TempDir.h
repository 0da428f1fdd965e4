#pragma once

#include <filesystem>

namespace kelvanto::test
{

// A fresh folder below the system's temporary folder, removed with everything in it
// when the object goes away.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace kelvanto::test
