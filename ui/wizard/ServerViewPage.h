#pragma once

#include "ui/wizard/TaskPage.h"

class QFormLayout;
class QGroupBox;

namespace kelvanto
{

// The read-only server page: "Source MySQL Server" or "Destination MySQL Server" with the
// host, the port in decimal, the user, the password (masked), the database where the type has
// one, and the protocol options ("None" when neither is on).
class ServerViewPage : public TaskPage
{
    Q_OBJECT

public:
    enum class Role {
        Source,
        Destination,
    };

    ServerViewPage(TaskPageSession& session, Role role, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;

private:
    Role m_role;
    QGroupBox* m_box;
};

} // namespace kelvanto
