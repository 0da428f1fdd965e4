#pragma once

#include "ui/wizard/TaskPage.h"

namespace kelvanto
{

class ListingComboBox;
class ServerFieldsBox;

// The source server and the one source database of the database-to-database types. The
// database list is read from the server when it is opened; on Next the wizard reads the
// chosen database's tables for the next page.
class SourceDatabasePage : public TaskPage
{
    Q_OBJECT

public:
    explicit SourceDatabasePage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;
    bool validate() override;
    void save(Task& task) override;

    // The server as entered, with the chosen database.
    ServerConnection current() const;

private:
    ServerFieldsBox* m_box;
    ListingComboBox* m_database;
};

} // namespace kelvanto
