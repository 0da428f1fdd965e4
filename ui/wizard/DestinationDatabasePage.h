#pragma once

#include "ui/wizard/TaskPage.h"

class QLineEdit;
class QRadioButton;

namespace kelvanto
{

class ListingComboBox;
class ServerFieldsBox;

// The destination server and database of the database-to-database types: an existing
// database (listed from the server when the list is opened) or a new one by name. The same
// database on the same server as the source is refused.
class DestinationDatabasePage : public TaskPage
{
    Q_OBJECT

public:
    explicit DestinationDatabasePage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;
    bool validate() override;
    void save(Task& task) override;

private:
    std::string databaseName() const;
    void modeChanged();

    ServerFieldsBox* m_box;
    QRadioButton* m_existing;
    ListingComboBox* m_existingName;
    QRadioButton* m_create;
    QLineEdit* m_newName;
};

} // namespace kelvanto
