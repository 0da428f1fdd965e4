#pragma once

#include "model/Options.h"
#include "model/Task.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempDir.h"
#include "tests/ui/support/FakeTaskDialogs.h"
#include "tests/ui/support/RecordingHelp.h"
#include "tests/ui/support/RecordingNotifier.h"
#include "tests/ui/support/ScriptedFileDialogs.h"
#include "tests/ui/support/ScriptedMessages.h"
#include "ui/DesktopApp.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kelvanto
{
class MainWindow;
} // namespace kelvanto

namespace kelvanto::test
{

// The desktop program on a private data folder, with every desktop service scripted: the
// message boxes, the file pickers, the manual, the wizard. Its tasks run a fake engine that
// reports progress ("fake.items", 7 of about 10 rows) and logs "Finished" at once, or holds
// the run while `holdRuns` is set; a task whose comment is "fails" logs two Error lines
// instead and fails. Notifications are recorded.
class DesktopHarness
{
public:
    DesktopHarness();
    ~DesktopHarness();
    DesktopHarness(const DesktopHarness&) = delete;
    DesktopHarness& operator=(const DesktopHarness&) = delete;

    // A task of the type the fake engine serves. A scheduled one waits and is never due by
    // itself (Every Week on no weekday).
    static Task makeTask(const std::string& name, ScheduleKind kind = ScheduleKind::Manual);
    // The options a test starts from: no question about starting at login, no tips.
    static Options quietOptions();

    std::filesystem::path dataDir() const { return tmp.path() / "data"; }
    std::filesystem::path taskListFile() const { return dataDir() / "tasks_se.tsk"; }
    // Writes the data folder's task list or options file before the start.
    void writeTasks(const std::vector<Task>& tasks) const;
    void writeOptions(const Options& options) const;

    // Runs the start-up (DesktopApp::Start) and returns its result.
    int start();
    DesktopApp& desktop() const { return *program; }
    MainWindow& window() const;
    Application& app() const;

    // The names of the tasks in the saved task list file, in order.
    std::vector<std::string> savedTaskNames() const;
    // The messages of a task's log.
    std::vector<std::string> logOf(const std::string& logFileName) const;

    TempDir tmp;
    ScriptedMessages messages;
    RecordingHelp help;
    ScriptedFileDialogs files;
    FakeTaskDialogs taskDialogs;
    std::shared_ptr<RecordingNotifier> notifier = std::make_shared<RecordingNotifier>();
    DesktopSettings settings;
    std::shared_ptr<std::atomic<bool>> holdRuns = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<std::atomic<int>> runs = std::make_shared<std::atomic<int>>(0);
    std::unique_ptr<DesktopApp> program;
};

} // namespace kelvanto::test
