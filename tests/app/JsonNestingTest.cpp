// The nesting limit of every JSON text the program reads: a task, a request on the control
// socket, the extras file, a manifest. At the limit a text is read; one level deeper, and
// at any depth beyond (65,000 levels overflowed the stack before), it is refused with a
// clear error and nothing is parsed.
#include "model/JsonNesting.h"
#include "app/ControlProtocol.h"
#include "app/JsonText.h"
#include "app/TaskExtrasFile.h"
#include "app/TaskJson.h"
#include "engines/backupset/BackupManifest.h"

#include <gtest/gtest.h>

namespace kelvanto
{
namespace
{

std::string Nested(std::size_t levels, const std::string& inside = "")
{
    return std::string(levels, '[') + inside + std::string(levels, ']');
}

TEST(JsonNesting, TheScanCountsOnlyBracketsOutsideStrings)
{
    struct Row
    {
        const char* name;
        std::string text;
        std::size_t limit;
        std::optional<std::size_t> beyond;
    };
    const Row rows[] = {
        {"empty", "", 0, std::nullopt},
        {"a number", "5", 0, std::nullopt},
        {"one level at a limit of one", "[]", 1, std::nullopt},
        {"one level at a limit of none", "[]", 0, 0},
        {"objects count as arrays do", R"({"a": {"b": []}})", 2, 12},
        {"siblings do not add up", "[[],[],{}]", 2, std::nullopt},
        {"brackets in a string", R"(["[[[{{{"])", 1, std::nullopt},
        {"an escaped quote keeps the string open", R"(["\"[[", []])", 1, 9},
        {"an escaped backslash closes it", R"(["\\", [[]]])", 2, 8},
        {"63 levels", Nested(63), kMaxJsonDepth, std::nullopt},
        {"64 levels", Nested(64), kMaxJsonDepth, std::nullopt},
        {"65 levels", Nested(65), kMaxJsonDepth, 64},
        {"65,000 levels", Nested(65000), kMaxJsonDepth, 64},
        {"closed too often", "]]]][[", 1, 5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(JsonNestedBeyond(row.text, row.limit), row.beyond);
    }
}

// A task of 63, 64, 65 and 65,000 levels (its comment an array nested to that depth) read
// by import and sent as a request on the socket, which wraps it in one level more.
TEST(JsonNesting, TasksAndRequestsAreReadUpToTheLimitAndRefusedBeyond)
{
    const char* const tooDeep = "arrays and objects nested deeper than ";
    for (const std::size_t depth : {63u, 64u, 65u, 65000u}) {
        SCOPED_TRACE(depth);
        const std::string task = R"({"name": "deep", "comment": )" + Nested(depth - 1) + "}";
        const bool withinLimit = depth <= kMaxJsonDepth;

        const auto read = TaskFromJson(task);
        ASSERT_FALSE(read.ok());
        if (withinLimit)
            EXPECT_EQ(read.error(), R"(comment: must be a text or {"hex": "..."})");
        else
            EXPECT_EQ(
                read.error(), std::string(tooDeep) + "64 levels (at byte " + std::to_string(task.find('[') + 63) + ")");

        const auto request = ParseControlRequest(R"({"v": 1, "cmd": "task-import", "task": )" + task + "}");
        if (withinLimit) {
            ASSERT_TRUE(request.ok()) << request.error();
            EXPECT_EQ(TaskFromJsonValue(request->objects.at("task")).error(), read.error());
        } else {
            ASSERT_FALSE(request.ok());
            EXPECT_EQ(request.error().rfind(std::string(tooDeep) + "65 levels", 0), 0u) << request.error();
        }
    }
}

TEST(JsonNesting, TheExtrasFileAndAManifestNestedTooDeepAreRefused)
{
    for (const std::size_t depth : {65u, 65000u}) {
        SCOPED_TRACE(depth);
        const std::string deep = Nested(depth - 2);
        const auto read = ParseTaskExtras(R"({"version": 1, "tasks": [)" + deep + "]}", "tasks_extras.json");
        EXPECT_EQ(read.remains.damage.rfind("tasks_extras.json: arrays and objects nested deeper than 64", 0), 0u)
            << read.remains.damage;
        EXPECT_TRUE(read.entries.empty());

        const auto manifest = BackupManifest::FromJson(R"({"format": 1, "files": )" + Nested(depth - 1) + "}");
        ASSERT_FALSE(manifest.ok());
        EXPECT_NE(manifest.error().find("too deep"), std::string::npos) << manifest.error();
    }
    const std::string fine = R"({"version": 1, "tasks": [)" + Nested(62) + "]}";
    EXPECT_TRUE(ParseTaskExtras(fine, "tasks_extras.json").remains.damage.empty());
}

} // namespace
} // namespace kelvanto
