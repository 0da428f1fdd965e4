#pragma once

#include <QDialog>

#include <functional>

class QLineEdit;

namespace kelvanto
{

class Messages;

// "Rename Task": the field "Task Name" with the current name. OK hands the name to `rename`,
// which returns an empty text when the task was renamed, else the warning to show; the dialog
// then stays open.
class RenameTaskDialog : public QDialog
{
    Q_OBJECT

public:
    using Rename = std::function<QString(const QString& name)>;
    RenameTaskDialog(const QString& name, Rename rename, Messages& messages, QWidget* parent = nullptr);

    void accept() override;

private:
    Rename m_rename;
    Messages& m_messages;
    QLineEdit* m_name;
};

} // namespace kelvanto
