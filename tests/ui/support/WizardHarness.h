#pragma once

#include "app/Application.h"
#include "tests/support/TempDir.h"
#include "tests/ui/support/RecordingHelp.h"
#include "tests/ui/support/ScriptedFileDialogs.h"
#include "tests/ui/support/ScriptedMessages.h"
#include "ui/TaskDialogContext.h"

#include <memory>

namespace kelvanto::test
{

// A connector whose every connection is refused (error 2003).
Connector refusingConnector();

// A fresh data folder opened as the program opens it, and the context that the wizard and the
// property sheet are given; messages, manual pages and file pickers are scripted.
class WizardHarness
{
public:
    explicit WizardHarness(Connector connector = refusingConnector(), EngineTable engines = {});
    ~WizardHarness();

    Application& app() { return *m_app; }
    TaskDialogContext& context() { return *m_context; }
    // Adds a task to the list (as the wizard's Finish does), for the name checks.
    void addTask(const std::string& name);

    TempDir dir;
    ScriptedMessages messages;
    RecordingHelp help;
    ScriptedFileDialogs files;

private:
    std::unique_ptr<Application> m_app;
    std::unique_ptr<TaskDialogContext> m_context;
};

// The widget that holds the keyboard focus in widget's window, or will hold it once the
// window is active.
QWidget* focusOf(QWidget* widget);

} // namespace kelvanto::test
