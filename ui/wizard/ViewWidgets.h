#pragma once

#include <QString>

#include <string>

class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace kelvanto
{

// The controls of the read-only pages: texts that can be selected and copied, not changed.
// The box shows "\r\n" line ends as "\n".
QLineEdit* readOnlyLine(QWidget* parent, const char* name, const QString& text);
QPlainTextEdit* readOnlyBox(QWidget* parent, const char* name, const QString& text);
// A stored text as a text box shows it: "\r\n" line ends become "\n".
QString shownText(const std::string& text);

} // namespace kelvanto
