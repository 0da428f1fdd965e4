#include "schedule/TaskServerOwner.h"

namespace kelvanto
{

void TaskServerOwner::TaskStatusChanged(const std::string&, TaskStatus) { }

void TaskServerOwner::TaskLogWritten(const std::string&, LogLevel, std::string_view) { }

} // namespace kelvanto
