// The time-outs of a run's connections: the defaults of every task type, and a task's own
// settings over them (an unset one keeps its default, 0 turns a read or write time-out off).
#include "model/ConnectionTimeouts.h"

#include <gtest/gtest.h>

namespace kelvanto
{
namespace
{

TEST(ConnectionTimeouts, EachTaskTypeHasItsDefaultsAndATaskItsOwn)
{
    struct Row
    {
        TaskType type;
        TimeoutSettings set;
        ConnectionTimeouts expected;
    };
    const TimeoutSettings none;
    const TimeoutSettings own {5, 0, 60, 120};
    const TimeoutSettings readOnly {std::nullopt, 30, std::nullopt, std::nullopt};
    const Row rows[] = {
        // Reading tasks wait for their server 900 s at most; a script's or a restore's long
        // statements are not cut short.
        {TaskType::BackupToFiles, none, {30, 900, 900, 600}},
        {TaskType::BackupToServer, none, {30, 900, 900, 600}},
        {TaskType::BackupToDatabase, none, {30, 900, 900, 600}},
        {TaskType::ExportTables, none, {30, 900, 900, 600}},
        {TaskType::RestoreFromServer, none, {30, 900, 900, 600}},
        {TaskType::RestoreFromDatabase, none, {30, 900, 900, 600}},
        {TaskType::ExecuteScript, none, {30, 0, 0, 600}},
        {TaskType::RestoreFromFiles, none, {30, 0, 0, 600}},
        {TaskType::BackupToFiles, own, {5, 0, 60, 120}},
        {TaskType::RestoreFromFiles, own, {5, 0, 60, 120}},
        {TaskType::ExecuteScript, readOnly, {30, 30, 0, 600}},
        {TaskType::ExportTables, readOnly, {30, 30, 900, 600}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.type));
        const ConnectionTimeouts got = RunTimeouts(row.type, row.set);
        EXPECT_EQ(got.connect, row.expected.connect);
        EXPECT_EQ(got.read, row.expected.read);
        EXPECT_EQ(got.write, row.expected.write);
        EXPECT_EQ(got.lockWait, row.expected.lockWait);
    }
    // Outside a run (the wizard, server test) the server's own lock wait holds.
    EXPECT_EQ(InteractiveTimeouts(), (ConnectionTimeouts {30, 900, 900, 0}));
}

} // namespace
} // namespace kelvanto
