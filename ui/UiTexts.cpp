#include "ui/UiTexts.h"

namespace kelvanto::texts
{

QString runQuestion(const std::string& taskName)
{
    return "Do you want to RUN the task (" + QString::fromStdString(taskName) + ") immediately?";
}

QString stopRunningQuestion(const std::string& taskName)
{
    return "Do you want to STOP the task (" + QString::fromStdString(taskName) + " -- Running) now?";
}

QString connectFailed(unsigned number, const std::string& text)
{
    return "Failed to connect to the MySQL server!\n\nError NO. " + QString::number(number) + "\n"
        + QString::fromStdString(text);
}

} // namespace kelvanto::texts
