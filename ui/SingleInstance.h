#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace kelvanto
{

// One running program per user and data folder. The first start listens on a local socket
// named after the instance name, the user id and the data folder; a second start connects,
// asks the first to show its window and ends.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    static constexpr const char* kMutexName = "__Kelvanto__kelvanto_2006_SE__";

    // The socket for this user and data folder: in $XDG_RUNTIME_DIR when it is set, else in
    // the temporary folder.
    static QString socketName(const QString& dataFolder);

    // Asks the instance listening on name to show its window; true when it answered, so that
    // this start can end.
    static bool askRunningToShow(const QString& name, int timeoutMs = 3000);

    explicit SingleInstance(QObject* parent = nullptr);

    // Listens on name, replacing a socket left behind by a program that ended without
    // cleaning up (call it only while holding the data folder's lock).
    bool listen(const QString& name);

signals:
    // A second start asked for the window.
    void showRequested();

private:
    QLocalServer m_server;
};

} // namespace kelvanto
