#include "schedule/TaskServerOwner.h"

namespace kelvanto
{

void TaskServerOwner::TaskStatusChanged(const std::string&, TaskStatus) { }

void TaskServerOwner::TaskLogWritten(const std::string&, LogLevel, std::string_view) { }

void TaskServerOwner::TaskProgress(const std::string&, const RunProgress&) { }

void TaskServerOwner::TaskRunEnded(const std::string&, const RunEnd&, std::string_view) { }

} // namespace kelvanto
