// The task checks: every rule once through the core function, then a few rows through each
// way in (the control socket's import, the task commands of the window and the command
// line), so that the ways in cannot drift apart from the core.
#include "app/TaskChecks.h"

#include "app/Application.h"
#include "app/ControlCommands.h"
#include "app/ControlHandler.h"
#include "app/ControlProtocol.h"
#include "app/TaskCommands.h"
#include "app/TaskFolderChecks.h"
#include "app/TaskJson.h"
#include "app/TaskNotices.h"
#include "schedule/TaskServerOwner.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace kelvanto
{
namespace
{

Task ValidTask(TaskType type)
{
    Task task;
    task.name = "Nightly";
    task.type = type;
    task.backupSettings.backupFolder = "/srv/backups/";
    task.exportSettings.directory = "/srv/exports/";
    return task;
}

// A backup into a file per table with the format, `chosen` databases chosen of three, and
// every new database joining when `newDatabases`.
void PerTable(Task& task, const char* format, int chosen, bool newDatabases)
{
    task.backupSettings.fileSplit = 3;
    task.backupSettings.fileNameFormat = format;
    task.backupSettings.allNewDatabases = newDatabases ? 1 : 0;
    for (int i = 0; i < 3; ++i)
        task.databases.push_back(
            DatabaseItem {static_cast<std::uint8_t>(i < chosen ? 2 : 0), "db" + std::to_string(i), {}});
}

struct CheckRow
{
    const char* label;
    TaskType type;
    std::function<void(Task&)> change;
    const char* field; // "" when the task passes
    std::string message;
};

const std::vector<CheckRow>& Rows()
{
    using T = TaskType;
    static const std::vector<CheckRow> rows = {
        {"a valid backup", T::BackupToFiles, [](Task&) {}, "", ""},
        {"every type is known", T::BackupToFiles, [](Task& t) { t.type = static_cast<TaskType>(9); }, "type",
            "must be a task type from 1 to 8"},
        {"name missing", T::BackupToFiles, [](Task& t) { t.name.clear(); }, "name", kNameMissing},
        {"name with a line end", T::BackupToFiles, [](Task& t) { t.name = "a\nb"; }, "name", kNameControlCharacters},
        {"name with NUL", T::BackupToFiles, [](Task& t) { t.name = std::string("a\0b", 3); }, "name",
            kNameControlCharacters},
        {"name with DEL", T::BackupToFiles, [](Task& t) { t.name = "a\x7f"; }, "name", kNameControlCharacters},
        {"name of 200 bytes", T::BackupToFiles, [](Task& t) { t.name.assign(200, 'x'); }, "", ""},
        {"name of 100 two-byte letters", T::BackupToFiles,
            [](Task& t) {
                t.name.clear();
                for (int i = 0; i < 100; ++i)
                    t.name += "\xc3\xa9";
            },
            "", ""},
        {"name of 201 bytes", T::BackupToFiles, [](Task& t) { t.name.assign(201, 'x'); }, "name", kNameTooLong},
        {"port 0", T::BackupToFiles, [](Task& t) { t.source.port = 0; }, "source.port", kBadPort},
        {"port -1", T::BackupToFiles, [](Task& t) { t.source.port = -1; }, "source.port", kBadPort},
        {"port 65536", T::BackupToFiles, [](Task& t) { t.source.port = 65536; }, "source.port", kBadPort},
        {"ports 1 and 65535", T::BackupToServer,
            [](Task& t) {
                t.source.port = 1;
                t.destination.port = 65535;
            },
            "", ""},
        {"host missing", T::ExecuteScript, [](Task& t) { t.source.host.clear(); }, "source.host", kInputHost},
        {"an unused destination is not looked at", T::BackupToFiles, [](Task& t) { t.destination.port = 70000; }, "",
            ""},
        {"a used destination is", T::RestoreFromFiles, [](Task& t) { t.destination.port = 70000; }, "destination.port",
            kBadPort},
        {"hour 24", T::BackupToFiles,
            [](Task& t) {
                t.schedule.kind = ScheduleKind::EveryDay;
                t.schedule.hour = 24;
            },
            "schedule.hour", "Please choose the hour of the run time."},
        {"minute 60", T::BackupToFiles,
            [](Task& t) {
                t.schedule.kind = ScheduleKind::EveryMonth;
                t.schedule.monthDays[0] = 1;
                t.schedule.minute = 60;
            },
            "schedule.minute", "Please choose the minute of the run time."},
        {"an interval of 0", T::BackupToFiles,
            [](Task& t) {
                t.schedule.kind = ScheduleKind::TimeInterval;
                t.schedule.intervalMinutes = 0;
            },
            "schedule.intervalMinutes", "Please input a number between 1 and 99999."},
        {"an interval of 100000", T::BackupToFiles,
            [](Task& t) {
                t.schedule.kind = ScheduleKind::TimeInterval;
                t.schedule.intervalMinutes = 100000;
            },
            "schedule.intervalMinutes", "Please input a number between 1 and 99999."},
        {"a Manual task's unused interval", T::BackupToFiles, [](Task& t) { t.schedule.intervalMinutes = 0; }, "", ""},
        {"no weekday: waits, never due", T::BackupToFiles, [](Task& t) { t.schedule.kind = ScheduleKind::EveryWeek; },
            "", ""},
        {"a month day flag of 2", T::BackupToFiles,
            [](Task& t) {
                t.schedule.kind = ScheduleKind::EveryMonth;
                t.schedule.monthDays[30] = 2;
            },
            "schedule.monthDays", kBadDayFlags},
        {"29 February of a common year", T::BackupToFiles,
            [](Task& t) {
                t.schedule.kind = ScheduleKind::SpecialDate;
                t.schedule.specialYear = 2027;
                t.schedule.specialMonth = 2;
                t.schedule.specialDay = 29;
            },
            "schedule.specialDay", kInvalidDate},
        {"29 February of a leap year, repeated yearly", T::BackupToFiles,
            [](Task& t) {
                t.schedule.kind = ScheduleKind::SpecialDate;
                t.schedule.specialYear = 2028;
                t.schedule.specialMonth = 2;
                t.schedule.specialDay = 29;
                t.schedule.repeatDays = 1000;
            },
            "", ""},
        {"schedule kind 6", T::BackupToFiles, [](Task& t) { t.schedule.kind = static_cast<ScheduleKind>(6); },
            "schedule.kind", "must be a schedule kind from 0 to 5"},
        {"a format that climbs out", T::BackupToFiles,
            [](Task& t) { t.backupSettings.fileNameFormat = "../../x/%DATE%"; }, "backupSettings.fileNameFormat",
            kBadFormatCharacters},
        {"a format with NUL", T::BackupToFiles,
            [](Task& t) { t.backupSettings.fileNameFormat = std::string("a\0%DATE%", 8); },
            "backupSettings.fileNameFormat", kBadFormatCharacters},
        {"a format that is ..", T::BackupToFiles, [](Task& t) { t.backupSettings.fileNameFormat = ".."; },
            "backupSettings.fileNameFormat", kFormatIsFolderName},
        {"a format without %DATABASE% for a file per database", T::BackupToFiles,
            [](Task& t) { t.backupSettings.fileSplit = 2; }, "backupSettings.fileNameFormat", kNeedDatabaseInFormat},
        {"a relative folder", T::BackupToFiles, [](Task& t) { t.backupSettings.backupFolder = "backups/"; },
            "backupSettings.backupFolder", kInvalidFolder},
        {"a folder with ..", T::BackupToFiles, [](Task& t) { t.backupSettings.backupFolder = "/srv/../etc/"; },
            "backupSettings.backupFolder", kInvalidFolder},
        {"a folder not set yet", T::BackupToFiles, [](Task& t) { t.backupSettings.backupFolder.clear(); }, "", ""},
        {"a relative single file", T::BackupToFiles,
            [](Task& t) {
                t.backupSettings.fileMode = 1;
                t.backupSettings.singleFilePath = "dump.sql";
            },
            "backupSettings.singleFilePath", kInvalidFile},
        {"split 4", T::BackupToFiles, [](Task& t) { t.backupSettings.fileSplit = 4; }, "backupSettings.fileSplit",
            "must be 1 (one file), 2 (a file per database) or 3 (a file per table)"},
        {"keeping 0 days", T::BackupToFiles, [](Task& t) { t.backupSettings.autoDelete = 1; },
            "backupSettings.autoDeleteLimit", kBadKeepingDays},
        {"keeping 10001 copies", T::BackupToFiles,
            [](Task& t) {
                t.backupSettings.autoDelete = 2;
                t.backupSettings.autoDeleteLimit = 10001;
            },
            "backupSettings.autoDeleteLimit", kBadCopies},
        {"a relative export directory", T::ExportTables, [](Task& t) { t.exportSettings.directory = "out"; },
            "exportSettings.directory", kInvalidDirectory},
        {"a relative restore file", T::RestoreFromFiles,
            [](Task& t) {
                t.restoreFiles.resize(2);
                t.restoreFiles[0].path = "/srv/a.sql";
                t.restoreFiles[1].path = "b.sql";
            },
            "restoreFiles[1].path", kInvalidFile},
        {"a file per table of two databases without %DATABASE%", T::BackupToFiles,
            [](Task& t) { PerTable(t, "%HOST%_%TABLE%_%DATE%", 2, false); }, "backupSettings.fileNameFormat",
            kNeedDatabaseForSeveral},
        {"a file per table of one database without %DATABASE%", T::BackupToFiles,
            [](Task& t) { PerTable(t, "%HOST%_%TABLE%_%DATE%", 1, false); }, "", ""},
        {"a file per table of one database and every new one without %DATABASE%", T::BackupToFiles,
            [](Task& t) { PerTable(t, "%HOST%_%TABLE%_%DATE%", 1, true); }, "backupSettings.fileNameFormat",
            kNeedDatabaseForSeveral},
        {"a file per table of three databases with %DATABASE%", T::BackupToFiles,
            [](Task& t) { PerTable(t, "%DATABASE%_%TABLE%", 3, true); }, "", ""},
        {"always the same file, whatever the unused format", T::BackupToFiles,
            [](Task& t) {
                PerTable(t, "%TABLE%", 3, true);
                t.backupSettings.fileMode = 1;
                t.backupSettings.singleFilePath = "/srv/all.sql";
            },
            "", ""},
        {"a connect time-out of 0 (none) is refused", T::BackupToFiles, [](Task& t) { t.extras.timeouts.connect = 0; },
            "extras.connectTimeout", "must be a number of seconds from 1 to 3600"},
        {"a lock wait past the server's limit", T::BackupToFiles,
            [](Task& t) { t.extras.timeouts.lockWait = 31536001; }, "extras.lockWaitTimeout",
            "must be a number of seconds from 1 to 31536000"},
        {"a negative write time-out", T::ExportTables, [](Task& t) { t.extras.timeouts.write = -1; },
            "extras.writeTimeout", "must be a number of seconds from 0 to 86400 (0: none)"},
        {"a read time-out that ends a lock wait (the default one)", T::BackupToServer,
            [](Task& t) { t.extras.timeouts.read = 600; }, "extras.readTimeout",
            "must be longer than the lock wait (extras.lockWaitTimeout, 600 s), or 0 for none: a statement that "
            "waits for a lock would otherwise end as a lost connection"},
        {"a read time-out of a script, with a shorter lock wait", T::ExecuteScript,
            [](Task& t) {
                t.extras.timeouts.read = 2;
                t.extras.timeouts.lockWait = 1;
            },
            "", ""},
        {"a lock wait longer than the default read time-out", T::ExportTables,
            [](Task& t) { t.extras.timeouts.lockWait = 900; }, "extras.readTimeout",
            "must be longer than the lock wait (extras.lockWaitTimeout, 900 s), or 0 for none: a statement that "
            "waits for a lock would otherwise end as a lost connection"},
        {"the same lock wait with no read time-out, as a restore has", T::RestoreFromFiles,
            [](Task& t) { t.extras.timeouts.lockWait = 900; }, "", ""},
    };
    return rows;
}

Task RowTask(const CheckRow& row)
{
    Task task = ValidTask(row.type);
    row.change(task);
    return task;
}

TEST(TaskChecks, EveryRuleOnceThroughTheCore)
{
    for (const CheckRow& row : Rows()) {
        SCOPED_TRACE(row.label);
        const auto fault = CheckTask(RowTask(row));
        if (std::string(row.field).empty()) {
            EXPECT_FALSE(fault) << fault->Text();
            continue;
        }
        ASSERT_TRUE(fault);
        EXPECT_EQ(fault->field, row.field);
        EXPECT_EQ(fault->message, row.message);
    }
}

std::function<void(Task&)> Compressed(Compression compression, std::int32_t level)
{
    return [=](Task& t) {
        t.extras.compression = compression;
        t.extras.compressionLevel = level;
    };
}

// Compression levels: each library's range, 0 its default; tasks that write no compressed
// file are not refused for a leftover.
TEST(TaskChecks, CompressionLevelsWithinTheirLibrarysRange)
{
    using T = TaskType;
    const CheckRow rows[] = {
        {"gzip level 0", T::BackupToFiles, Compressed(Compression::Gzip, 0), "", ""},
        {"gzip level 9", T::ExportTables, Compressed(Compression::Gzip, 9), "", ""},
        {"gzip level 10", T::BackupToFiles, Compressed(Compression::Gzip, 10), "extras.compressionLevel",
            "must be from 0 to 9 for gzip (0: its default level)"},
        {"gzip level -1", T::ExportTables, Compressed(Compression::Gzip, -1), "extras.compressionLevel",
            "must be from 0 to 9 for gzip (0: its default level)"},
        {"zstd level 22", T::BackupToFiles, Compressed(Compression::Zstd, 22), "", ""},
        {"zstd level -131072", T::BackupToFiles, Compressed(Compression::Zstd, -131072), "", ""},
        {"zstd level 23", T::BackupToFiles, Compressed(Compression::Zstd, 23), "extras.compressionLevel",
            "must be from -131072 to 22 for zstd (0: its default level)"},
        {"no compression, any level", T::BackupToFiles, Compressed(Compression::None, 99), "", ""},
        {"gzip level 10 of a script", T::ExecuteScript, Compressed(Compression::Gzip, 10), "", ""},
    };
    for (const CheckRow& row : rows) {
        SCOPED_TRACE(row.label);
        const auto fault = CheckTask(RowTask(row));
        if (std::string(row.field).empty()) {
            EXPECT_FALSE(fault) << fault->Text();
            continue;
        }
        ASSERT_TRUE(fault);
        EXPECT_EQ(fault->field, row.field);
        EXPECT_EQ(fault->message, row.message);
    }
}

// Keeps the replies a handler writes.
class RecordingSession final : public ControlSession
{
public:
    bool Send(const Json& message) override
    {
        replies.push_back(message);
        return true;
    }
    bool Ended() const override { return false; }

    std::vector<Json> replies;
};

// The ways in, on a real data folder.
class TaskChecksWaysIn : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto folder = DataFolder::Prepare(tmp.path() / "data");
        ASSERT_TRUE(folder.ok());
        auto opened = Application::Open(*folder, clock, EngineTable {});
        ASSERT_TRUE(opened.ok()) << opened.error();
        app = std::move(*opened);
        commands = std::make_unique<TaskCommands>(*app, &owner);
        control = std::make_unique<ControlCommands>(*app, *commands, notices, "test", ControlCommands::Executor {});
    }

    std::size_t TaskCount() { return app->TaskCount(); }

    test::TempDir tmp;
    std::shared_ptr<test::FakeClock> clock = std::make_shared<test::FakeClock>(TimeStamp {2026, 12, 7, 9, 0, 0, 1});
    TaskServerOwner owner;
    TaskNotices notices;
    std::unique_ptr<Application> app;
    std::unique_ptr<TaskCommands> commands;
    std::unique_ptr<ControlCommands> control;
};

// A few rows of the table through each way in: the socket's import (which the command
// line's "task import" sends) names the field and changes nothing; the window's and the
// command line's create, edit and rename refuse with the wizard's message.
TEST_F(TaskChecksWaysIn, TheWaysInRefuseWhatTheCoreRefuses)
{
    const std::size_t picks[] = {3, 9, 18, 26, 30, 39};
    for (std::size_t pick : picks) {
        const CheckRow& row = Rows().at(pick);
        SCOPED_TRACE(row.label);
        ASSERT_NE(std::string(row.field), "");
        const Task task = RowTask(row);

        ControlRequest request;
        request.command = "task-import";
        request.objects["task"] = TaskToJsonValue(task);
        RecordingSession session;
        control->Handle(request, session);
        ASSERT_EQ(session.replies.size(), 1u);
        EXPECT_EQ(session.replies[0].value("ok", true), false);
        const std::string field = row.field;
        EXPECT_EQ(session.replies[0].value("error", ""), field == "name" ? row.message : field + ": " + row.message);
        EXPECT_EQ(TaskCount(), 0u);

        const auto created = commands->CreateTask(task, false);
        ASSERT_FALSE(created.ok());
        EXPECT_EQ(created.error(), row.message);
        EXPECT_EQ(TaskCount(), 0u);

        auto good = commands->CreateTask(ValidTask(row.type), false);
        ASSERT_TRUE(good.ok()) << good.error();
        const Task stored = *app->CopyOfTask(*good);
        const auto edit = commands->EditTask(*good, task);
        ASSERT_FALSE(edit.ok());
        EXPECT_EQ(edit.error(), row.message);
        EXPECT_EQ(*app->CopyOfTask(*good), stored);
        commands->DeleteTasks({*good});
    }
    ASSERT_TRUE(commands->CreateTask(ValidTask(TaskType::BackupToFiles), false).ok());
    const auto renamed = commands->RenameTask(0, std::string(201, 'n'));
    ASSERT_FALSE(renamed.ok());
    EXPECT_EQ(renamed.error(), kNameTooLong);
    EXPECT_EQ(app->CopyOfTask(0)->name, "Nightly");
}

// The control socket tells the folder before the first run: an import into a folder that
// cannot be written yet is kept with a warning; the system service (its unit sets
// KELVANTO_SERVICE=system) refuses an import into its private /tmp, and neither starts nor
// runs a stored task that writes there. (The test's folders are below /tmp themselves: the
// warnings are asked of a scheduler that is not the system service.)
TEST_F(TaskChecksWaysIn, TheFolderIsToldBeforeTheFirstRun)
{
    struct SystemService
    {
        SystemService() { ::setenv("KELVANTO_SERVICE", "system", 1); }
        ~SystemService() { ::unsetenv("KELVANTO_SERVICE"); }
    };
    ASSERT_FALSE(RunsAsSystemService());
    const auto send = [&](const std::string& command, const std::string& key, const Json& value) {
        ControlRequest request;
        request.command = command;
        if (value.is_string())
            request.texts[key] = value.get<std::string>();
        else
            request.objects[key] = value;
        RecordingSession session;
        control->Handle(request, session);
        return session.replies.empty() ? Json() : session.replies.front();
    };
    const auto folderTask = [](const std::string& name, const std::string& folder) {
        Task task = ValidTask(TaskType::BackupToFiles);
        task.name = name;
        task.backupSettings.backupFolder = folder;
        return TaskToJsonValue(task);
    };

    const std::string missing = (tmp.path() / "no" / "such").string();
    const Json warned = send("task-import", "task", folderTask("Missing", missing + "/"));
    EXPECT_EQ(warned.value("ok", false), true) << warned;
    EXPECT_EQ(warned.value("warning", ""),
        "backupSettings.backupFolder: Invalid folder!\nThe folder does not exist: " + missing);
    const Json clean = send("task-import", "task", folderTask("Writable", tmp.path().string()));
    EXPECT_EQ(clean.value("ok", false), true) << clean;
    EXPECT_FALSE(clean.contains("warning")) << clean;
    EXPECT_EQ(TaskCount(), 2u);

    SystemService service;
    ASSERT_TRUE(RunsAsSystemService());
    const Json refused = send("task-import", "task", folderTask("Temporary", "/var/tmp/backups/"));
    EXPECT_EQ(refused.value("ok", true), false);
    EXPECT_EQ(refused.value("error", "").rfind("backupSettings.backupFolder: Invalid folder!\n", 0), 0u) << refused;
    EXPECT_EQ(TaskCount(), 2u);

    // A task that came in another way (the window, an older list) is neither started nor run.
    Task stored = ValidTask(TaskType::BackupToFiles);
    stored.name = "Stored";
    stored.backupSettings.backupFolder = "/tmp/backups/";
    stored.schedule.kind = ScheduleKind::EveryDay;
    ASSERT_TRUE(commands->CreateTask(stored, false).ok());
    for (const char* command : {"start", "run"}) {
        SCOPED_TRACE(command);
        const Json reply = send(command, "name", "Stored");
        EXPECT_EQ(reply.value("ok", true), false) << reply;
        EXPECT_NE(reply.value("error", "").find("ReadWritePaths="), std::string::npos) << reply;
    }
}

} // namespace
} // namespace kelvanto
