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

} // namespace kelvanto
