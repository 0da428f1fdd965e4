#include "mysql/SqlNames.h"

#include <gtest/gtest.h>

namespace kelvanto
{
namespace
{

struct NameCase
{
    const char* label;
    std::string name;
    std::string quoted;
    std::string like;
    std::string bare = {}; // with quoting off; "" for the quoted form
};

TEST(SqlNames, QuoteAndLikeEscapeEverySpecialCharacter)
{
    const NameCase cases[] = {
        {"plain", "film", "`film`", "film", "film"},
        {"empty", "", "``", ""},
        {"backquote", "a`b", "`a``b`", "a`b"},
        {"two backquotes", "``", "``````", "``"},
        {"apostrophe", "O'Brien", "`O'Brien`", "O''Brien"},
        {"backslash", "a\\b", "`a\\b`", "a\\\\\\\\b"},
        {"underscore", "film_text", "`film_text`", "film\\_text", "film_text"},
        {"percent", "100%", "`100%`", "100\\%"},
        {"injection", "x' OR '1'='1", "`x' OR '1'='1`", "x'' OR ''1''=''1"},
        {"statement and line end", "t;\nDROP DATABASE y", "`t;\nDROP DATABASE y`", "t;\nDROP DATABASE y"},
        {"digits, '$' and non-ASCII", "r2$\xc3\xa9", "`r2$\xc3\xa9`", "r2$\xc3\xa9", "r2$\xc3\xa9"},
        {"digits only", "2024", "`2024`", "2024"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(QuoteName(c.name, true), c.quoted);
        EXPECT_EQ(QuoteName(c.name, false), c.bare.empty() ? c.quoted : c.bare);
        EXPECT_EQ(LikeLiteral(c.name), c.like);
    }
}

} // namespace
} // namespace kelvanto
