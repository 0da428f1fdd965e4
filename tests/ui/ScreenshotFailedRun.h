#pragma once

#include <QString>

namespace kelvanto::test
{

// The picture of a failed run's notification: the desktop program on a sample data folder,
// without a notification area, runs a backup whose server refuses the connection; once the
// desktop's notification service has had time to show the notification, the whole screen is
// saved as failed-run-notification.png in `folder`. Needs a display with a notification
// service on the session bus (scripts/screenshots starts Xvfb and dunst for it). Returns the
// exit code of the tool.
int takeFailedRunPicture(const QString& folder);

} // namespace kelvanto::test
