#include "ui/ServerProfileDialog.h"

#include "model/ServerProfileCheck.h"
#include "ui/ConnectionTest.h"
#include "ui/Messages.h"
#include "ui/wizard/SpinField.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvanto
{

namespace
{

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

ServerProfileDialog::ServerProfileDialog(Mode mode, const ServerConnection& profile, const ServerList& list,
    Messages& messages, Connector connector, QWidget* parent)
    : QDialog(parent)
    , m_mode(mode)
    , m_list(list)
    , m_messages(messages)
    , m_connector(std::move(connector))
    , m_original(profile)
    , m_name(new QLineEdit(Q(profile.connectionName), this))
    , m_host(new QLineEdit(Q(profile.host), this))
    , m_port(new SpinField(1, 65535, 5, this))
    , m_user(new QLineEdit(Q(profile.user), this))
    , m_savePassword(new QCheckBox(tr("Save password"), this))
    , m_password(new QLineEdit(Q(profile.password), this))
    , m_compression(new QCheckBox(tr("Use compression protocol"), this))
    , m_ssl(new QCheckBox(tr("Use SSL protocol"), this))
    , m_comment(new QPlainTextEdit(Q(profile.comment), this))
    , m_test(new QPushButton(tr("&Test connection"), this))
{
    setWindowTitle(tr("MySQL Server"));
    m_name->setObjectName("connectionName");
    m_host->setObjectName("host");
    m_port->setNames(QStringLiteral("port"));
    m_user->setObjectName("user");
    m_savePassword->setObjectName("savePassword");
    m_password->setObjectName("password");
    m_compression->setObjectName("useCompression");
    m_ssl->setObjectName("useSsl");
    m_comment->setObjectName("comment");
    m_test->setObjectName("testConnection");

    // The port field takes up to five digits; Up and Down step through 1-65535.
    m_port->setNumber(DisplayedPort(profile.port));

    m_password->setEchoMode(QLineEdit::Password);
    m_savePassword->setChecked(profile.savePassword != 0);
    m_compression->setChecked(profile.useCompression != 0);
    m_ssl->setChecked(profile.useSsl != 0);
    connect(m_savePassword, &QCheckBox::toggled, this, &ServerProfileDialog::savePasswordToggled);
    savePasswordToggled(m_savePassword->isChecked());
    connect(m_test, &QPushButton::clicked, this, &ServerProfileDialog::testConnection);

    auto* form = new QFormLayout;
    form->addRow(tr("Connection Name"), m_name);
    form->addRow(tr("Host name or IP address"), m_host);
    form->addRow(tr("MySQL Host Port"), m_port);
    form->addRow(tr("Username"), m_user);
    form->addRow(QString(), m_savePassword);
    form->addRow(tr("Password"), m_password);
    form->addRow(QString(), m_compression);
    form->addRow(QString(), m_ssl);
    form->addRow(tr("Comment"), m_comment);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_test, QDialogButtonBox::ActionRole);
    auto* ok = buttons->addButton(tr("O&K"), QDialogButtonBox::AcceptRole);
    auto* cancel = buttons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole);
    ok->setObjectName("ok");
    cancel->setObjectName("cancel");
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &ServerProfileDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    if (m_mode == Mode::View) {
        for (QWidget* field : std::initializer_list<QWidget*> {
                 m_name, m_host, m_port, m_user, m_savePassword, m_password, m_compression, m_ssl})
            field->setEnabled(false);
        m_comment->setReadOnly(true);
        cancel->hide();
    }
}

ServerConnection ServerProfileDialog::profile() const
{
    ServerConnection profile = m_original;
    profile.connectionName = m_name->text().toStdString();
    profile.host = m_host->text().toStdString();
    bool ok = false;
    const int port = m_port->text().toInt(&ok);
    profile.port = ok ? port : 0;
    profile.user = m_user->text().toStdString();
    profile.savePassword = m_savePassword->isChecked() ? 1 : 0;
    profile.password = profile.savePassword ? m_password->text().toStdString() : std::string();
    profile.useCompression = m_compression->isChecked() ? 1 : 0;
    profile.useSsl = m_ssl->isChecked() ? 1 : 0;
    profile.comment = m_comment->toPlainText().toStdString();
    return profile;
}

QString ServerProfileDialog::portText() const
{
    return m_port->text();
}

void ServerProfileDialog::accept()
{
    if (m_mode == Mode::View) {
        QDialog::accept();
        return;
    }
    const ServerConnection profile = this->profile();
    const std::string fault = CheckServerProfile(profile, portText().toStdString(), m_mode == Mode::New, m_list);
    if (!fault.empty()) {
        m_messages.warning(this, Q(fault));
        focusFirstFault(profile);
        return;
    }
    QDialog::accept();
}

void ServerProfileDialog::testConnection()
{
    ServerConnection settings = profile();
    // The test uses what is typed, whether or not the password is to be saved.
    settings.password = m_password->text().toStdString();
    const std::string fault = CheckServerAddress(settings, portText().toStdString());
    if (!fault.empty()) {
        m_messages.warning(this, Q(fault));
        focusFirstFault(settings);
        return;
    }
    runConnectionTest(this, m_connector, settings, m_messages);
}

void ServerProfileDialog::savePasswordToggled(bool on)
{
    if (!on)
        m_password->clear();
    m_password->setEnabled(on && m_mode != Mode::View);
}

void ServerProfileDialog::focusFirstFault(const ServerConnection& profile)
{
    QLineEdit* field = nullptr;
    if (profile.connectionName.empty())
        field = m_name;
    else if (profile.host.empty())
        field = m_host;
    else if (!IsValidPortText(portText().toStdString()))
        field = m_port->edit();
    else if (profile.savePassword && profile.user.empty())
        field = m_user;
    else if (profile.savePassword && profile.password.empty())
        field = m_password;
    else
        field = m_name;
    field->setFocus();
    field->selectAll();
}

} // namespace kelvanto
