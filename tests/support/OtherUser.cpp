#include "tests/support/OtherUser.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace kelvanto::test
{

namespace
{

constexpr uid_t kNobody = 65534;

} // namespace

bool CanPlantAsOtherUser()
{
    return ::geteuid() == 0;
}

std::string WhyNoOtherUser()
{
    return "planting a file as another user needs root (CI runs the tests as root)";
}

void GiveToOtherUser(const std::filesystem::path& path)
{
    ASSERT_EQ(::lchown(path.c_str(), kNobody, kNobody), 0) << path;
}

void MakeShared(const std::filesystem::path& folder)
{
    ASSERT_EQ(::chmod(folder.c_str(), 01777), 0) << folder;
}

} // namespace kelvanto::test
