#include "model/ServerList.h"
#include "model/ServerListStore.h"
#include "model/ServerProfileCheck.h"

#include "tests/model/ByteBuilder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace kelvanto
{
namespace
{

using test::ByteBuilder;

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

ServerConnection Profile(std::string name, std::string host = "h")
{
    ServerConnection profile;
    profile.connectionName = std::move(name);
    profile.host = std::move(host);
    return profile;
}

std::vector<std::string> Names(const ServerList& list)
{
    std::vector<std::string> names;
    for (const auto& profile : list.profiles())
        names.push_back(profile.connectionName);
    return names;
}

TEST(ServerList, OrderOperationsAndBadIndexes)
{
    ServerList list;
    for (const char* name : {"a", "b", "c"})
        list.add(Profile(name));
    EXPECT_TRUE(list.moveUp(2));
    EXPECT_EQ(Names(list), (std::vector<std::string> {"a", "c", "b"}));
    EXPECT_TRUE(list.moveDown(0));
    EXPECT_EQ(Names(list), (std::vector<std::string> {"c", "a", "b"}));
    EXPECT_TRUE(list.replace(1, Profile("z")));
    EXPECT_TRUE(list.remove(0));
    EXPECT_EQ(Names(list), (std::vector<std::string> {"z", "b"}));

    EXPECT_FALSE(list.moveUp(0));
    EXPECT_FALSE(list.moveDown(1));
    EXPECT_FALSE(list.moveDown(99));
    EXPECT_FALSE(list.replace(2, Profile("q")));
    EXPECT_FALSE(list.remove(2));
    EXPECT_FALSE(list.at(2).has_value());
    EXPECT_EQ(Names(list), (std::vector<std::string> {"z", "b"}));
    ASSERT_TRUE(list.at(1).has_value());
    EXPECT_EQ(list.at(1)->connectionName, "b");
}

TEST(ServerList, ProfileChecksInOrder)
{
    ServerList list;
    list.add(Profile("Office"));
    struct Row
    {
        const char* name;
        ServerConnection profile;
        std::string port;
        bool isNew;
        std::string message;
    };
    ServerConnection saved = Profile("New");
    saved.savePassword = 1;
    saved.user = "u";
    saved.password = "p";
    ServerConnection noUser = saved;
    noUser.user.clear();
    ServerConnection noPassword = saved;
    noPassword.password.clear();
    ServerConnection notSaved = noPassword;
    notSaved.savePassword = 0;
    notSaved.user.clear();
    const std::vector<Row> rows = {
        {"all empty", Profile("", ""), "", true, "Please input the Connection Name."},
        {"no host", Profile("x", ""), "3306", true, "Please input the Host name or IP address."},
        {"port empty", Profile("x"), "", true, "Please input a number between 1 and 65535."},
        {"port 0", Profile("x"), "0", true, "Please input a number between 1 and 65535."},
        {"port 65536", Profile("x"), "65536", true, "Please input a number between 1 and 65535."},
        {"port huge", Profile("x"), "99999999999999999999", true, "Please input a number between 1 and 65535."},
        {"port sign", Profile("x"), "+80", true, "Please input a number between 1 and 65535."},
        {"port blank", Profile("x"), "33 06", true, "Please input a number between 1 and 65535."},
        {"port 1", Profile("x"), "1", true, ""},
        {"port 65535", Profile("x"), "65535", true, ""},
        {"saved password without user", noUser, "3306", true, "Please input the username."},
        {"saved password empty", noPassword, "3306", true, "Please input the password."},
        {"password not saved", notSaved, "3306", true, ""},
        {"duplicate name", Profile("Office"), "3306", true, "The connection name already exists!"},
        {"name differs in case", Profile("office"), "3306", true, ""},
        {"editing keeps its name", Profile("Office"), "3306", false, ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(CheckServerProfile(row.profile, row.port, row.isNew, list), row.message) << row.name;
    EXPECT_EQ(DisplayedPort(0), 3306);
    EXPECT_EQ(DisplayedPort(65536), 3306);
    EXPECT_EQ(DisplayedPort(3307), 3307);
}

std::string CurrentProfileBytes(const ServerConnection& p)
{
    ByteBuilder b;
    b.str(p.connectionName, 0x6E).str(p.host, 0x6E).i32(p.port).str(p.user, 0x6E).str(p.password, 0x6E);
    b.str(p.database, 0x6E).str(p.comment, 0x6E).u8s({p.savePassword, p.useCompression, p.useSsl, p.reserved});
    return b.bytes();
}

TEST(ServerListFile, CurrentLayoutByteForByteAndRoundTrip)
{
    test::TempDir dir;
    const auto path = dir.path() / "myserver.dll";
    ServerList list;
    ASSERT_TRUE(SaveServerListFile(path, list).ok());
    EXPECT_EQ(ReadAll(path), std::string("\xE0\xF9\xBD\xCA", 4)) << "an empty list is the magic alone";

    list.add({"Office", "10.0.0.5", 3307, "me", "pw", "shop", "note", 1, 1, 0, 0});
    list.add({"Lab", "lab", 3306, "root", "", "", "", 0, 0, 1, 0});
    ASSERT_TRUE(SaveServerListFile(path, list).ok());
    const std::string bytes = ReadAll(path);
    EXPECT_EQ(bytes,
        ByteBuilder()
            .u32(0xCABDF9E0u)
            .raw(CurrentProfileBytes(list.profiles()[0]))
            .raw(CurrentProfileBytes(list.profiles()[1]))
            .bytes());
    struct stat info
    { };
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);

    ServerList loaded;
    loaded.add(Profile("stale"));
    ASSERT_TRUE(LoadServerListFile(path, loaded).ok());
    EXPECT_EQ(loaded.profiles(), list.profiles());
    EXPECT_FALSE(ServerListNeedsUpgrade(path));
}

std::string LegacyProfile(const char* host, int port, const char* user, const char* password)
{
    return ByteBuilder()
        .str(host, 0x27)
        .i32(port)
        .str(user, 0x27)
        .str(password, 0x27)
        .str("db", 0x27)
        .str("c", 0x27)
        .u8s({1, 0, 1})
        .bytes();
}

TEST(ServerListFile, LegacyFileWithTwoProfilesIsUpgraded)
{
    test::TempDir dir;
    const auto path = dir.path() / "myserver.dll";
    WriteAll(path,
        ByteBuilder()
            .u32(0xBFDFAEBAu)
            .raw(LegacyProfile("alpha", 3306, "root", "x"))
            .raw(LegacyProfile("beta", 3310, "bob", ""))
            .bytes());
    ASSERT_TRUE(ServerListNeedsUpgrade(path));
    ServerList list;
    ASSERT_TRUE(LoadServerListFile(path, list).ok());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(*list.at(0), (ServerConnection {"alpha", "alpha", 3306, "root", "x", "db", "c", 1, 0, 1, 0}));
    EXPECT_EQ(*list.at(1), (ServerConnection {"beta", "beta", 3310, "bob", "", "db", "c", 1, 0, 1, 0}));

    ASSERT_TRUE(SaveServerListFile(path, list).ok());
    EXPECT_FALSE(ServerListNeedsUpgrade(path));
    ServerList again;
    ASSERT_TRUE(LoadServerListFile(path, again).ok());
    EXPECT_EQ(again.profiles(), list.profiles());
}

TEST(ServerListFile, BrokenFilesLeaveAnEmptyList)
{
    test::TempDir dir;
    const std::string legacy = ByteBuilder().u32(0xBFDFAEBAu).raw(LegacyProfile("alpha", 1, "u", "p")).bytes();
    ServerList current;
    current.add({"Office", "10.0.0.5", 3307, "me", "pw", "shop", "note", 1, 1, 0, 0});
    const std::string good = SerializeServerList(current);
    struct Row
    {
        const char* name;
        std::string bytes;
        bool needsUpgrade;
    };
    std::vector<Row> rows = {
        {"foreign magic", ByteBuilder().u32(0x12345678).raw(LegacyProfile("a", 1, "u", "p")).bytes(), true},
        {"negative length", ByteBuilder().u32(0xCABDF9E0u).i32(-1).bytes(), false},
        {"short header", "\xE0\xF9", false},
    };
    for (std::size_t size = 5; size < good.size(); ++size)
        rows.push_back({"current cut short", good.substr(0, size), false});
    for (std::size_t size = 5; size < legacy.size(); ++size)
        rows.push_back({"legacy cut short", legacy.substr(0, size), false});
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.name) + ", " + std::to_string(row.bytes.size()) + " bytes");
        const auto path = dir.path() / "myserver.dll";
        WriteAll(path, row.bytes);
        ServerList list;
        list.add(Profile("stale"));
        EXPECT_FALSE(LoadServerListFile(path, list).ok());
        EXPECT_TRUE(list.empty());
        EXPECT_EQ(ServerListNeedsUpgrade(path), row.needsUpgrade);
    }
    ServerList list;
    EXPECT_FALSE(LoadServerListFile(dir.path() / "missing.dll", list).ok());
    EXPECT_FALSE(ServerListNeedsUpgrade(dir.path() / "missing.dll"));
    EXPECT_FALSE(LoadServerListFile(dir.path(), list).ok());
    EXPECT_FALSE(ServerListNeedsUpgrade(dir.path()));
}

} // namespace
} // namespace kelvanto
