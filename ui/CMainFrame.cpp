#include "ui/CMainFrame.h"

#include "app/Application.h"
#include "app/LastRunCache.h"
#include "app/TaskCommands.h"
#include "app/TaskListStatus.h"
#include "app/TaskNotices.h"
#include "model/OptionsRules.h"
#include "schedule/DateFormat.h"
#include "ui/CAboutDlg.h"
#include "ui/CLoginDlg.h"
#include "ui/COptionsSheet.h"
#include "ui/CServerManagerDlg.h"
#include "ui/CTipDlg.h"
#include "ui/CVelmTasksView.h"
#include "ui/CommandEnabling.h"
#include "ui/HelpOpener.h"
#include "ui/MainActions.h"
#include "ui/MainContext.h"
#include "ui/Messages.h"
#include "ui/ProductLinks.h"
#include "ui/TaskListModel.h"
#include "ui/TaskViewCommands.h"
#include "ui/TrayIcon.h"
#include "ui/UiTexts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QWindowStateChangeEvent>

#include <memory>
#include <set>
#include <string>

namespace kelvanto
{

namespace
{

constexpr int kWidth = 660;
constexpr int kHeight = 460;
// The widest text the clock pane shows.
constexpr const char* kClockSample = "Wed, Oct 01, 2007 00:00:00 A.M ";

} // namespace

CMainFrame::CMainFrame(MainContext& context, bool trayAvailable, QWidget* parent)
    : QMainWindow(parent)
    , m_context(context)
    , m_trayAvailable(trayAvailable)
    , m_view(new CVelmTasksView([&app = context.app] { return app.TaskCopies(); },
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
    setWindowTitle(texts::kMainTitle);
    setWindowIcon(QIcon(":/kelvanto/kelvanto.svg"));
    setCentralWidget(m_view);
    setMinimumSize(kWidth, kHeight);
    resize(kWidth, kHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    m_clock->setObjectName("clock");
    m_clock->setMinimumWidth(m_clock->fontMetrics().horizontalAdvance(kClockSample));
    m_clock->setAlignment(Qt::AlignCenter);
    m_progress->setObjectName("progress");
    m_progress->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(m_progress, 1);
    statusBar()->addPermanentWidget(m_clock);
    m_clockTimer.setInterval(1000);
    connect(&m_clockTimer, &QTimer::timeout, this, &CMainFrame::UpdateClock);
    m_clockTimer.start();
    UpdateClock();

    TaskViewCommands* commands = m_commands;
    MainActions* a = m_actions;
    connect(a->newTask, &QAction::triggered, commands, &TaskViewCommands::NewTask);
    connect(a->editTask, &QAction::triggered, commands, &TaskViewCommands::EditTask);
    connect(a->deleteTasks, &QAction::triggered, commands, &TaskViewCommands::DeleteTasks);
    connect(a->deleteAll, &QAction::triggered, commands, &TaskViewCommands::DeleteAll);
    connect(a->copyTasks, &QAction::triggered, commands, &TaskViewCommands::CopyTasks);
    connect(a->copyTasksContext, &QAction::triggered, commands, &TaskViewCommands::CopyTasks);
    connect(a->renameTask, &QAction::triggered, commands, &TaskViewCommands::RenameTask);
    connect(a->viewLog, &QAction::triggered, commands, &TaskViewCommands::ViewLog);
    connect(a->verifyBackup, &QAction::triggered, commands, &TaskViewCommands::VerifyBackup);
    connect(a->saveAs, &QAction::triggered, commands, &TaskViewCommands::SaveAs);
    connect(a->loadFrom, &QAction::triggered, commands, &TaskViewCommands::LoadFrom);
    connect(a->properties, &QAction::triggered, commands, &TaskViewCommands::Properties);
    connect(a->exit, &QAction::triggered, this, &CMainFrame::Quit);
    connect(a->start, &QAction::triggered, commands, &TaskViewCommands::Start);
    connect(a->stop, &QAction::triggered, commands, &TaskViewCommands::Stop);
    connect(a->runImmediately, &QAction::triggered, commands, &TaskViewCommands::RunImmediately);
    connect(a->startAll, &QAction::triggered, commands, &TaskViewCommands::StartAll);
    connect(a->stopAll, &QAction::triggered, commands, &TaskViewCommands::StopAll);
    connect(a->selectAll, &QAction::triggered, commands, &TaskViewCommands::SelectAll);
    connect(a->servers, &QAction::triggered, this, &CMainFrame::ShowServers);
    connect(a->options, &QAction::triggered, this, &CMainFrame::ShowOptions);
    for (int mode = 0; mode < 4; ++mode)
        connect(a->viewModes[mode], &QAction::triggered, this, [this, mode] { SetViewMode(mode); });
    connect(a, &MainActions::cycleViewMode, this, &CMainFrame::CycleViewMode);
    connect(a->userManual, &QAction::triggered, this, [this] { m_context.help.OpenManual(); });
    connect(a->tipOfTheDay, &QAction::triggered, this, &CMainFrame::ShowTipOfTheDay);
    connect(a->webSite, &QAction::triggered, this, [this] { m_context.help.OpenLink(links::kWebSite); });
    connect(a->supportPage, &QAction::triggered, this, [this] { m_context.help.OpenLink(links::kSupportPage); });
    connect(a->supportEmail, &QAction::triggered, this,
        [this] { m_context.help.OpenLink(QString("mailto:") + links::kSupportEmail); });
    connect(a->about, &QAction::triggered, this, &CMainFrame::ShowAbout);

    m_view->Model().SetProgressSource([this](const Task& task) { return ProgressTextOf(task); });
    m_view->Model().SetResultSource([this, results = std::make_shared<LastRunCache>()](
                                        const Task& task) { return results->Of(m_context.app.Log(), task); });
    connect(m_view, &CVelmTasksView::selectionChanged, this, &CMainFrame::UpdateCommands);
    connect(m_view, &CVelmTasksView::refreshed, this, &CMainFrame::UpdateCommands);
    connect(m_view, &CVelmTasksView::selectionChanged, this, &CMainFrame::UpdateProgress);
    connect(m_view, &CVelmTasksView::refreshed, this, &CMainFrame::UpdateProgress);
    connect(m_view, &CVelmTasksView::rowActivated, commands, &TaskViewCommands::Properties);
    connect(m_view, &CVelmTasksView::contextMenuRequested, this,
        [this](const QPoint& pos) { m_actions->contextMenu->popup(pos); });
    for (QMenu* menu : findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);

    connect(m_tray, &TrayIcon::showRequested, this, &CMainFrame::RestoreWindow);
    connect(m_tray, &TrayIcon::optionsRequested, this, &CMainFrame::ShowOptions);
    connect(m_tray, &TrayIcon::manualRequested, this, [this] { m_context.help.OpenManual(); });
    connect(m_tray, &TrayIcon::exitRequested, this, &CMainFrame::Quit);

    m_view->RebuildRows();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::ShowAtStart()
{
    show();
    raise();
    activateWindow();
    m_visible = true;
}

void CMainFrame::StartHidden()
{
    m_visible = false;
    if (m_trayAvailable) {
        hide();
        m_tray->Show(IsLoginProtected(m_context.app.GetOptions()));
    } else {
        showMinimized();
    }
}

void CMainFrame::RestoreWindow()
{
    if (m_visible && isVisible() && !isMinimized()) {
        raise();
        activateWindow();
        return;
    }
    if (!CLoginDlg::Ask(m_context.app.GetOptions(), m_context.help, nullptr))
        return;
    m_visible = true;
    showNormal();
    raise();
    activateWindow();
    m_tray->Hide();
}

void CMainFrame::HideToTray()
{
    m_visible = false;
    if (!m_trayAvailable)
        return;
    hide();
    m_tray->Show(IsLoginProtected(m_context.app.GetOptions()));
}

void CMainFrame::Quit()
{
    if (!ShutDown(true))
        return;
    close();
    QCoreApplication::quit();
}

void CMainFrame::EndSession()
{
    if (m_quitting)
        return;
    ShutDown(false);
    close();
    QCoreApplication::quit();
}

bool CMainFrame::ShutDown(bool ask)
{
    if (m_quitting)
        return true;
    if (ask && !m_context.messages.Ask(this, texts::kQuitQuestion))
        return false;
    m_quitting = true;
    m_clockTimer.stop();
    emit aboutToQuit();
    m_context.commands.Shutdown();
    m_view->RefreshRows();
    m_tray->Hide();
    return true;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_quitting) {
        event->accept();
        return;
    }
    if (!ShutDown(true)) {
        event->ignore();
        return;
    }
    event->accept();
    QCoreApplication::quit();
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || m_quitting)
        return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    if (isMinimized() && m_visible) {
        // Hidden once the minimise is over, so that the window system sees a plain hide.
        QTimer::singleShot(0, this, &CMainFrame::HideToTray);
        if (!m_trayAvailable)
            m_visible = false;
    } else if (!isMinimized() && change->oldState().testFlag(Qt::WindowMinimized) && !m_visible) {
        // Brought back from the task bar: the login first, else back it goes.
        if (CLoginDlg::Ask(m_context.app.GetOptions(), m_context.help, nullptr))
            m_visible = true;
        else
            QTimer::singleShot(0, this, &QWidget::showMinimized);
    }
}

void CMainFrame::ShowOptions()
{
    Application& app = m_context.app;
    COptionsSheet sheet(
        app.GetOptions(), app.Folder().Root(), m_context.messages, m_context.help, m_context.fileDialogs, this);
    if (sheet.exec() != QDialog::Accepted)
        return;
    Options edited = sheet.Edited();
    ApplyDefaultBackupFolder(edited, app.Folder().Root());
    app.SetOptions(edited);
    (void)app.SaveOptions();
    emit optionsApplied();
    m_view->RefreshRows();
    UpdateClock();
    if (m_tray->IsShown())
        m_tray->Show(IsLoginProtected(edited));
}

void CMainFrame::ShowServers()
{
    Application& app = m_context.app;
    CServerManagerDlg dialog(app.MutableServers(),
        CServerManagerDlg::Services {
            m_context.messages, m_context.help, m_context.connector, [&app] { return app.SaveServerList(); }},
        this);
    dialog.exec();
}

void CMainFrame::ShowTipOfTheDay()
{
    Application& app = m_context.app;
    CTipDlg dialog(app.GetOptions().lastTipIndex, app.GetOptions().showTips != 0, this);
    dialog.exec();
    Options options = app.GetOptions();
    options.lastTipIndex = dialog.ShownIndex();
    options.showTips = dialog.ShowOnStartUp() ? 1 : 0;
    app.SetOptions(options);
    (void)app.SaveOptions();
}

void CMainFrame::ShowAbout()
{
    CAboutDlg dialog(m_context.help, this);
    dialog.exec();
}

void CMainFrame::TaskListChangedElsewhere()
{
    const TaskListModel& model = m_view->Model();
    std::set<std::string> selected;
    for (const std::size_t row : m_view->SelectedRows())
        selected.insert(model.RowAt(row).taskId);
    m_view->RebuildRows();
    std::vector<std::size_t> rows;
    for (std::size_t row = 0; row < static_cast<std::size_t>(model.rowCount()); ++row) {
        if (selected.count(model.RowAt(row).taskId) != 0)
            rows.push_back(row);
    }
    if (!rows.empty())
        m_view->SelectRows(rows, rows.front());
}

void CMainFrame::UpdateCommands()
{
    std::vector<CommandEnabling::TaskState> states;
    for (const Task& task : m_context.app.TaskCopies())
        states.push_back({task.status, task.schedule.kind == ScheduleKind::Manual});
    m_actions->ApplyEnabling(
        CommandEnabling::For(states, m_view->SelectedRows(), static_cast<std::size_t>(m_view->Model().rowCount())));
}

QString CMainFrame::ProgressTextOf(const Task& task) const
{
    if (task.status != TaskStatus::Running || m_context.notices == nullptr)
        return {};
    const auto progress = m_context.notices->ProgressOf(task.taskId);
    return progress ? QString::fromStdString(ProgressText(*progress)) : QString();
}

void CMainFrame::UpdateProgress()
{
    QString text;
    const TaskListModel& model = m_view->Model();
    for (const std::size_t row : m_view->SelectedRows()) {
        const TaskListModel::Row& shown = model.RowAt(row);
        if (!shown.progress.isEmpty()) {
            text = shown.name + " - " + shown.progress;
            break;
        }
    }
    if (m_progress->text() != text)
        m_progress->setText(text);
}

void CMainFrame::UpdateClock()
{
    const Options& options = m_context.app.GetOptions();
    m_clock->setText(QString::fromStdString(
        FormatDateTime(m_context.app.GetClock().Now(), options.dateFormat, options.timeFormat, true)));
    emit tick();
}

void CMainFrame::CycleViewMode()
{
    // Details, Large Icons, Small Icons, List, and back to Details.
    static const int kNext[]
        = {CVelmTasksView::SmallIcons, CVelmTasksView::LargeIcons, CVelmTasksView::List, CVelmTasksView::Details};
    SetViewMode(kNext[m_view->Mode()]);
}

void CMainFrame::SetViewMode(int mode)
{
    m_view->SetMode(mode);
    m_actions->ShowViewMode(mode);
}

} // namespace kelvanto
