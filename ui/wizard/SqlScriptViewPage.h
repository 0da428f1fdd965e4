#pragma once

#include "ui/wizard/TaskPage.h"

class QPlainTextEdit;

namespace kelvanto
{

// The read-only script page: the stored statements, one empty line between them.
class SqlScriptViewPage : public TaskPage
{
    Q_OBJECT

public:
    explicit SqlScriptViewPage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;

private:
    QPlainTextEdit* m_script;
};

} // namespace kelvanto
