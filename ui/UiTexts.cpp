#include "ui/UiTexts.h"

namespace kelvanto::texts
{

namespace
{

constexpr const char* kRunQuestion
    = QT_TRANSLATE_NOOP("kelvanto::texts", "Do you want to RUN the task (%1) immediately?");
constexpr const char* kStopRunningQuestion
    = QT_TRANSLATE_NOOP("kelvanto::texts", "Do you want to STOP the task (%1 -- Running) now?");
constexpr const char* kConnectFailed
    = QT_TRANSLATE_NOOP("kelvanto::texts", "Failed to connect to the MySQL server!\n\nError NO. %1\n%2");

} // namespace

QString productLine()
{
    return tr(kMainTitle) + QLatin1Char(' ') + QLatin1String(KELVANTO_SHORT_VERSION);
}

QString runQuestion(const std::string& taskName)
{
    return tr(kRunQuestion).arg(QString::fromStdString(taskName));
}

QString stopRunningQuestion(const std::string& taskName)
{
    return tr(kStopRunningQuestion).arg(QString::fromStdString(taskName));
}

QString connectFailed(unsigned number, const std::string& text)
{
    return tr(kConnectFailed).arg(QString::number(number), QString::fromStdString(text));
}

} // namespace kelvanto::texts
