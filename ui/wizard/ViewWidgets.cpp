#include "ui/wizard/ViewWidgets.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace kelvanto
{

QString Shown(const std::string& text)
{
    return QString::fromStdString(text).replace("\r\n", "\n");
}

QLineEdit* readOnlyLine(QWidget* parent, const char* name, const std::string& text)
{
    auto* line = new QLineEdit(QString::fromStdString(text), parent);
    line->setObjectName(name);
    line->setReadOnly(true);
    line->setCursorPosition(0);
    return line;
}

QPlainTextEdit* readOnlyBox(QWidget* parent, const char* name, const std::string& text)
{
    auto* box = new QPlainTextEdit(Shown(text), parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    return box;
}

} // namespace kelvanto
