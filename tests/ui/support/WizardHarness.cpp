#include "tests/ui/support/WizardHarness.h"

#include "schedule/Clock.h"

#include <QTest>
#include <QWidget>

namespace kelvanto::test
{

Connector refusingConnector()
{
    return [](const ServerConnection&) -> ConnectResult { return ConnectError {2003, "Can't connect to server"}; };
}

WizardHarness::WizardHarness(Connector connector, EngineTable engines)
{
    auto folder = DataFolder::Prepare(dir.path() / "data");
    if (!folder) {
        qFatal("cannot prepare the data folder: %s", folder.error().c_str());
    }
    auto opened = Application::Open(*folder, std::make_shared<SystemClock>(), std::move(engines));
    if (!opened) {
        qFatal("cannot open the data folder: %s", opened.error().c_str());
    }
    m_app = std::move(*opened);
    m_context = std::make_unique<TaskDialogContext>(*m_app, messages, help, files, std::move(connector));
}

WizardHarness::~WizardHarness() = default;

void WizardHarness::addTask(const std::string& name)
{
    Task task;
    task.name = name;
    if (auto created = m_app->CreateTask(task); !created)
        qFatal("cannot create a task: %s", created.error().c_str());
}

QWidget* focusOf(QWidget* widget)
{
    return widget ? widget->window()->focusWidget() : nullptr;
}

} // namespace kelvanto::test
