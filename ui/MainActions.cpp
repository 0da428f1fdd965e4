#include "ui/MainActions.h"

#include "ui/CommandEnabling.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace kelvanto
{

namespace
{

QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback, QWidget* widget)
{
    return QIcon::fromTheme(QLatin1String(name), widget->style()->standardIcon(fallback, nullptr, widget));
}

} // namespace

MainActions::MainActions(QMainWindow* window)
    : QObject(window)
    , m_window(window)
{
    newTask = make("newTask", tr("&New Task..."), QKeySequence(Qt::CTRL | Qt::Key_N));
    editTask = make("editTask", tr("&Edit Task..."));
    deleteTasks = make("deleteTasks", tr("&Delete Task(s)"), QKeySequence(Qt::Key_Delete));
    deleteAll = make("deleteAll", tr("Delete All"));
    copyTasks = make("copyTasks", tr("&Copy Task(s)"));
    copyTasksContext = make("copyTasksContext", tr("Copy Task(s)"));
    renameTask = make("renameTask", tr("Rena&me Task"), QKeySequence(Qt::Key_F2));
    viewLog = make("viewLog", tr("View &Log..."));
    verifyBackup = make("verifyBackup", tr("&Verify Backup"));
    saveAs = make("saveAs", tr("Save &As..."), QKeySequence(Qt::CTRL | Qt::Key_S));
    loadFrom = make("loadFrom", tr("Load &From..."), QKeySequence(Qt::CTRL | Qt::Key_L));
    properties = make("properties", tr("&Properties"));
    exit = make("exit", tr("E&xit"));
    start = make("start", tr("&Start"));
    stop = make("stop", tr("S&top"));
    runImmediately = make("runImmediately", tr("&Run Immediately"), QKeySequence(Qt::Key_F5));
    startAll = make("startAll", tr("Start All"));
    stopAll = make("stopAll", tr("Stop All"));
    selectAll = make("selectAll", tr("Select All"), QKeySequence(Qt::CTRL | Qt::Key_A));
    servers = make("servers", tr("&MySQL Servers..."));
    options = make("options", tr("&Options..."), QKeySequence(Qt::CTRL | Qt::Key_O));
    viewModes[0] = make("viewLargeIcons", tr("Lar&ge Icons"));
    viewModes[1] = make("viewDetails", tr("&Details"));
    viewModes[2] = make("viewSmallIcons", tr("&Small Icons"));
    viewModes[3] = make("viewList", tr("&List"));
    userManual = make("userManual", tr("&User Manual"), QKeySequence(Qt::Key_F1));
    tipOfTheDay = make("tipOfTheDay", tr("Ti&p of the Day"));
    webSite = make("webSite", tr("&Web Site"));
    supportPage = make("supportPage", tr("Support &Page"));
    supportEmail = make("supportEmail", tr("Support &E-mail"));
    about = make("about", tr("&About..."));

    viewGroup = new QActionGroup(this);
    for (QAction* mode : viewModes) {
        mode->setCheckable(true);
        viewGroup->addAction(mode);
    }
    viewModes[1]->setChecked(true);

    newTask->setIcon(ThemeIcon("document-new", QStyle::SP_FileIcon, window));
    editTask->setIcon(ThemeIcon("document-edit", QStyle::SP_FileDialogDetailedView, window));
    deleteTasks->setIcon(ThemeIcon("edit-delete", QStyle::SP_TrashIcon, window));
    properties->setIcon(ThemeIcon("document-properties", QStyle::SP_FileDialogInfoView, window));
    start->setIcon(ThemeIcon("media-playback-start", QStyle::SP_MediaPlay, window));
    stop->setIcon(ThemeIcon("media-playback-stop", QStyle::SP_MediaStop, window));
    runImmediately->setIcon(ThemeIcon("system-run", QStyle::SP_MediaSeekForward, window));
    viewLog->setIcon(ThemeIcon("text-x-generic", QStyle::SP_FileDialogContentsView, window));
    options->setIcon(ThemeIcon("preferences-system", QStyle::SP_ComputerIcon, window));

    buildMenuBar(window);
    buildContextMenu(window);
    buildToolBar(window);
}

QAction* MainActions::make(const char* name, const QString& caption, const QKeySequence& shortcut)
{
    auto* action = new QAction(caption, m_window);
    action->setObjectName(name);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    // Shortcuts act anywhere in the main window, also while the toolbar has the focus.
    action->setShortcutContext(Qt::WindowShortcut);
    m_window->addAction(action);
    return action;
}

void MainActions::buildMenuBar(QMainWindow* window)
{
    QMenuBar* bar = window->menuBar();
    QMenu* task = bar->addMenu(tr("&Task"));
    task->setObjectName("taskMenu");
    task->addActions({newTask, editTask, deleteTasks, deleteAll, copyTasks, renameTask, viewLog, verifyBackup, saveAs,
        loadFrom, properties, exit});
    QMenu* run = bar->addMenu(tr("&Run"));
    run->setObjectName("runMenu");
    run->addActions({start, stop, runImmediately, startAll, stopAll, selectAll});
    QMenu* tools = bar->addMenu(tr("Too&ls"));
    tools->setObjectName("toolsMenu");
    tools->addActions({servers, options});
    QMenu* view = bar->addMenu(tr("&View"));
    view->setObjectName("viewMenu");
    view->addActions({viewModes[0], viewModes[2], viewModes[3], viewModes[1]});
    QMenu* help = bar->addMenu(tr("&Help"));
    help->setObjectName("helpMenu");
    help->addActions({userManual, tipOfTheDay, webSite, supportPage, supportEmail, about});
}

void MainActions::buildContextMenu(QMainWindow* window)
{
    contextMenu = new QMenu(window);
    contextMenu->setObjectName("contextMenu");
    contextMenu->addActions({newTask, editTask, deleteTasks, deleteAll, copyTasksContext, renameTask});
    contextMenu->addSeparator();
    contextMenu->addActions({start, stop, runImmediately, startAll, stopAll});
    contextMenu->addSeparator();
    contextMenu->addAction(selectAll);
    contextMenu->addSeparator();
    contextMenu->addAction(viewLog);
    contextMenu->addAction(verifyBackup);
    contextMenu->addSeparator();
    contextMenu->addActions({saveAs, loadFrom});
    contextMenu->addSeparator();
    QMenu* view = contextMenu->addMenu(tr("&View"));
    view->addActions({viewModes[0], viewModes[2], viewModes[3], viewModes[1]});
    contextMenu->addSeparator();
    contextMenu->addAction(properties);
}

void MainActions::buildToolBar(QMainWindow* window)
{
    toolBar = window->addToolBar(tr("Toolbar"));
    toolBar->setObjectName("toolBar");
    toolBar->setMovable(false);
    toolBar->addActions({newTask, editTask, deleteTasks, properties});
    toolBar->addSeparator();
    toolBar->addActions({start, stop, runImmediately});
    toolBar->addSeparator();
    toolBar->addAction(viewLog);
    toolBar->addSeparator();
    toolBar->addAction(options);
    toolBar->addSeparator();

    auto* modes = new QMenu(window);
    modes->addActions({viewModes[0], viewModes[2], viewModes[3], viewModes[1]});
    viewButton = new QToolButton(window);
    viewButton->setObjectName("viewButton");
    viewButton->setText(tr("View"));
    viewButton->setToolTip(tr("View"));
    viewButton->setIcon(ThemeIcon("view-list-details", QStyle::SP_FileDialogListView, window));
    viewButton->setPopupMode(QToolButton::MenuButtonPopup);
    viewButton->setMenu(modes);
    connect(viewButton, &QToolButton::clicked, this, &MainActions::cycleViewMode);
    toolBar->addWidget(viewButton);
}

void MainActions::applyEnabling(const CommandEnabling& enabling)
{
    for (QAction* action : {editTask, viewLog, verifyBackup, properties, renameTask})
        action->setEnabled(enabling.editTask);
    for (QAction* action : {deleteTasks, copyTasks, copyTasksContext})
        action->setEnabled(enabling.deleteTasks);
    start->setEnabled(enabling.start);
    stop->setEnabled(enabling.stop);
    runImmediately->setEnabled(enabling.runImmediately);
    startAll->setEnabled(enabling.startAll);
    stopAll->setEnabled(enabling.stopAll);
    deleteAll->setEnabled(enabling.deleteAll);
    selectAll->setEnabled(enabling.deleteAll);
    saveAs->setEnabled(enabling.saveAs);
}

void MainActions::showViewMode(int mode)
{
    if (mode >= 0 && mode < 4)
        viewModes[mode]->setChecked(true);
}

} // namespace kelvanto
