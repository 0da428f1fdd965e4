#pragma once

#include "model/Result.h"
#include "model/ServerList.h"
#include "mysql/Connection.h"

#include <QDialog>

#include <functional>
#include <optional>

class QTableWidget;

namespace kelvanto
{

class HelpOpener;
class Messages;

// "MySQL Servers": the list of connection profiles with Add, Edit, Delete, View, Move Up,
// Move Down and Close. Add, Edit and Delete save the list at once; moving a profile changes
// only the order in memory, which reaches the file with the next save.
class ServerManagerDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char* kHelpTopic = "::/introduction/servermanager.html";

    struct Services
    {
        Messages& messages;
        HelpOpener& help;
        Connector connector;
        // Writes the server list file.
        std::function<Result<void>()> save;
    };
    ServerManagerDialog(ServerList& list, Services services, QWidget* parent = nullptr);

    void addServer();
    void editServer();
    void deleteServer();
    void viewServer();
    void moveUp();
    void moveDown();

private:
    // Saves the list; a failure is told to the user.
    void saveList();
    std::optional<std::size_t> selectedRow();
    void fillRow(int row);
    void rebuild(int selectedRow);

    ServerList& m_list;
    Services m_services;
    QTableWidget* m_table;
};

} // namespace kelvanto
