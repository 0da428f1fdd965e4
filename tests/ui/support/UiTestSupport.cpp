#include "tests/ui/support/UiTestSupport.h"

#include <QElapsedTimer>

namespace kelvanto::test
{

void onNextModal(const std::function<void(QWidget*)>& act, const char* className)
{
    auto* timer = new QTimer(qApp);
    QElapsedTimer started;
    started.start();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, started, act, className] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && className && !modal->inherits(className))
            modal = nullptr;
        if (!modal && started.elapsed() < 5000)
            return;
        timer->stop();
        timer->deleteLater();
        if (modal)
            act(modal);
    });
    timer->start(5);
}

std::unique_ptr<QProcess> startCli(
    const std::filesystem::path& dataDir, const QStringList& args, const QByteArray& input)
{
    auto cli = std::make_unique<QProcess>();
    QStringList all {"--data-dir", QString::fromStdString(dataDir.string())};
    all += args;
    cli->start(QString::fromLocal8Bit(qgetenv("KELVANTO_CLI_EXECUTABLE")), all);
    if (cli->waitForStarted(10000)) {
        cli->write(input);
        cli->closeWriteChannel();
    }
    return cli;
}

CliOutcome waitForCli(QProcess& cli, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (cli.state() != QProcess::NotRunning && waited.elapsed() < timeoutMs)
        QTest::qWait(10);
    const bool ended = cli.state() == QProcess::NotRunning && cli.exitStatus() == QProcess::NormalExit;
    return CliOutcome {ended ? cli.exitCode() : -1, QString::fromUtf8(cli.readAllStandardOutput()),
        QString::fromUtf8(cli.readAllStandardError())};
}

CliOutcome runCli(const std::filesystem::path& dataDir, const QStringList& args, const QByteArray& input)
{
    auto cli = startCli(dataDir, args, input);
    return waitForCli(*cli);
}

} // namespace kelvanto::test
