#pragma once

#include "ui/wizard/TaskPage.h"

namespace kelvanto
{

class ServerFieldsBox;

// The source or destination MySQL server of a task. Host and port are checked; a destination
// must differ from the source (host exact, port by value) except for the restore-from-files
// type, whose only server is the destination. A source page whose next page lists the
// server's databases reads them on Next, so that a server it cannot reach keeps the user here.
class ServerPage : public TaskPage
{
    Q_OBJECT

public:
    enum class Role {
        Source,
        Destination,
    };

    ServerPage(TaskPageSession& session, Role role, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;
    bool validate() override;
    void save(Task& task) override;

    ServerConnection current() const;

private:
    bool listsDatabasesForNextPage() const;

    Role m_role;
    ServerFieldsBox* m_box;
};

} // namespace kelvanto
