#pragma once

#include "schedule/TaskServerOwner.h"

#include <QObject>

namespace kelvanto
{

// Hears the runner on its worker threads and re-posts the news to the user-interface thread
// as a signal. It must outlive the runner that calls it.
class UiTaskObserver : public QObject, public TaskServerOwner
{
    Q_OBJECT

public:
    using QObject::QObject;

    void TaskStatusChanged(const std::string& taskId, TaskStatus status) override;
    void TaskProgress(const std::string& taskId, const RunProgress& progress) override;
    void TaskRunEnded(const std::string& taskId, const RunEnd& end, std::string_view firstError) override;

signals:
    // A task's status changed (on the user-interface thread).
    void statusChanged();
    // A running task reported progress (on the user-interface thread; the runner sends a
    // few reports a second at most).
    void progressChanged();
    // A run ended: how, and its first Error line (on the user-interface thread).
    void runEnded(const std::string& taskId, const kelvanto::RunEnd& end, const std::string& firstError);
};

} // namespace kelvanto
