#include "ui/DesktopApp.h"

#include "app/Application.h"
#include "app/AutostartEntry.h"
#include "app/TaskCommands.h"
#include "model/OptionsRules.h"
#include "ui/DesktopControl.h"
#include "ui/DesktopNotifier.h"
#include "ui/LoginDialog.h"
#include "ui/MainWindow.h"
#include "ui/Messages.h"
#include "ui/RunNotifications.h"
#include "ui/SplashScreen.h"
#include "ui/TaskListView.h"
#include "ui/TaskViewCommands.h"
#include "ui/UiTexts.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>

namespace kelvanto
{

namespace
{

// How long a start waits for an instance that is itself starting (it holds the folder but
// does not answer yet) before it reports the folder as taken.
constexpr int kStartingInstanceWaitMs = 5000;

} // namespace

DesktopApp::DesktopApp(DesktopSettings settings, Services services)
    : m_settings(std::move(settings))
    , m_services(services)
{ }

DesktopApp::~DesktopApp()
{
    // The control socket goes first (its requests use the window and the commands), then the
    // window, then the runner with its workers.
    m_control.reset();
    m_runNotifications.reset();
    m_notifier.reset();
    m_window.reset();
    m_commands.reset();
    m_app.reset();
}

int DesktopApp::start()
{
    const QString socketName = SingleInstance::socketName(QString::fromStdString(m_settings.dataFolder.string()));
    if (SingleInstance::askRunningToShow(socketName))
        return 0;
    auto folder = DataFolder::Prepare(m_settings.dataFolder);
    if (!folder) {
        m_services.messages.error(nullptr, QString::fromStdString(folder.error()));
        return 1;
    }
    switch (takeDataFolder(socketName)) {
    case FolderClaim::Taken:
        break;
    case FolderClaim::OtherInstanceShown:
        return 0;
    case FolderClaim::Refused:
        return 1;
    }
    m_instance.listen(socketName);

    if (m_settings.splashMilliseconds > 0)
        SplashScreen::showFor(m_settings.splashMilliseconds);

    auto opened = Application::Open(
        *folder, m_settings.clock, m_settings.engines ? m_settings.engines() : EngineTable {}, nullptr);
    if (!opened) {
        m_services.messages.error(nullptr, QString::fromStdString(opened.error()));
        return 1;
    }
    m_app = std::move(*opened);
    // Every notice of the runner goes to the window and to the runs followed on the socket.
    m_notices.Add(&m_observer);
    m_commands = std::make_unique<TaskCommands>(*m_app, &m_notices);
    m_context.emplace(MainContext {*m_app, *m_commands, m_services.messages, m_services.help, m_services.fileDialogs,
        m_services.taskDialogs, m_settings.connector, &m_notices});
    m_window = std::make_unique<MainWindow>(*m_context, m_settings.trayAvailable);
    MainWindow* window = m_window.get();
    if (!m_settings.windowStateFile.empty())
        window->restoreLayout(QString::fromStdString(m_settings.windowStateFile.string()));
    connect(&m_instance, &SingleInstance::showRequested, window, &MainWindow::restoreWindow);
    connect(&m_hotKey, &GlobalHotKey::activated, window, &MainWindow::restoreWindow);
    for (auto signal : {&UiTaskObserver::statusChanged, &UiTaskObserver::progressChanged}) {
        connect(&m_observer, signal, window, [window] {
            if (window->isVisible())
                window->view().refreshRows();
        });
    }
    connect(window, &MainWindow::optionsApplied, this, [this] {
        applyAutostart();
        registerHotKey();
    });
    connect(window, &MainWindow::aboutToQuit, this, [this] {
        // No request of the socket comes in once the quit has begun.
        if (m_control)
            m_control->stop();
        m_hotKey.unregisterKey();
        m_inhibitor.update(false);
    });
    connect(window, &MainWindow::tick, this, &DesktopApp::updateInhibitor);
    startRunNotifications(*window);

    for (const std::string& notice : m_app->TakeLoadNotices())
        m_services.messages.warning(nullptr, QString::fromStdString(notice));
    askAutoRun();

    const auto tasks = m_app->TaskCopies();
    const bool scheduled = std::any_of(
        tasks.begin(), tasks.end(), [](const Task& task) { return task.schedule.kind != ScheduleKind::Manual; });
    if (scheduled && m_settings.trayAvailable) {
        window->startHidden();
    } else if (scheduled) {
        // Without a notification area a hidden start would look like a failed one: the window
        // shows, after the login when it is protected (refused, it waits minimised).
        if (LoginDialog::ask(m_app->GetOptions(), m_services.help, nullptr))
            window->showAtStart();
        else
            window->startHidden();
    } else {
        if (!LoginDialog::ask(m_app->GetOptions(), m_services.help, nullptr))
            return 0;
        window->showAtStart();
    }

    if (m_app->Server().StartAll(&m_notices) != 0) {
        m_services.messages.error(window, texts::tr(texts::kTaskServerFailed));
        while (m_app->Server().Count() > 0)
            m_app->Server().RemoveTask(m_app->Server().Count() - 1);
        return 1;
    }
    registerHotKey();
    // From here on kelvanto-cli hands its requests to this program instead of being refused.
    m_control = std::make_unique<DesktopControl>(*m_app, *m_commands, m_notices, *window, m_settings.controlBusyWait);
    if (auto listening = m_control->start(); !listening)
        qWarning("kelvanto: kelvanto-cli cannot reach this program: %s", listening.error().c_str());

    if (!scheduled) {
        if (tasks.empty())
            window->commands().newTask();
        else if (m_app->GetOptions().showTips != 0)
            window->showTipOfTheDay();
    }
    m_running = true;
    return kRunning;
}

DesktopApp::FolderClaim DesktopApp::takeDataFolder(const QString& socketName)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        auto lock = DataFolderLock::Acquire(m_settings.dataFolder, "kelvanto");
        if (lock) {
            m_lock = std::move(*lock);
            return FolderClaim::Taken;
        }
        // An instance of this program that is still starting answers in a moment.
        const auto holder = DataFolderLock::Holder(m_settings.dataFolder);
        const bool starting = holder && holder->description == "kelvanto";
        if (starting && SingleInstance::askRunningToShow(socketName, 200))
            return FolderClaim::OtherInstanceShown;
        if (!starting || waited.elapsed() > kStartingInstanceWaitMs) {
            m_services.messages.error(
                nullptr, texts::tr(texts::kFolderInUse).arg(QString::fromStdString(lock.error())));
            return FolderClaim::Refused;
        }
        QThread::msleep(50);
    }
}

void DesktopApp::askAutoRun()
{
    Options options = m_app->GetOptions();
    if (options.autoRun != 0 || options.dontAskAutoRun != 0)
        return;
    const Messages::AutoRunAnswer answer = m_services.messages.askAutoRun(nullptr, texts::tr(texts::kAutoRunQuestion));
    if (answer.yes)
        options.autoRun = 1;
    options.dontAskAutoRun = answer.dontAskAgain ? 1 : 0;
    m_app->SetOptions(options);
    if (const auto saved = m_app->SaveOptions(); !saved)
        m_services.messages.error(
            nullptr, texts::tr(texts::kOptionsSaveFailed).arg(QString::fromStdString(saved.error())));
    if (answer.yes)
        applyAutostart();
}

void DesktopApp::applyAutostart()
{
    if (m_settings.autostartEntry.empty())
        return;
    // Errors are left alone, as the option's own rules say: the option is stored either way.
    if (m_app->GetOptions().autoRun != 0)
        (void)AutostartEntry::Write(m_settings.autostartEntry, m_settings.autostartCommand);
    else
        (void)AutostartEntry::Remove(m_settings.autostartEntry);
}

void DesktopApp::registerHotKey()
{
    const Options& options = m_app->GetOptions();
    m_hotKey.registerKey(HotKey {options.hotKeyCode, options.hotKeyModifiers});
}

void DesktopApp::startRunNotifications(MainWindow& window)
{
    m_notifier = m_settings.notifier;
    if (!m_notifier)
        m_notifier = std::make_shared<DesktopNotifier>(window.tray());
    // A click opens the task's log; a window protected by a login asks for it first.
    auto openLog = [this, &window](const std::string& taskId) {
        if (IsLoginProtected(m_app->GetOptions()) && !window.visibleFlag()) {
            window.restoreWindow();
            if (!window.visibleFlag())
                return;
        }
        window.commands().viewLogOf(taskId);
    };
    m_runNotifications = std::make_unique<RunNotifications>(*m_app, *m_notifier, window.tray(), openLog);
    RunNotifications* notifications = m_runNotifications.get();
    connect(&m_observer, &UiTaskObserver::runEnded, notifications, &RunNotifications::runEnded);
    // Tasks deleted, renamed or reloaded change the overlay too: it is looked at every second.
    connect(&window, &MainWindow::tick, notifications, &RunNotifications::updateOverlay);
    notifications->updateOverlay();
}

void DesktopApp::updateInhibitor()
{
    if (!m_app || !m_commands)
        return;
    m_inhibitor.update(m_app->GetOptions().noShutdownWhileRunning != 0 && m_commands->AnyTaskRunning());
}

bool DesktopApp::sessionMayEnd()
{
    if (!m_window || m_window->quitting())
        return true;
    if (m_app->GetOptions().noShutdownWhileRunning != 0 && m_commands->AnyTaskRunning())
        return false;
    m_window->endSession();
    return true;
}

} // namespace kelvanto
