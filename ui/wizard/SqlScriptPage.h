#pragma once

#include "model/Result.h"
#include "ui/wizard/TaskPage.h"

#include <string>
#include <vector>

class QPlainTextEdit;

namespace kelvanto
{

// The script of an "Execute SQL script" task, typed or read from a file. The task keeps the
// statements that SplitScript cuts from it on Next (a script that the stock client would
// refuse is refused with the reason); a stored script is shown as JoinScript writes it, and
// kept as stored while its text is not changed.
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
    Result<std::vector<std::string>> statements() const;

    QPlainTextEdit* m_script;
    std::vector<std::string> m_loaded;
    QString m_shown;
};

} // namespace kelvanto
