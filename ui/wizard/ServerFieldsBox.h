#pragma once

#include "model/Task.h"

#include <QGroupBox>

#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace kelvanto
{

class SpinField;
class TaskPageSession;

// The server fields of the wizard's server and database pages: "Connections" (the stored
// profiles; choosing one fills the fields), "New" (adds a profile through the profile dialog
// and saves the server list), host, port, user, password, the two protocol switches, "Test
// connection" and the way to the manual's page on connecting.
class ServerFieldsBox : public QGroupBox
{
    Q_OBJECT

public:
    ServerFieldsBox(TaskPageSession& session, const QString& title, QWidget* parent = nullptr);

    // Shows a task's server; fields the box does not show (the database, the comment...) are
    // kept and come back with current().
    void load(const ServerConnection& server);
    // The settings as entered; an invalid port reads as 0.
    ServerConnection current() const;
    QString portText() const;
    // Host, then port: the message of the first that fails, or "".
    std::string check() const;
    // The field that check() finds at fault.
    QWidget* faultField() const;
    QLineEdit* hostField() const { return m_host; }
    void setReadOnly(bool readOnly);

private:
    void profileChosen(int index);
    void newProfile();
    void testConnection();
    void fillConnections();

    TaskPageSession& m_session;
    ServerConnection m_loaded;
    QComboBox* m_connections;
    QPushButton* m_new;
    QLineEdit* m_host;
    SpinField* m_port;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QCheckBox* m_compression;
    QCheckBox* m_ssl;
    QPushButton* m_test;
    QPushButton* m_howTo;
};

} // namespace kelvanto
