#pragma once

#include "model/UniqueFd.h"

#include <QObject>

class QSocketNotifier;

namespace kelvanto
{

// Turns SIGTERM and SIGHUP (a session that ends without asking, a system going down) into a
// signal on the user-interface thread, so that the program saves and stops its tasks in
// order instead of dying in the middle of a save. One per process.
class TerminationWatcher : public QObject
{
    Q_OBJECT

public:
    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override;
    TerminationWatcher(const TerminationWatcher&) = delete;
    TerminationWatcher& operator=(const TerminationWatcher&) = delete;

signals:
    void terminationRequested();

private:
    UniqueFd m_read;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace kelvanto
