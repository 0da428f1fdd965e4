#pragma once

#include "ui/wizard/TaskPage.h"

class QLabel;

namespace kelvanto
{

// The wizard's welcome page: "Create a new task to schedule " and the type's title.
class WelcomePage : public TaskPage
{
    Q_OBJECT

public:
    explicit WelcomePage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;

private:
    QLabel* m_text;
};

} // namespace kelvanto
