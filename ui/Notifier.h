#pragma once

#include <QString>

#include <functional>

namespace kelvanto
{

// One desktop notification: a title, a line of text, whether it reports a failure (the
// warning icon and a higher urgency), and what a click on it does.
struct Notification
{
    QString title;
    QString text;
    bool failure = true;
    std::function<void()> clicked;
};

// Every desktop notification of the program goes through this one interface. The program
// shows them through the notification area or the desktop's notification service
// (DesktopNotifier); tests record them.
class Notifier
{
public:
    virtual ~Notifier() = default;
    virtual void notify(const Notification& notification) = 0;
};

} // namespace kelvanto
