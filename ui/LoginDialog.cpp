#include "ui/LoginDialog.h"

#include "model/OptionsRules.h"
#include "ui/HelpOpener.h"
#include "ui/UiTexts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvanto
{

LoginDialog::LoginDialog(const Options& options, HelpOpener& help, QWidget* parent)
    : QDialog(parent)
    , m_options(options)
    , m_user(new QLineEdit(this))
    , m_password(new QLineEdit(this))
{
    setObjectName("loginDialog");
    setWindowTitle(texts::tr(texts::kLoginTitle));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    m_user->setObjectName("user");
    m_password->setObjectName("password");
    m_password->setEchoMode(QLineEdit::Password);
    auto* form = new QFormLayout;
    form->addRow(tr("Username"), m_user);
    form->addRow(tr("Password"), m_password);
    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(tr("O&K"), QDialogButtonBox::AcceptRole);
    auto* cancel = buttons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole);
    auto* helpButton = buttons->addButton(tr("&Help"), QDialogButtonBox::HelpRole);
    ok->setObjectName("ok");
    cancel->setObjectName("cancel");
    helpButton->setObjectName("help");
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &LoginDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(helpButton, &QPushButton::clicked, this, [&help] { help.openTopic(QLatin1String(kHelpTopic)); });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(340, sizeHint().height());
}

bool LoginDialog::ask(const Options& options, HelpOpener& help, QWidget* parent)
{
    if (!IsLoginProtected(options))
        return true;
    LoginDialog dialog(options, help, parent);
    // Modal before it is shown: exec() makes no shown window modal.
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    return dialog.exec() == QDialog::Accepted;
}

void LoginDialog::accept()
{
    if (LoginMatches(m_options, m_user->text().toStdString(), m_password->text().toStdString()))
        QDialog::accept();
    else
        QDialog::reject();
}

} // namespace kelvanto
