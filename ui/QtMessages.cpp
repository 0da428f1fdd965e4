#include "ui/QtMessages.h"

#include "ui/AutostartQuestionDialog.h"
#include "ui/ConnectionFailureDialog.h"
#include "ui/UiTexts.h"

#include <QMessageBox>

namespace kelvanto
{

namespace
{

QMessageBox::Icon BoxIcon(Messages::Icon icon)
{
    switch (icon) {
    case Messages::Icon::Information:
        return QMessageBox::Information;
    case Messages::Icon::Warning:
        return QMessageBox::Warning;
    case Messages::Icon::Error:
        return QMessageBox::Critical;
    case Messages::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

Messages::Answer QtMessages::show(QWidget* parent, Icon icon, const QString& text, Buttons buttons)
{
    QMessageBox box(BoxIcon(icon), texts::tr(texts::kCaption), text, QMessageBox::NoButton, parent);
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return buttons == Buttons::Ok ? Answer::Ok : buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
}

void QtMessages::connectionFailure(QWidget* parent, const QString& text)
{
    ConnectionFailureDialog dialog(text, m_help, parent);
    dialog.exec();
}

Messages::AutoRunAnswer QtMessages::askAutoRun(QWidget* parent, const QString& text)
{
    AutostartQuestionDialog dialog(text, parent);
    const bool yes = dialog.exec() == QDialog::Accepted;
    return AutoRunAnswer {yes, dialog.dontAskAgain()};
}

} // namespace kelvanto
