// The folder checks made at import and when the service starts: where a task's files go
// (refused below the system service's private /tmp), and whether this process can write
// there, on real folders. TaskChecksTest sends them through the control socket.
#include "app/TaskFolderChecks.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvanto
{
namespace
{

Task FolderTask(TaskType type, const std::string& folder)
{
    Task task;
    task.name = "Nightly";
    task.type = type;
    task.backupSettings.backupFolder = folder;
    task.exportSettings.directory = folder;
    return task;
}

Task SingleFileTask(const std::string& file)
{
    Task task = FolderTask(TaskType::BackupToFiles, "");
    task.backupSettings.fileMode = 1;
    task.backupSettings.singleFilePath = file;
    return task;
}

TEST(TaskFolderChecks, WhereTheSystemServiceMayWrite)
{
    using T = TaskType;
    struct Row
    {
        const char* label;
        Task task;
        bool systemService;
        const char* field; // "" when the folder is accepted
    };
    const Row rows[] = {
        {"a folder below /tmp", FolderTask(T::BackupToFiles, "/tmp/backups/"), true, "backupSettings.backupFolder"},
        {"/tmp itself", FolderTask(T::BackupToFiles, "/tmp"), true, "backupSettings.backupFolder"},
        {"repeated slashes and dots", FolderTask(T::BackupToFiles, "//./tmp//x"), true, "backupSettings.backupFolder"},
        {"/var/tmp", FolderTask(T::BackupToFiles, "/var/tmp/backups"), true, "backupSettings.backupFolder"},
        {"/dev/shm", FolderTask(T::BackupToFiles, "/dev/shm/b"), true, "backupSettings.backupFolder"},
        {"an export below /var/tmp", FolderTask(T::ExportTables, "/var/tmp/out/"), true, "exportSettings.directory"},
        {"a single file in /tmp", SingleFileTask("/tmp/all.sql"), true, "backupSettings.singleFilePath"},
        {"the same for the user service", FolderTask(T::BackupToFiles, "/tmp/backups/"), false, ""},
        {"a name that starts with tmp", FolderTask(T::BackupToFiles, "/tmpfs/backups"), true, ""},
        {"/var/tmpx", FolderTask(T::BackupToFiles, "/var/tmpx/b"), true, ""},
        {"a tmp folder deeper down", FolderTask(T::BackupToFiles, "/srv/tmp/b"), true, ""},
        {"the data folder", FolderTask(T::BackupToFiles, "/var/lib/kelvanto/"), true, ""},
        {"no folder set", FolderTask(T::BackupToFiles, ""), true, ""},
        {"a script task writes no files", FolderTask(T::ExecuteScript, "/tmp/x"), true, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const auto fault = CheckTaskFolderPlace(row.task, row.systemService);
        if (std::string(row.field).empty()) {
            EXPECT_FALSE(fault) << fault->Text();
            continue;
        }
        ASSERT_TRUE(fault);
        EXPECT_EQ(fault->field, row.field);
        EXPECT_NE(fault->message.find("/tmp, /var/tmp and /dev/shm"), std::string::npos) << fault->message;
        EXPECT_NE(fault->message.find("ReadWritePaths="), std::string::npos) << fault->message;
    }
}

// What the user "nobody" finds (when the tests run as root, who may write anywhere), else
// what this user finds.
std::string ProblemForAnotherUser(const std::string& folder)
{
    if (::geteuid() != 0)
        return FolderWriteProblem(folder);
    int channel[2];
    if (::pipe(channel) != 0)
        return "pipe failed";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        const gid_t nobody = 65534;
        std::string problem = ::setgroups(1, &nobody) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0
            ? FolderWriteProblem(folder)
            : std::string("cannot become nobody");
        problem += '\n';
        [[maybe_unused]] const auto written = ::write(channel[1], problem.data(), problem.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!text.empty())
        text.pop_back();
    return text;
}

TEST(TaskFolderChecks, WhetherThisProcessCanWriteThere)
{
    test::TempDir tmp;
    const std::filesystem::path root = tmp.path();
    // Another user must be able to reach the folders below.
    ASSERT_EQ(::chmod(root.c_str(), 0755), 0);
    std::filesystem::create_directories(root / "good");
    std::filesystem::create_directories(root / "locked");
    std::ofstream(root / "file") << "x";
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod((root / "locked").c_str(), 0555), 0);
    }
    const std::string at = root.string() + "/";

    using T = TaskType;
    struct Row
    {
        const char* label;
        Task task;
        const char* field; // "" when the folder can be written
        std::string message;
    };
    const Row rows[] = {
        {"a writable folder", FolderTask(T::BackupToFiles, at + "good/"), "", ""},
        {"a folder that the run makes", FolderTask(T::BackupToFiles, at + "good/new"), "", ""},
        {"a folder whose parent is missing", FolderTask(T::BackupToFiles, at + "missing/new/"),
            "backupSettings.backupFolder", "Invalid folder!\nThe folder does not exist: " + at + "missing/new"},
        {"a file", FolderTask(T::BackupToFiles, at + "file"), "backupSettings.backupFolder",
            "Invalid folder!\nNot a folder: " + at + "file"},
        {"an export directory that is a file", FolderTask(T::ExportTables, at + "file/"), "exportSettings.directory",
            "Invalid directory!\nNot a folder: " + at + "file"},
        {"a single file in a missing folder", SingleFileTask(at + "missing/new/all.sql"),
            "backupSettings.singleFilePath", "Invalid file!\nThe folder does not exist: " + at + "missing/new"},
        {"a single file in a writable folder", SingleFileTask(at + "good/all.sql"), "", ""},
        {"a relative folder is the task checks' to refuse", FolderTask(T::BackupToFiles, "relative/"), "", ""},
        {"no files written", FolderTask(T::ExecuteScript, at + "missing/new"), "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const auto fault = CheckTaskFolderAccess(row.task, false);
        if (std::string(row.field).empty()) {
            EXPECT_FALSE(fault) << fault->Text();
            continue;
        }
        ASSERT_TRUE(fault);
        EXPECT_EQ(fault->field, row.field);
        EXPECT_EQ(fault->message, row.message);
    }

    EXPECT_EQ(ProblemForAnotherUser(at + "locked"), "The folder is not writable: " + at + "locked (Permission denied)");
    EXPECT_EQ(ProblemForAnotherUser(at + "locked/new/"),
        "The folder does not exist, and it cannot be made: The folder is not writable: " + at
            + "locked (Permission denied)");
    EXPECT_EQ(ProblemForAnotherUser(at + "good"),
        ::geteuid() == 0 ? "The folder is not writable: " + at + "good (Permission denied)" : "");
}

} // namespace
} // namespace kelvanto
