#include "ui/wizard/ViewWidgets.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace kelvanto
{

namespace
{

QString WithLfLineEnds(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

} // namespace

QString shownText(const std::string& text)
{
    return WithLfLineEnds(QString::fromStdString(text));
}

QLineEdit* readOnlyLine(QWidget* parent, const char* name, const QString& text)
{
    auto* line = new QLineEdit(text, parent);
    line->setObjectName(name);
    line->setReadOnly(true);
    line->setCursorPosition(0);
    return line;
}

QPlainTextEdit* readOnlyBox(QWidget* parent, const char* name, const QString& text)
{
    auto* box = new QPlainTextEdit(WithLfLineEnds(text), parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    return box;
}

} // namespace kelvanto
