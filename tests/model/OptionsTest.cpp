#include "model/OptionsRules.h"
#include "model/OptionsStore.h"

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

Options Custom()
{
    return Options {
        "admin", "p\xe4ss", 1, 0x71, 0x0B, 3, 2, 12, 0, "/srv/backups/", 1, 1, 100000, 1, RunNotices::Failures};
}

std::string CustomBytes()
{
    return ByteBuilder()
        .u32(0xCABDF9E0u)
        .str("admin", 0x6E)
        .str("p\xe4ss", 0x6E)
        .u8(1)
        .u16(0x71)
        .u16(0x0B)
        .u8(3)
        .u8(2)
        .i32(12)
        .u8(0)
        .str("/srv/backups/", 0x6E)
        .u8(1)
        .u8(1)
        .i32(100000)
        .u8(1)
        .bytes();
}

TEST(Options, Defaults)
{
    const Options options;
    EXPECT_EQ(options.hotKeyCode, 77);
    EXPECT_EQ(options.hotKeyModifiers, 6);
    EXPECT_EQ(options.dateFormat, 1);
    EXPECT_EQ(options.timeFormat, 1);
    EXPECT_EQ(options.lastTipIndex, -1);
    EXPECT_EQ(options.showTips, 1);
    EXPECT_FALSE(IsLoginProtected(options));
    EXPECT_EQ(options.logSizeLimited, 0);
    EXPECT_EQ(DefaultBackupFolder("/home/u/.local/share/kelvanto"), "/home/u/.local/share/kelvanto/Data/");
    EXPECT_EQ(DefaultBackupFolder("/data/"), "/data/Data/");
}

TEST(OptionsFile, LayoutByteForByteAndRoundTrip)
{
    EXPECT_EQ(SerializeOptions(Custom()), CustomBytes());
    test::TempDir dir;
    const auto path = dir.path() / "opt_se.dll";
    ASSERT_TRUE(SaveOptionsFile(path, Custom()).ok());
    EXPECT_EQ(ReadAll(path), CustomBytes());
    struct stat info
    { };
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    const LoadedOptions loaded = LoadOptionsFile(path);
    EXPECT_EQ(loaded.origin, OptionsOrigin::File);
    EXPECT_TRUE(loaded.message.empty());
    EXPECT_EQ(loaded.options, Custom());
}

TEST(OptionsFile, AnythingButAWholeFileGivesDefaults)
{
    test::TempDir dir;
    const auto path = dir.path() / "opt_se.dll";
    const std::string good = CustomBytes();
    LoadedOptions missing = LoadOptionsFile(path);
    EXPECT_EQ(missing.origin, OptionsOrigin::Missing);
    EXPECT_EQ(missing.options, Options {});
    EXPECT_FALSE(missing.message.empty());
    EXPECT_EQ(LoadOptionsFile(dir.path()).origin, OptionsOrigin::Unreadable);
    EXPECT_EQ(ParseOptions(ByteBuilder().u32(0xBFDFAEBAu).raw(good.substr(4)).bytes()).origin, OptionsOrigin::Foreign);
    for (std::size_t size = 0; size < good.size(); ++size) {
        SCOPED_TRACE(size);
        const LoadedOptions loaded = ParseOptions(good.substr(0, size));
        EXPECT_EQ(loaded.origin, size < 4 ? OptionsOrigin::Foreign : OptionsOrigin::Damaged);
        EXPECT_EQ(loaded.options, Options {});
    }
    EXPECT_EQ(ParseOptions(good + "trailing").options, Custom());
}

TEST(OptionsFile, TheRunNoticesFollowTheRecordOnlyWhenNotTheDefault)
{
    // The default adds nothing: the file keeps the original record (and an older file, which
    // ends there, reads as the default, as LayoutByteForByteAndRoundTrip shows).
    const std::string record = CustomBytes();
    EXPECT_EQ(SerializeOptions(Custom()).size(), record.size());
    const struct
    {
        RunNotices notices;
        std::string tail;
    } rows[] = {{RunNotices::EveryRun, std::string(1, '\1')}, {RunNotices::Never, std::string(1, '\2')}};
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.notices));
        Options options = Custom();
        options.runNotices = row.notices;
        EXPECT_EQ(SerializeOptions(options), record + row.tail);
        const LoadedOptions back = ParseOptions(record + row.tail);
        EXPECT_EQ(back.origin, OptionsOrigin::File);
        EXPECT_EQ(back.options, options);
    }
    // A value this version does not know leaves the default; the rest of the file stands.
    EXPECT_EQ(ParseOptions(record + std::string(1, '\3')).options, Custom());
    EXPECT_EQ(ParseOptions(record + std::string(1, '\1') + "later fields").options.runNotices, RunNotices::EveryRun);
}

TEST(Options, LoginAndLogSizeRules)
{
    Options options;
    options.loginUser = "Admin";
    EXPECT_TRUE(IsLoginProtected(options));
    EXPECT_TRUE(LoginMatches(options, "Admin", ""));
    EXPECT_FALSE(LoginMatches(options, "admin", ""));
    EXPECT_FALSE(LoginMatches(options, "Admin", " "));
    options.loginPassword = "Pw";
    EXPECT_TRUE(LoginMatches(options, "Admin", "Pw"));
    EXPECT_FALSE(LoginMatches(options, "Admin", "pw"));

    Options passwordOnly;
    passwordOnly.loginPassword = "secret";
    EXPECT_TRUE(IsLoginProtected(passwordOnly));
    NormalizeLogin(passwordOnly);
    EXPECT_TRUE(passwordOnly.loginPassword.empty());
    EXPECT_FALSE(IsLoginProtected(passwordOnly));

    const std::string refused = "Please input the maximum size between 1 and 100000.";
    for (std::int64_t size : {std::int64_t {-1}, std::int64_t {0}, std::int64_t {100001}, std::int64_t {1} << 40})
        EXPECT_EQ(CheckLogMaxSize(size), refused) << size;
    EXPECT_EQ(CheckLogMaxSize(1), "");
    EXPECT_EQ(CheckLogMaxSize(100000), "");

    Options changed = Custom();
    changed.runNotices = RunNotices::Never;
    ResetGeneralOptions(changed);
    ResetBackupAndLogOptions(changed, "/d");
    Options expected = Custom();
    expected.loginUser.clear();
    expected.loginPassword.clear();
    expected.autoRun = 0;
    expected.noShutdownWhileRunning = 0;
    expected.hotKeyCode = 77;
    expected.hotKeyModifiers = 6;
    expected.dateFormat = 1;
    expected.timeFormat = 1;
    expected.runNotices = RunNotices::Failures;
    expected.defaultBackupFolder = "/d/Data/";
    expected.logSizeLimited = 0;
    expected.logMaxSizeKB = 0;
    EXPECT_EQ(changed, expected);

    Options empty;
    ApplyDefaultBackupFolder(empty, "/d");
    EXPECT_EQ(empty.defaultBackupFolder, "/d/Data/");
    ApplyDefaultBackupFolder(changed, "/other");
    EXPECT_EQ(changed.defaultBackupFolder, "/d/Data/");
}

} // namespace
} // namespace kelvanto
