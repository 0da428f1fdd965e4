#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace kelvanto
{

class Application;

// The task names of log file names, for the service's journal lines: the task log knows a
// line only by its log file's name. Built from the task list when a name is not known, and
// dropped after every change that adds, removes or renames tasks.
class TaskNameIndex
{
public:
    explicit TaskNameIndex(const Application& app)
        : m_app(app)
    { }

    // The task's name; the log file name itself for a log that no task has.
    std::string NameOf(std::string_view logFileName);
    void Invalidate();

private:
    const Application& m_app;
    std::mutex m_mutex;
    std::map<std::string, std::string, std::less<>> m_names;
};

} // namespace kelvanto
