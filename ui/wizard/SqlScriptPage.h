#pragma once

#include "ui/wizard/TaskPage.h"

#include <string>
#include <vector>

class QPlainTextEdit;

namespace kelvanto
{

// The script of an "Execute SQL script" task, typed or read from a file. The task keeps the
// statements that the splitter cuts from it on Next; a stored script is shown one statement a
// line, and kept as stored while its text is not changed.
class SqlScriptPage : public TaskPage
{
    Q_OBJECT

public:
    explicit SqlScriptPage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;
    bool validate() override;
    void save(Task& task) override;

private:
    void addFromFile();
    std::vector<std::string> statements() const;

    QPlainTextEdit* m_script;
    std::vector<std::string> m_loaded;
    QString m_shown;
};

} // namespace kelvanto
