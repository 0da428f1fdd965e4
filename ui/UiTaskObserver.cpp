#include "ui/UiTaskObserver.h"

namespace kelvanto
{

void UiTaskObserver::TaskStatusChanged(const std::string&, TaskStatus)
{
    QMetaObject::invokeMethod(this, &UiTaskObserver::statusChanged, Qt::QueuedConnection);
}

void UiTaskObserver::TaskProgress(const std::string&, const RunProgress&)
{
    QMetaObject::invokeMethod(this, &UiTaskObserver::progressChanged, Qt::QueuedConnection);
}

void UiTaskObserver::TaskRunEnded(const std::string& taskId, const RunEnd& end, std::string_view firstError)
{
    QMetaObject::invokeMethod(
        this, [this, taskId, end, error = std::string(firstError)] { emit runEnded(taskId, end, error); },
        Qt::QueuedConnection);
}

} // namespace kelvanto
