#pragma once

#include "model/Task.h"
#include "ui/wizard/TaskPageSession.h"

#include <QString>
#include <QWidget>

#include <optional>
#include <string>
#include <vector>

namespace kelvanto
{

class Messages;

// One page of a task: the same widget is a step of the wizard and a page of the property
// sheet. The host loads it with the task, asks it to validate (a refusal says why and puts the
// focus on the field at fault) and then to save its values into the task.
class TaskPage : public QWidget
{
    Q_OBJECT

public:
    explicit TaskPage(TaskPageSession& session, QWidget* parent = nullptr);

    // The page's title (the wizard step's heading, the property sheet's tab).
    virtual QString title() const = 0;
    virtual void load(const Task& task) = 0;
    virtual bool validate() { return true; }
    virtual void save(Task& /*task*/) { }
    // The wizard is about to show the page after Next; task holds what the pages before it saved.
    virtual void enter(const Task& /*task*/) { }

protected:
    TaskPageSession& session() const { return m_session; }
    Messages& messages() const;
    bool readOnly() const { return m_session.mode() == SheetMode::View; }
    bool wizard() const { return m_session.mode() == SheetMode::Wizard; }

    // Shows the warning with the page in front, puts the focus on field; always false.
    bool refuse(QWidget* field, const QString& text);
    bool refuse(QWidget* field, const std::string& text) { return refuse(field, QString::fromStdString(text)); }
    bool refuse(QWidget* field, const char* text) { return refuse(field, QString::fromUtf8(text)); }
    // A Yes/No question with the page in front; true for Yes.
    bool ask(const char* text);

    // The page probes, off the user-interface thread with the wait cursor: every database of
    // the server with its tables, or the tables of settings.database. A failure shows its
    // message (the connection-failure dialog when the server cannot be reached) and gives nullopt.
    std::optional<std::vector<DatabaseItem>> listDatabases(const ServerConnection& settings);
    std::optional<std::vector<TableItem>> listTables(const ServerConnection& settings);

private:
    void showProbeFailure(const std::string& message);

    TaskPageSession& m_session;
};

} // namespace kelvanto
