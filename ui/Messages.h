#pragma once

#include <QString>

class QWidget;

namespace kelvanto
{

// Every message box of the program goes through this one interface: the questions, the
// warnings, the errors and the notices, the connection-failure dialog and the start-with-login
// question. Boxes have the caption "Kelvanto". The program shows real boxes (QtMessages);
// tests answer in advance and read back every text, icon and button set (ScriptedMessages).
class Messages
{
public:
    enum class Icon {
        Information,
        Warning,
        Error,
        Question,
    };
    enum class Buttons {
        Ok,
        YesNo,
        YesNoCancel,
    };
    enum class Answer {
        Ok,
        Yes,
        No,
        Cancel,
    };
    // The answer to the start-with-login question and its "Don't ask me again" box.
    struct AutoRunAnswer
    {
        bool yes = false;
        bool dontAskAgain = false;
    };

    virtual ~Messages() = default;

    // One box with the caption "Kelvanto"; returns the button chosen (closing the box counts
    // as No in a Yes/No box and as Cancel in a Yes/No/Cancel box).
    virtual Answer show(QWidget* parent, Icon icon, const QString& text, Buttons buttons) = 0;
    // The connection-failure dialog: the text with an icon, "O&K", and "&How to connect to a
    // MySQL server", which opens that page of the manual.
    virtual void connectionFailure(QWidget* parent, const QString& text) = 0;
    // The start-with-login question with "&Yes", "&No" and "Don't ask me again".
    virtual AutoRunAnswer askAutoRun(QWidget* parent, const QString& text) = 0;

    // A question with the question icon; true only for Yes.
    bool ask(QWidget* parent, const QString& text, Buttons buttons = Buttons::YesNo);
    void warning(QWidget* parent, const QString& text);
    void error(QWidget* parent, const QString& text);
    void information(QWidget* parent, const QString& text);
};

} // namespace kelvanto
