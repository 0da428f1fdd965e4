#pragma once

#include "app/Application.h"
#include "tests/support/TempDir.h"
#include "tests/ui/support/RecordingHelp.h"
#include "tests/ui/support/ScriptedMessages.h"
#include "ui/TaskDialogContext.h"
#include "ui/wizard/FileChooser.h"

#include <deque>
#include <memory>

namespace kelvanto::test
{

// The file pickers answered in advance: each call takes the next queued answer (empty, as if
// cancelled, when none is left) and is counted.
class ScriptedFiles final : public FileChooser
{
public:
    QString ChooseFolder(QWidget* parent, const QString& prompt, const QString& start) override;
    QStringList ChooseOpenFiles(QWidget* parent, const QString& filter, bool multiple) override;
    QString ChooseSaveFile(QWidget* parent, const QString& filter, const QString& start) override;

    std::deque<QString> folders;
    std::deque<QStringList> openFiles;
    std::deque<QString> saveFiles;
    QStringList prompts; // the folder prompts and file filters asked with
};

// A connector whose every connection is refused (error 2003).
Connector RefusingConnector();

// A fresh data folder opened as the program opens it, and the context that the wizard and the
// property sheet are given; messages, manual pages and file pickers are scripted.
class WizardHarness
{
public:
    explicit WizardHarness(Connector connector = RefusingConnector(), EngineTable engines = {});
    ~WizardHarness();

    Application& app() { return *m_app; }
    TaskDialogContext& context() { return *m_context; }
    // Adds a task to the list (as the wizard's Finish does), for the name checks.
    void AddTask(const std::string& name);

    TempDir dir;
    ScriptedMessages messages;
    RecordingHelp help;
    ScriptedFiles files;

private:
    std::unique_ptr<Application> m_app;
    std::unique_ptr<TaskDialogContext> m_context;
};

// The widget that holds the keyboard focus in widget's window, or will hold it once the
// window is active.
QWidget* FocusOf(QWidget* widget);

} // namespace kelvanto::test
