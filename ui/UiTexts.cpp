#include "ui/UiTexts.h"

namespace kelvanto::texts
{

QString RunQuestion(const std::string& taskName)
{
    return "Do you want to RUN the task (" + QString::fromStdString(taskName) + ") immediately?";
}

QString StopRunningQuestion(const std::string& taskName)
{
    return "Do you want to STOP the task (" + QString::fromStdString(taskName) + " -- Running) now?";
}

QString ConnectFailed(unsigned number, const std::string& text)
{
    return "Failed to connect to the MySQL server!\n\nError NO. " + QString::number(number) + "\n"
        + QString::fromStdString(text);
}

} // namespace kelvanto::texts
