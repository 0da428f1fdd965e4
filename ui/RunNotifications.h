#pragma once

#include "app/LastRunCache.h"
#include "schedule/RunResult.h"

#include <QObject>
#include <QString>

#include <functional>
#include <string>

namespace kelvanto
{

class Application;
class Notifier;
class TrayIcon;

// Brings the ends of runs to the user: a notification with the task's name and its first
// Error line (the options choose failed runs only, every run, or none), a click on which
// opens the task's log; and the warning overlay of the notification-area icon while the last
// run of some task failed or completed with errors.
class RunNotifications : public QObject
{
    Q_OBJECT

public:
    using OpenLog = std::function<void(const std::string& taskId)>;
    RunNotifications(Application& app, Notifier& notifier, TrayIcon& tray, OpenLog openLog, QObject* parent = nullptr);

    // On the user-interface thread: a run of the task ended.
    void runEnded(const std::string& taskId, const RunEnd& end, const std::string& firstError);
    // Looks at every task's last run again and sets the icon's overlay.
    void updateOverlay();

    // The notification's title for a run of the task `name` that ended so.
    static QString titleOf(const QString& name, const RunEnd& end);

private:
    Application& m_app;
    Notifier& m_notifier;
    TrayIcon& m_tray;
    OpenLog m_openLog;
    LastRunCache m_lastRuns;
};

} // namespace kelvanto
