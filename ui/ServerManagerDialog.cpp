#include "ui/ServerManagerDialog.h"

#include "ui/HelpOpener.h"
#include "ui/Messages.h"
#include "ui/ServerProfileDialog.h"
#include "ui/UiTexts.h"

#include <QHeaderView>
#include <QMenuBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kelvanto
{

namespace
{

struct Column
{
    const char* header;
    int width;
    Qt::Alignment alignment;
};

const Column kColumns[] = {
    {QT_TRANSLATE_NOOP("kelvanto::ServerManagerDialog", "Connection Name"), 170, Qt::AlignLeft},
    {QT_TRANSLATE_NOOP("kelvanto::ServerManagerDialog", "Server"), 170, Qt::AlignLeft},
    {QT_TRANSLATE_NOOP("kelvanto::ServerManagerDialog", "Port"), 60, Qt::AlignRight},
    {QT_TRANSLATE_NOOP("kelvanto::ServerManagerDialog", "Username"), 140, Qt::AlignLeft},
    {QT_TRANSLATE_NOOP("kelvanto::ServerManagerDialog", "Password"), 60, Qt::AlignHCenter},
    {QT_TRANSLATE_NOOP("kelvanto::ServerManagerDialog", "Comment"), 260, Qt::AlignLeft},
};

} // namespace

ServerManagerDialog::ServerManagerDialog(ServerList& list, Services services, QWidget* parent)
    : QDialog(parent)
    , m_list(list)
    , m_services(std::move(services))
    , m_table(new QTableWidget(0, 6, this))
{
    setObjectName("serverManager");
    setWindowTitle(tr("MySQL Servers"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    m_table->setObjectName("serverList");
    for (int c = 0; c < 6; ++c) {
        auto* header = new QTableWidgetItem(tr(kColumns[c].header));
        header->setTextAlignment(kColumns[c].alignment | Qt::AlignVCenter);
        m_table->setHorizontalHeaderItem(c, header);
        m_table->setColumnWidth(c, kColumns[c].width);
    }
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setShowGrid(true);
    m_table->setWordWrap(false);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this] { editServer(); });

    auto* menuBar = new QMenuBar(this);
    QMenu* server = menuBar->addMenu(tr("&Server"));
    server->addAction(tr("&Add Server..."), this, &ServerManagerDialog::addServer)->setObjectName("addServer");
    server->addAction(tr("&Edit Server..."), this, &ServerManagerDialog::editServer)->setObjectName("editServer");
    server->addAction(tr("&Delete Server"), this, &ServerManagerDialog::deleteServer)->setObjectName("deleteServer");
    server->addAction(tr("&View Server..."), this, &ServerManagerDialog::viewServer)->setObjectName("viewServer");
    server->addAction(tr("Move &Up"), this, &ServerManagerDialog::moveUp)->setObjectName("moveUp");
    server->addAction(tr("Move Dow&n"), this, &ServerManagerDialog::moveDown)->setObjectName("moveDown");
    server->addAction(tr("&Close"), this, &QDialog::accept)->setObjectName("close");
    QMenu* help = menuBar->addMenu(tr("&Help"));
    help->addAction(tr("&Help"), this, [this] { m_services.help.openTopic(QLatin1String(kHelpTopic)); })
        ->setObjectName("help");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(menuBar);
    layout->addWidget(m_table);
    resize(880, 360);
    rebuild(-1);
}

std::optional<std::size_t> ServerManagerDialog::selectedRow()
{
    const auto rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty() || rows.front().row() >= static_cast<int>(m_list.size())) {
        m_services.messages.warning(this, texts::tr(texts::kChooseServerItem));
        return std::nullopt;
    }
    return static_cast<std::size_t>(rows.front().row());
}

void ServerManagerDialog::fillRow(int row)
{
    const ServerConnection profile = *m_list.at(static_cast<std::size_t>(row));
    const QString texts[] = {QString::fromStdString(profile.connectionName), QString::fromStdString(profile.host),
        QString::number(profile.port), QString::fromStdString(profile.user),
        profile.savePassword ? QStringLiteral("****") : tr("NULL"),
        QString::fromStdString(profile.comment).replace(QLatin1Char('\n'), QLatin1Char(' '))};
    for (int c = 0; c < 6; ++c) {
        auto* item = new QTableWidgetItem(texts[c]);
        item->setTextAlignment(kColumns[c].alignment | Qt::AlignVCenter);
        if (c == 0)
            item->setIcon(
                QIcon::fromTheme(QStringLiteral("network-server"), QIcon(QStringLiteral(":/kelvanto/kelvanto.svg"))));
        m_table->setItem(row, c, item);
    }
}

void ServerManagerDialog::rebuild(int selectedRow)
{
    m_table->setRowCount(static_cast<int>(m_list.size()));
    for (int row = 0; row < static_cast<int>(m_list.size()); ++row)
        fillRow(row);
    if (selectedRow >= 0 && selectedRow < m_table->rowCount())
        m_table->selectRow(selectedRow);
}

void ServerManagerDialog::saveList()
{
    // The change stays in the list shown; a later save may still write it.
    if (const auto saved = m_services.save(); !saved)
        m_services.messages.error(
            this, texts::tr(texts::kServerListSaveFailed).arg(QString::fromStdString(saved.error())));
}

void ServerManagerDialog::addServer()
{
    ServerProfileDialog dialog(
        ServerProfileDialog::Mode::New, ServerConnection {}, m_list, m_services.messages, m_services.connector, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_list.add(dialog.profile());
    saveList();
    rebuild(static_cast<int>(m_list.size()) - 1);
}

void ServerManagerDialog::editServer()
{
    const auto row = selectedRow();
    if (!row)
        return;
    ServerProfileDialog dialog(
        ServerProfileDialog::Mode::Edit, *m_list.at(*row), m_list, m_services.messages, m_services.connector, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_list.replace(*row, dialog.profile());
    saveList();
    fillRow(static_cast<int>(*row));
}

void ServerManagerDialog::deleteServer()
{
    const auto row = selectedRow();
    if (!row || !m_services.messages.ask(this, texts::tr(texts::kDeleteServerQuestion)))
        return;
    m_list.remove(*row);
    saveList();
    m_table->removeRow(static_cast<int>(*row));
}

void ServerManagerDialog::viewServer()
{
    const auto row = selectedRow();
    if (!row)
        return;
    ServerProfileDialog dialog(
        ServerProfileDialog::Mode::View, *m_list.at(*row), m_list, m_services.messages, m_services.connector, this);
    dialog.exec();
}

void ServerManagerDialog::moveUp()
{
    const auto row = selectedRow();
    if (!row || !m_list.moveUp(*row))
        return;
    fillRow(static_cast<int>(*row) - 1);
    fillRow(static_cast<int>(*row));
    m_table->selectRow(static_cast<int>(*row) - 1);
}

void ServerManagerDialog::moveDown()
{
    const auto row = selectedRow();
    if (!row || !m_list.moveDown(*row))
        return;
    fillRow(static_cast<int>(*row));
    fillRow(static_cast<int>(*row) + 1);
    m_table->selectRow(static_cast<int>(*row) + 1);
}

} // namespace kelvanto
