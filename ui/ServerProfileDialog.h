#pragma once

#include "model/ServerList.h"
#include "model/Task.h"
#include "mysql/Connection.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kelvanto
{

class Messages;
class SpinField;

// The profile dialog "MySQL Server", for the server manager and the wizard's "New" button.
// New and Edit check the entries on OK (each failing check says why and keeps the dialog
// open); View shows every field disabled and its OK only closes. "&Test connection" connects
// with the entered settings off the user-interface thread.
class ServerProfileDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Mode {
        New,
        Edit,
        View,
    };

    // list: the profiles a new one must not share its name with.
    ServerProfileDialog(Mode mode, const ServerConnection& profile, const ServerList& list, Messages& messages,
        Connector connector, QWidget* parent = nullptr);

    // The profile as entered (without a password when "Save password" is off).
    ServerConnection profile() const;
    QString portText() const;

    void accept() override;

private:
    void testConnection();
    void savePasswordToggled(bool on);
    void focusFirstFault(const ServerConnection& profile);

    Mode m_mode;
    const ServerList& m_list;
    Messages& m_messages;
    Connector m_connector;
    ServerConnection m_original;

    QLineEdit* m_name;
    QLineEdit* m_host;
    SpinField* m_port;
    QLineEdit* m_user;
    QCheckBox* m_savePassword;
    QLineEdit* m_password;
    QCheckBox* m_compression;
    QCheckBox* m_ssl;
    QPlainTextEdit* m_comment;
    QPushButton* m_test;
};

} // namespace kelvanto
