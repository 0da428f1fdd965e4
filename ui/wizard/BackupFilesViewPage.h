#pragma once

#include "ui/wizard/TaskPage.h"

class QVBoxLayout;

namespace kelvanto
{

// The read-only backup file page: the file kind, the file mode and the details text (the file
// or the folder with the split mode, name format, new folder and expiry).
class BackupFilesViewPage : public TaskPage
{
    Q_OBJECT

public:
    explicit BackupFilesViewPage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;

private:
    QVBoxLayout* m_layout;
};

} // namespace kelvanto
