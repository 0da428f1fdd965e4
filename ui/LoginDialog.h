#pragma once

#include "model/Options.h"

#include <QDialog>

class QLineEdit;

namespace kelvanto
{

class HelpOpener;

// "Login - Kelvanto Standard Edition": "Username" and "Password". OK closes with OK only when
// both match the options exactly; otherwise the dialog closes as if cancelled, without a word.
// It stays on top of every window.
class LoginDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char* kHelpTopic = "::/introduction/userlogin.html";

    LoginDialog(const Options& options, HelpOpener& help, QWidget* parent = nullptr);

    // Shows the dialog when the options protect the window; true when there is no protection
    // or the login was given correctly.
    static bool ask(const Options& options, HelpOpener& help, QWidget* parent = nullptr);

    void accept() override;

private:
    const Options& m_options;
    QLineEdit* m_user;
    QLineEdit* m_password;
};

} // namespace kelvanto
