#include "ui/wizard/ServerFieldsBox.h"

#include "model/ServerProfileCheck.h"
#include "ui/ConnectionTest.h"
#include "ui/HelpOpener.h"
#include "ui/Messages.h"
#include "ui/ServerProfileDialog.h"
#include "ui/TaskDialogContext.h"
#include "ui/wizard/SpinField.h"
#include "ui/wizard/TaskPageSession.h"
#include "ui/wizard/WizardTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace kelvanto
{

namespace
{

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

ServerFieldsBox::ServerFieldsBox(TaskPageSession& session, const QString& title, QWidget* parent)
    : QGroupBox(title, parent)
    , m_session(session)
    , m_connections(new QComboBox(this))
    , m_new(new QPushButton(tr("New..."), this))
    , m_host(new QLineEdit(this))
    , m_port(new SpinField(1, 65535, 5, this))
    , m_user(new QLineEdit(this))
    , m_password(new QLineEdit(this))
    , m_compression(new QCheckBox(tr("Use compression protocol"), this))
    , m_ssl(new QCheckBox(tr("Use SSL protocol"), this))
    , m_test(new QPushButton(tr("&Test connection"), this))
    , m_howTo(new QPushButton(tr("How to connect to a MySQL server"), this))
{
    m_connections->setObjectName("connections");
    m_new->setObjectName("newConnection");
    m_host->setObjectName("host");
    m_port->setNames("port");
    m_user->setObjectName("user");
    m_password->setObjectName("password");
    m_compression->setObjectName("useCompression");
    m_ssl->setObjectName("useSsl");
    m_test->setObjectName("testConnection");
    m_howTo->setObjectName("howToConnect");
    m_password->setEchoMode(QLineEdit::Password);
    m_howTo->setFlat(true);
    m_howTo->setCursor(Qt::PointingHandCursor);

    fillConnections();
    connect(m_connections, &QComboBox::activated, this, &ServerFieldsBox::profileChosen);
    connect(m_new, &QPushButton::clicked, this, &ServerFieldsBox::newProfile);
    connect(m_test, &QPushButton::clicked, this, &ServerFieldsBox::testConnection);
    connect(m_howTo, &QPushButton::clicked, this,
        [this] { m_session.context().help().openTopic(QLatin1String(wizard::kHowToConnectTopic)); });

    auto* connections = new QHBoxLayout;
    connections->addWidget(m_connections, 1);
    connections->addWidget(m_new);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_test);
    buttons->addStretch(1);
    buttons->addWidget(m_howTo);
    auto* form = new QFormLayout(this);
    form->addRow(tr("Connections"), connections);
    form->addRow(tr("Host name or IP address"), m_host);
    form->addRow(tr("MySQL Host Port"), m_port);
    form->addRow(tr("Username"), m_user);
    form->addRow(tr("Password"), m_password);
    form->addRow(QString(), m_compression);
    form->addRow(QString(), m_ssl);
    form->addRow(buttons);
}

void ServerFieldsBox::fillConnections()
{
    const QSignalBlocker block(m_connections);
    m_connections->clear();
    for (const ServerConnection& profile : m_session.context().servers().profiles())
        m_connections->addItem(Q(profile.connectionName));
    m_connections->setCurrentIndex(-1);
}

void ServerFieldsBox::load(const ServerConnection& server)
{
    m_loaded = server;
    m_host->setText(Q(server.host));
    m_port->setNumber(server.port);
    m_user->setText(Q(server.user));
    m_password->setText(Q(server.password));
    m_compression->setChecked(server.useCompression != 0);
    m_ssl->setChecked(server.useSsl != 0);
}

ServerConnection ServerFieldsBox::current() const
{
    ServerConnection server = m_loaded;
    server.host = m_host->text().toStdString();
    bool ok = false;
    const int port = m_port->text().toInt(&ok);
    server.port = ok && IsValidPortText(m_port->text().toStdString()) ? port : 0;
    server.user = m_user->text().toStdString();
    server.password = m_password->text().toStdString();
    // A switch keeps a stored value other than 1 while it is left as it was shown.
    if (m_compression->isChecked() != (m_loaded.useCompression != 0))
        server.useCompression = m_compression->isChecked() ? 1 : 0;
    if (m_ssl->isChecked() != (m_loaded.useSsl != 0))
        server.useSsl = m_ssl->isChecked() ? 1 : 0;
    return server;
}

QString ServerFieldsBox::portText() const
{
    return m_port->text();
}

std::string ServerFieldsBox::check() const
{
    return CheckServerAddress(current(), portText().toStdString());
}

QWidget* ServerFieldsBox::faultField() const
{
    if (m_host->text().isEmpty())
        return m_host;
    return m_port->edit();
}

void ServerFieldsBox::setReadOnly(bool readOnly)
{
    for (QLineEdit* field : {m_host, m_user, m_password})
        field->setReadOnly(readOnly);
    m_port->setReadOnly(readOnly);
    for (QWidget* control : std::initializer_list<QWidget*> {m_connections, m_new, m_compression, m_ssl})
        control->setEnabled(!readOnly);
}

void ServerFieldsBox::profileChosen(int index)
{
    const auto profile = m_session.context().servers().at(static_cast<std::size_t>(index));
    if (!profile)
        return;
    m_host->setText(Q(profile->host));
    m_port->setNumber(DisplayedPort(profile->port));
    m_user->setText(Q(profile->user));
    m_password->setText(Q(profile->password));
    m_compression->setChecked(profile->useCompression != 0);
    m_ssl->setChecked(profile->useSsl != 0);
}

void ServerFieldsBox::newProfile()
{
    TaskDialogContext& context = m_session.context();
    ServerConnection fresh;
    ServerProfileDialog dialog(
        ServerProfileDialog::Mode::New, fresh, context.servers(), context.messages(), context.connector(), window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    context.servers().add(dialog.profile());
    if (auto saved = context.saveServers(); !saved)
        context.messages().error(window(), Q(saved.error()));
    fillConnections();
    const int added = m_connections->count() - 1;
    m_connections->setCurrentIndex(added);
    profileChosen(added);
}

void ServerFieldsBox::testConnection()
{
    if (const std::string fault = check(); !fault.empty()) {
        m_session.messages().warning(window(), Q(fault));
        faultField()->setFocus(Qt::OtherFocusReason);
        return;
    }
    runConnectionTest(window(), m_session.context().connector(), current(), m_session.messages());
}

} // namespace kelvanto
