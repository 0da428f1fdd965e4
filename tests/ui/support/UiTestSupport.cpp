#include "tests/ui/support/UiTestSupport.h"

#include <QElapsedTimer>

namespace kelvanto::test
{

void OnNextModal(const std::function<void(QWidget*)>& act, const char* className)
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

} // namespace kelvanto::test
