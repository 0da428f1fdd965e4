#include "ui/UiTaskObserver.h"

namespace kelvanto
{

void UiTaskObserver::TaskStatusChanged(const std::string&, TaskStatus)
{
    QMetaObject::invokeMethod(this, &UiTaskObserver::statusChanged, Qt::QueuedConnection);
}

} // namespace kelvanto
