#pragma once

#include "model/Task.h"

#include <QDialog>

#include <vector>

class QRadioButton;

namespace kelvanto
{

class HelpOpener;
class Messages;

// "Create a new task": one radio button per task type, the first chosen when the dialog opens.
class NewTaskDialog : public QDialog
{
    Q_OBJECT

public:
    NewTaskDialog(Messages& messages, HelpOpener& help, QWidget* parent = nullptr);

    TaskType chosenType() const { return m_type; }
    void accept() override;

private:
    Messages& m_messages;
    std::vector<std::pair<QRadioButton*, TaskType>> m_choices;
    TaskType m_type = TaskType::BackupToFiles;
};

} // namespace kelvanto
