#include "app/AutostartEntry.h"
#include "app/DataFolder.h"
#include "app/DefaultEngines.h"
#include "model/Version.h"
#include "mysql/OpenConnection.h"
#include "ui/DefaultTaskDialogs.h"
#include "ui/DesktopApp.h"
#include "ui/DesktopHelpOpener.h"
#include "ui/MainWindow.h"
#include "ui/QtFileDialogs.h"
#include "ui/QtMessages.h"
#include "ui/TerminationWatcher.h"
#include "ui/UiTexts.h"

#include <QApplication>
#include <QSessionManager>
#include <QStandardPaths>
#include <QSystemTrayIcon>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

#include <unistd.h>

namespace
{

constexpr const char* kUsage = "usage: kelvanto [--data-dir DIR]\n"
                               "       kelvanto --help | --version\n"
                               "  The desktop application of Kelvanto. The data folder is DIR, else $KELVANTO_HOME,\n"
                               "  else $XDG_DATA_HOME/kelvanto (~/.local/share/kelvanto).\n";

} // namespace

int main(int argc, char** argv)
{
    // Answered before the application object exists, which needs a display: these do not.
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "kelvanto " KELVANTO_VERSION "\n";
            return 0;
        }
        if (arg == "--data-dir")
            ++i; // its value is a path, whatever it looks like
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kelvanto"));
    QApplication::setApplicationDisplayName(kelvanto::texts::tr(kelvanto::texts::kCaption));
    QApplication::setDesktopFileName(QStringLiteral("kelvanto"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kelvanto/kelvanto.svg")));
    // The window may live in the notification area alone.
    QApplication::setQuitOnLastWindowClosed(false);
    std::signal(SIGPIPE, SIG_IGN);

    std::string dataDir;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--data-dir") && i + 1 < args.size()) {
            dataDir = args[++i].toStdString();
        } else if (args[i].startsWith(QLatin1String("--data-dir="))) {
            dataDir = args[i].mid(11).toStdString();
        } else {
            std::cerr << kUsage;
            return 2;
        }
    }

    const kelvanto::DataFolder::EnvLookup env = kelvanto::DataFolder::ProcessEnvironment();
    const auto folder = kelvanto::DataFolder::Locate(dataDir, env);
    if (!folder) {
        std::cerr << "kelvanto: " << folder.error() << "\n";
        return 1;
    }

    kelvanto::DesktopHelpOpener help(
        kelvanto::DesktopHelpOpener::manualFolders(QString::fromStdString(folder->string())), nullptr);
    kelvanto::QtMessages messages(help);
    help.setMessages(&messages);
    kelvanto::QtFileDialogs fileDialogs;
    kelvanto::DefaultTaskDialogs taskDialogs;

    kelvanto::DesktopSettings settings;
    settings.dataFolder = *folder;
    settings.engines = kelvanto::MakeDefaultEngines;
    settings.connector = kelvanto::MakeMariaDbConnector();
    settings.trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    if (const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation); !config.isEmpty())
        settings.windowStateFile = std::filesystem::path(config.toStdString()) / "window.ini";
    if (auto entry = kelvanto::AutostartEntry::Locate(env))
        settings.autostartEntry = *entry;
    settings.autostartCommand = {QApplication::applicationFilePath().toStdString()};
    if (!dataDir.empty())
        settings.autostartCommand.insert(settings.autostartCommand.end(), {"--data-dir", folder->string()});

    kelvanto::DesktopApp desktop(settings, {messages, help, fileDialogs, taskDialogs});
    kelvanto::TerminationWatcher termination;
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &desktop, [&desktop](QSessionManager& manager) {
        if (!desktop.sessionMayEnd())
            manager.cancel();
    });
    QObject::connect(&termination, &kelvanto::TerminationWatcher::terminationRequested, &desktop, [&desktop] {
        if (desktop.window())
            desktop.window()->endSession();
        // During the start-up or behind a dialog a nested event loop would keep the program
        // alive; the options and the task list are saved and the tasks stopped, so it ends now.
        if (!desktop.running() || QApplication::activeModalWidget()) {
            std::fflush(nullptr);
            ::_exit(0);
        }
        QCoreApplication::quit();
    });

    const int started = desktop.start();
    if (started != kelvanto::DesktopApp::kRunning)
        return started;
    return QApplication::exec();
}
