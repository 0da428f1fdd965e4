#include "ui/MainWindow.h"

#include "app/Application.h"
#include "app/LastRunCache.h"
#include "app/TaskCommands.h"
#include "app/TaskListStatus.h"
#include "app/TaskNotices.h"
#include "model/OptionsRules.h"
#include "schedule/DateFormat.h"
#include "ui/AboutDialog.h"
#include "ui/CommandEnabling.h"
#include "ui/HelpOpener.h"
#include "ui/LoginDialog.h"
#include "ui/MainActions.h"
#include "ui/MainContext.h"
#include "ui/Messages.h"
#include "ui/OptionsDialog.h"
#include "ui/ProductLinks.h"
#include "ui/ServerManagerDialog.h"
#include "ui/TaskListModel.h"
#include "ui/TaskListView.h"
#include "ui/TaskViewCommands.h"
#include "ui/TipOfTheDayDialog.h"
#include "ui/TrayIcon.h"
#include "ui/UiTexts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QWindowStateChangeEvent>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

namespace kelvanto
{

namespace
{

// The smallest size; the first start is wide enough for every column of the Details view and
// high enough for the status bar under a few rows.
constexpr int kWidth = 660;
constexpr int kHeight = 460;
constexpr int kDefaultHeight = 520;
constexpr int kFrameAllowance = 40;

int DefaultWidth()
{
    int width = kFrameAllowance;
    for (int column = 0; column < TaskListModel::ColumnCount; ++column)
        width += TaskListModel::columnWidthOf(column);
    return std::max(kWidth, width);
}
// The widest text the clock pane shows.
constexpr const char* kClockSample = "Wed, Oct 01, 2007 00:00:00 A.M ";

} // namespace

MainWindow::MainWindow(MainContext& context, bool trayAvailable, QWidget* parent)
    : QMainWindow(parent)
    , m_context(context)
    , m_trayAvailable(trayAvailable)
    , m_view(new TaskListView([&app = context.app] { return app.TaskCopies(); },
          [&app = context.app] {
              return std::pair<int, int>(app.GetOptions().dateFormat, app.GetOptions().timeFormat);
          },
          this))
    , m_actions(new MainActions(this))
    , m_commands(new TaskViewCommands(*m_view, context, this))
    , m_tray(new TrayIcon(this))
    , m_clock(new QLabel(this))
    , m_progress(new QLabel(this))
{
    setObjectName("mainFrame");
    setWindowTitle(texts::tr(texts::kMainTitle));
    setWindowIcon(QIcon(QStringLiteral(":/kelvanto/kelvanto.svg")));
    setCentralWidget(m_view);
    setMinimumSize(kWidth, kHeight);
    resize(DefaultWidth(), kDefaultHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        resize(size().boundedTo(screen->availableGeometry().size()).expandedTo(minimumSize()));
        move(screen->availableGeometry().center() - rect().center());
    }

    m_clock->setObjectName("clock");
    m_clock->setMinimumWidth(m_clock->fontMetrics().horizontalAdvance(QLatin1String(kClockSample)));
    m_clock->setAlignment(Qt::AlignCenter);
    m_progress->setObjectName("progress");
    m_progress->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(m_progress, 1);
    statusBar()->addPermanentWidget(m_clock);
    m_clockTimer.setInterval(1000);
    connect(&m_clockTimer, &QTimer::timeout, this, &MainWindow::updateClock);
    connect(&m_clockTimer, &QTimer::timeout, this, &MainWindow::reportSaveFailure);
    m_clockTimer.start();
    updateClock();

    TaskViewCommands* commands = m_commands;
    MainActions* a = m_actions;
    connect(a->newTask, &QAction::triggered, commands, &TaskViewCommands::newTask);
    connect(a->editTask, &QAction::triggered, commands, &TaskViewCommands::editTask);
    connect(a->deleteTasks, &QAction::triggered, commands, &TaskViewCommands::deleteTasks);
    connect(a->deleteAll, &QAction::triggered, commands, &TaskViewCommands::deleteAll);
    connect(a->copyTasks, &QAction::triggered, commands, &TaskViewCommands::copyTasks);
    connect(a->copyTasksContext, &QAction::triggered, commands, &TaskViewCommands::copyTasks);
    connect(a->renameTask, &QAction::triggered, commands, &TaskViewCommands::renameTask);
    connect(a->viewLog, &QAction::triggered, commands, &TaskViewCommands::viewLog);
    connect(a->verifyBackup, &QAction::triggered, commands, &TaskViewCommands::verifyBackup);
    connect(a->saveAs, &QAction::triggered, commands, &TaskViewCommands::saveAs);
    connect(a->loadFrom, &QAction::triggered, commands, &TaskViewCommands::loadFrom);
    connect(a->properties, &QAction::triggered, commands, &TaskViewCommands::properties);
    connect(a->exit, &QAction::triggered, this, &MainWindow::quit);
    connect(a->start, &QAction::triggered, commands, &TaskViewCommands::start);
    connect(a->stop, &QAction::triggered, commands, &TaskViewCommands::stop);
    connect(a->runImmediately, &QAction::triggered, commands, &TaskViewCommands::runImmediately);
    connect(a->startAll, &QAction::triggered, commands, &TaskViewCommands::startAll);
    connect(a->stopAll, &QAction::triggered, commands, &TaskViewCommands::stopAll);
    connect(a->selectAll, &QAction::triggered, commands, &TaskViewCommands::selectAll);
    connect(a->servers, &QAction::triggered, this, &MainWindow::showServers);
    connect(a->options, &QAction::triggered, this, &MainWindow::showOptions);
    for (int mode = 0; mode < 4; ++mode)
        connect(a->viewModes[mode], &QAction::triggered, this, [this, mode] { setViewMode(mode); });
    connect(a, &MainActions::cycleViewMode, this, &MainWindow::cycleViewMode);
    connect(a->userManual, &QAction::triggered, this, [this] { m_context.help.openManual(); });
    connect(a->tipOfTheDay, &QAction::triggered, this, &MainWindow::showTipOfTheDay);
    connect(
        a->webSite, &QAction::triggered, this, [this] { m_context.help.openTopic(QLatin1String(links::kWebSite)); });
    connect(a->supportPage, &QAction::triggered, this,
        [this] { m_context.help.openTopic(QLatin1String(links::kSupportPage)); });
    connect(a->supportEmail, &QAction::triggered, this,
        [this] { m_context.help.openTopic(QLatin1String(links::kSupportEmail)); });
    connect(a->about, &QAction::triggered, this, &MainWindow::showAbout);

    m_view->model().setProgressSource([this](const Task& task) { return progressTextOf(task); });
    m_view->model().setResultSource([this, results = std::make_shared<LastRunCache>()](
                                        const Task& task) { return results->Of(m_context.app.Log(), task); });
    connect(m_view, &TaskListView::selectionChanged, this, &MainWindow::updateCommands);
    connect(m_view, &TaskListView::refreshed, this, &MainWindow::updateCommands);
    connect(m_view, &TaskListView::selectionChanged, this, &MainWindow::updateProgress);
    connect(m_view, &TaskListView::refreshed, this, &MainWindow::updateProgress);
    connect(m_view, &TaskListView::rowActivated, commands, &TaskViewCommands::properties);
    connect(m_view, &TaskListView::contextMenuRequested, this,
        [this](const QPoint& pos) { m_actions->contextMenu->popup(pos); });
    for (QMenu* menu : findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::updateCommands);

    connect(m_tray, &TrayIcon::showRequested, this, &MainWindow::restoreWindow);
    connect(m_tray, &TrayIcon::optionsRequested, this, &MainWindow::showOptions);
    connect(m_tray, &TrayIcon::manualRequested, this, [this] { m_context.help.openManual(); });
    connect(m_tray, &TrayIcon::exitRequested, this, &MainWindow::quit);

    m_view->rebuildRows();
}

MainWindow::~MainWindow() = default;

void MainWindow::restoreLayout(const QString& file)
{
    m_layoutFile = file;
    const QSettings settings(file, QSettings::IniFormat);
    const QByteArray geometry = settings.value(QStringLiteral("window/geometry")).toByteArray();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    const QByteArray columns = settings.value(QStringLiteral("window/columns")).toByteArray();
    if (!columns.isEmpty())
        m_view->detailsHeader().restoreState(columns);
}

void MainWindow::saveLayout() const
{
    if (m_layoutFile.isEmpty())
        return;
    QSettings settings(m_layoutFile, QSettings::IniFormat);
    settings.setValue(QStringLiteral("window/geometry"), saveGeometry());
    settings.setValue(QStringLiteral("window/columns"), m_view->detailsHeader().saveState());
    settings.sync();
}

void MainWindow::showAtStart()
{
    show();
    raise();
    activateWindow();
    m_visible = true;
}

void MainWindow::startHidden()
{
    m_visible = false;
    if (m_trayAvailable) {
        hide();
        m_tray->show(IsLoginProtected(m_context.app.GetOptions()));
    } else {
        showMinimized();
    }
}

void MainWindow::restoreWindow()
{
    if (m_visible && isVisible() && !isMinimized()) {
        raise();
        activateWindow();
        return;
    }
    if (!LoginDialog::ask(m_context.app.GetOptions(), m_context.help, nullptr))
        return;
    m_visible = true;
    showNormal();
    raise();
    activateWindow();
    m_tray->hide();
}

void MainWindow::hideToTray()
{
    m_visible = false;
    if (!m_trayAvailable)
        return;
    hide();
    m_tray->show(IsLoginProtected(m_context.app.GetOptions()));
}

void MainWindow::quit()
{
    if (!shutDown(true))
        return;
    close();
    QCoreApplication::quit();
}

void MainWindow::endSession()
{
    if (m_quitting)
        return;
    shutDown(false);
    close();
    QCoreApplication::quit();
}

bool MainWindow::shutDown(bool ask)
{
    if (m_quitting)
        return true;
    if (ask && !m_context.messages.ask(this, texts::tr(texts::kQuitQuestion)))
        return false;
    m_quitting = true;
    saveLayout();
    m_clockTimer.stop();
    emit aboutToQuit();
    m_context.commands.Shutdown();
    m_view->refreshRows();
    m_tray->hide();
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_quitting) {
        event->accept();
        return;
    }
    if (!shutDown(true)) {
        event->ignore();
        return;
    }
    event->accept();
    QCoreApplication::quit();
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || m_quitting)
        return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    if (isMinimized() && m_visible) {
        // Hidden once the minimise is over, so that the window system sees a plain hide.
        QTimer::singleShot(0, this, &MainWindow::hideToTray);
        if (!m_trayAvailable)
            m_visible = false;
    } else if (!isMinimized() && change->oldState().testFlag(Qt::WindowMinimized) && !m_visible) {
        // Brought back from the task bar: the login first, else back it goes.
        if (LoginDialog::ask(m_context.app.GetOptions(), m_context.help, nullptr))
            m_visible = true;
        else
            QTimer::singleShot(0, this, &QWidget::showMinimized);
    }
}

void MainWindow::showOptions()
{
    Application& app = m_context.app;
    OptionsDialog sheet(
        app.GetOptions(), app.Folder().Root(), m_context.messages, m_context.help, m_context.fileDialogs, this);
    if (sheet.exec() != QDialog::Accepted)
        return;
    Options edited = sheet.edited();
    ApplyDefaultBackupFolder(edited, app.Folder().Root());
    app.SetOptions(edited);
    saveOptions();
    emit optionsApplied();
    m_view->refreshRows();
    updateClock();
    if (m_tray->isShown())
        m_tray->show(IsLoginProtected(edited));
}

void MainWindow::saveOptions()
{
    if (const auto saved = m_context.app.SaveOptions(); !saved)
        m_context.messages.error(this, texts::tr(texts::kOptionsSaveFailed).arg(QString::fromStdString(saved.error())));
}

void MainWindow::reportSaveFailure()
{
    // Saves after runs and of the task commands keep their failure for this; it is told once
    // no other box or dialog is in front, so that it does not land in the middle of one.
    if (QApplication::activeModalWidget() != nullptr)
        return;
    if (const auto failure = m_context.app.TakeSaveFailure())
        m_context.messages.error(this, texts::tr(texts::kTaskListSaveFailed).arg(QString::fromStdString(*failure)));
}

void MainWindow::showServers()
{
    Application& app = m_context.app;
    ServerManagerDialog dialog(app.MutableServers(),
        ServerManagerDialog::Services {
            m_context.messages, m_context.help, m_context.connector, [&app] { return app.SaveServerList(); }},
        this);
    dialog.exec();
}

void MainWindow::showTipOfTheDay()
{
    Application& app = m_context.app;
    TipOfTheDayDialog dialog(app.GetOptions().lastTipIndex, app.GetOptions().showTips != 0, this);
    dialog.exec();
    Options options = app.GetOptions();
    options.lastTipIndex = dialog.shownIndex();
    options.showTips = dialog.showOnStartUp() ? 1 : 0;
    app.SetOptions(options);
    saveOptions();
}

void MainWindow::showAbout()
{
    AboutDialog dialog(m_context.help, this);
    dialog.exec();
}

void MainWindow::taskListChangedElsewhere()
{
    const TaskListModel& model = m_view->model();
    std::set<std::string> selected;
    for (const std::size_t row : m_view->selectedRows())
        selected.insert(model.rowAt(row).taskId);
    m_view->rebuildRows();
    std::vector<std::size_t> rows;
    for (std::size_t row = 0; row < static_cast<std::size_t>(model.rowCount()); ++row) {
        if (selected.count(model.rowAt(row).taskId) != 0)
            rows.push_back(row);
    }
    if (!rows.empty())
        m_view->selectRows(rows, rows.front());
}

void MainWindow::updateCommands()
{
    std::vector<CommandEnabling::TaskState> states;
    for (const Task& task : m_context.app.TaskCopies())
        states.push_back({task.status, task.schedule.kind == ScheduleKind::Manual});
    m_actions->applyEnabling(
        CommandEnabling::compute(states, m_view->selectedRows(), static_cast<std::size_t>(m_view->model().rowCount())));
}

QString MainWindow::progressTextOf(const Task& task) const
{
    if (task.status != TaskStatus::Running || m_context.notices == nullptr)
        return {};
    const auto progress = m_context.notices->ProgressOf(task.taskId);
    return progress ? QString::fromStdString(ProgressText(*progress)) : QString();
}

void MainWindow::updateProgress()
{
    QString text;
    const TaskListModel& model = m_view->model();
    for (const std::size_t row : m_view->selectedRows()) {
        const TaskListModel::Row& shown = model.rowAt(row);
        if (!shown.progress.isEmpty()) {
            text = shown.name + QLatin1String(" - ") + shown.progress;
            break;
        }
    }
    if (m_progress->text() != text)
        m_progress->setText(text);
}

void MainWindow::updateClock()
{
    const Options& options = m_context.app.GetOptions();
    m_clock->setText(QString::fromStdString(
        FormatDateTime(m_context.app.GetClock().Now(), options.dateFormat, options.timeFormat, true)));
    emit tick();
}

void MainWindow::cycleViewMode()
{
    // Details, Large Icons, Small Icons, List, and back to Details.
    static const int kNext[]
        = {TaskListView::SmallIcons, TaskListView::LargeIcons, TaskListView::List, TaskListView::Details};
    setViewMode(kNext[m_view->mode()]);
}

void MainWindow::setViewMode(int mode)
{
    m_view->setMode(mode);
    m_actions->showViewMode(mode);
}

} // namespace kelvanto
