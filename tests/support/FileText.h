#pragma once

#include <filesystem>
#include <string>

namespace kelvanto::test
{

// A file's bytes ("" when it cannot be read), and a file made of the given bytes.
std::string ReadText(const std::filesystem::path& path);
void WriteText(const std::filesystem::path& path, const std::string& text);

} // namespace kelvanto::test
