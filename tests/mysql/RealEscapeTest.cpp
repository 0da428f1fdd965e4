#include "mysql/RealEscape.h"
#include "mysql/MySqlLibrary.h"

#include <mysql.h>

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace kelvanto
{
namespace
{

struct CloseHandle
{
    void operator()(MYSQL* handle) const { mysql_close(handle); }
};

// What the library itself makes of `value` on `handle`: the result to match byte for byte.
std::string LibraryEscaped(MYSQL* handle, const std::string& value)
{
    std::string out(value.size() * 2 + 1, '\0');
    const unsigned long written = mysql_real_escape_string(handle, out.data(), value.data(), value.size());
    if (written == static_cast<unsigned long>(-1))
        return {};
    out.resize(written);
    return out;
}

std::vector<std::string> Samples()
{
    std::vector<std::string> samples = {
        "", "plain text 123", "O'Brien \"quoted\" back\\slash", std::string("nul\0byte", 8),
        "line\nfeed\rreturn\x1a"
        "control-z",
        "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", // two, three and four byte characters
        "\xc3", // a lead byte at the end
        "\xc3'", // a lead byte before an apostrophe
        "\xe2\x82'\\", // a cut three-byte character before escapes
        "\x80\xbf\xfe\xff", // bytes that never start a character
        "\xed\xa0\x80", // an encoded surrogate
        "\xf4\x90\x80\x80", // beyond U+10FFFF
        "\xc0\xaf", // an overlong slash
        "\x81\x5c\x27", // a double-byte character ending in a backslash byte (GBK, Shift-JIS)
        "\xbf\x27 OR 1=1", // the classic GBK apostrophe
    };
    // Random bytes (binary column values) weighted towards the bytes that matter, and random
    // text of whole characters of every length, longer than one block of the scan.
    std::mt19937 random(20240601);
    const std::string special = std::string("'\"\\\n\r\x1a\0", 7) + "\x80\xbf\xc2\xc3\xe0\xe2\xed\xef\xf0\xf4\xff";
    const std::string pieces[] = {"a", "Z 9", "'", "\\", "\n", "\xc3\xa9", "\xdf\xbf", "\xe2\x82\xac", "\xef\xbf\xbf",
        "\xf0\x9f\x98\x80", "\xf4\x8f\xbf\xbf", "\xed\x9f\xbf", "\xe0\xa0\x80"};
    for (int n = 0; n < 2000; ++n) {
        std::string value;
        const int length = static_cast<int>(random() % 70);
        for (int i = 0; i < length; ++i) {
            if (n % 2 == 0)
                value += random() % 3 == 0 ? special[random() % special.size()] : static_cast<char>(random() % 256);
            else
                value += pieces[random() % std::size(pieces)];
        }
        samples.push_back(value);
    }
    return samples;
}

TEST(RealEscape, MatchesTheLibraryInEveryCharacterSetAndMode)
{
    InitMySqlLibrary();
    std::unique_ptr<MYSQL, CloseHandle> handle(mysql_init(nullptr));
    ASSERT_TRUE(handle);
    const std::vector<std::string> samples = Samples();
    for (const char* name : {"utf8mb4", "utf8mb3", "utf8", "latin1", "binary", "ascii", "gbk", "sjis", "big5"}) {
        const MARIADB_CHARSET_INFO* charset = mariadb_get_charset_by_name(name);
        if (!charset)
            continue;
        for (const bool noBackslashEscapes : {false, true}) {
            SCOPED_TRACE(std::string(name) + (noBackslashEscapes ? " without backslash escapes" : ""));
            handle->charset = charset;
            handle->server_status = noBackslashEscapes ? SERVER_STATUS_NO_BACKSLASH_ESCAPES : 0;
            for (const std::string& value : samples) {
                std::string out = "prefix";
                AppendRealEscaped(handle.get(), out, value);
                ASSERT_EQ(out, "prefix" + LibraryEscaped(handle.get(), value))
                    << "value of " << value.size() << " bytes";
            }
        }
    }
    // The common cases spelled out, so that a library that changed its rules shows here too.
    handle->charset = mariadb_get_charset_by_name("utf8mb4");
    handle->server_status = 0;
    std::string out;
    AppendRealEscaped(handle.get(), out, std::string("a'b\"c\\d\ne\rf\x1ag\0h\xc3\xa9", 17));
    EXPECT_EQ(out, std::string("a\\'b\\\"c\\\\d\\ne\\rf\\Zg\\0h\xc3\xa9"));
    handle->server_status = SERVER_STATUS_NO_BACKSLASH_ESCAPES;
    out.clear();
    AppendRealEscaped(handle.get(), out, "it's a\\b");
    EXPECT_EQ(out, "it''s a\\b");
}

} // namespace
} // namespace kelvanto
