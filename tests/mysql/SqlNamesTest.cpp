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
};

TEST(SqlNames, QuoteAndLikeEscapeEverySpecialCharacter)
{
    const NameCase cases[] = {
        {"plain", "film", "`film`", "film"},
        {"empty", "", "``", ""},
        {"backquote", "a`b", "`a``b`", "a`b"},
        {"two backquotes", "``", "``````", "``"},
        {"apostrophe", "O'Brien", "`O'Brien`", "O''Brien"},
        {"backslash", "a\\b", "`a\\b`", "a\\\\\\\\b"},
        {"underscore", "film_text", "`film_text`", "film\\_text"},
        {"percent", "100%", "`100%`", "100\\%"},
        {"injection", "x' OR '1'='1", "`x' OR '1'='1`", "x'' OR ''1''=''1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(QuoteName(c.name, true), c.quoted);
        EXPECT_EQ(QuoteName(c.name, false), c.name);
        EXPECT_EQ(LikeLiteral(c.name), c.like);
    }
}

} // namespace
} // namespace kelvanto
