#pragma once

#include "model/UniqueFd.h"

#include <QCoreApplication>

#include <functional>

namespace kelvanto
{

// Keeps the computer from shutting down or suspending while a task runs, when the option
// "Disable shutdown/log off/suspend when a task running" is on: a systemd-logind inhibitor
// lock ("shutdown:sleep", mode "block") is held for as long as a task runs. Where logind
// cannot be reached (no system bus, no logind) nothing is held and nothing complains.
class ShutdownInhibitor
{
    Q_DECLARE_TR_FUNCTIONS(kelvanto::ShutdownInhibitor)

public:
    // Takes an inhibitor lock and returns its descriptor (closing it lets go), or an empty one.
    using TakeLock = std::function<UniqueFd()>;

    // The lock from logind over D-Bus.
    static UniqueFd takeLogindLock();

    explicit ShutdownInhibitor(TakeLock takeLock = takeLogindLock);

    // Holds the lock while wanted (the option is on and a task runs), lets it go otherwise.
    // A lock that could not be taken is tried again only after the want has gone and come back.
    void update(bool wanted);
    bool held() const { return m_lock.valid(); }

private:
    TakeLock m_takeLock;
    UniqueFd m_lock;
    bool m_wanted = false;
};

} // namespace kelvanto
