// The manual without a web browser: the program's own help window shows the page, follows its
// links, goes back and forward and finds text; with a browser the browser stays the choice.
#include "ui/HelpWindow.h"
#include "tests/ui/support/UiTestSupport.h"
#include "ui/DesktopHelpOpener.h"
#include "ui/ProductLinks.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTextBrowser>
#include <QtTest>

using namespace kelvanto;
using test::child;

namespace
{

QString ManualFolder()
{
    return QString::fromLocal8Bit(qgetenv("KELVANTO_SOURCE_DIR")) + "/docs/manual";
}

QString PageName(const QUrl& url)
{
    return url.path().section('/', -1);
}

} // namespace

class HelpWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void theBrowserStaysTheFirstChoice()
    {
        QList<QUrl> asked;
        DesktopHelpOpener opener({ManualFolder()}, nullptr, [&](const QUrl& url) {
            asked << url;
            return true;
        });
        opener.openTopic(links::kSupportEmail);
        QCOMPARE(asked.size(), 1);
        QCOMPARE(PageName(asked[0]), QString("support.html"));
        QCOMPARE(asked[0].fragment(), QString("report"));
        QVERIFY(opener.helpWindow() == nullptr);
    }

    void withoutABrowserThePageOpensInTheHelpWindowAndNavigates()
    {
        int asked = 0;
        DesktopHelpOpener opener({ManualFolder()}, nullptr, [&](const QUrl&) {
            ++asked;
            return false;
        });
        opener.openTopic("::/introduction/tasklog.html");
        QCOMPARE(asked, 1);
        HelpWindow* window = opener.helpWindow();
        QVERIFY(window != nullptr);
        QVERIFY(window->isVisible());
        QCOMPARE(PageName(window->currentPage()), QString("tasklog.html"));
        QVERIFY(window->browser()->toPlainText().contains("log"));
        QAction* back = child<QAction>(window, "helpBack");
        QAction* forward = child<QAction>(window, "helpForward");
        QVERIFY(!back->isEnabled());

        // A relative link of the page leads up and into the page it names.
        emit window->browser()->anchorClicked(QUrl("../support.html"));
        QCOMPARE(PageName(window->currentPage()), QString("support.html"));
        QVERIFY(window->browser()->toPlainText().contains("Reporting a problem"));
        QVERIFY(back->isEnabled());
        back->trigger();
        QCOMPARE(PageName(window->currentPage()), QString("tasklog.html"));
        QVERIFY(forward->isEnabled());
        forward->trigger();
        QCOMPARE(PageName(window->currentPage()), QString("support.html"));
        child<QAction>(window, "helpHome")->trigger();
        QCOMPARE(PageName(window->currentPage()), QString("index.html"));

        // A second topic reuses the one window.
        opener.openTopic(links::kSupportPage);
        QCOMPARE(opener.helpWindow(), window);
        QCOMPARE(PageName(window->currentPage()), QString("support.html"));
    }

    void searchFindsTextAndSaysWhenItDoesNot()
    {
        HelpWindow window;
        window.showPage(QUrl::fromLocalFile(ManualFolder() + "/support.html"));
        auto* search = child<QLineEdit>(&window, "helpSearch");
        auto* notFound = child<QLabel>(&window, "helpNotFound");
        search->setText("kelvanto --version");
        QTest::keyClick(search, Qt::Key_Return);
        QCOMPARE(window.browser()->textCursor().selectedText(), QString("kelvanto --version"));
        QVERIFY(notFound->text().isEmpty());
        // The page names the manual's folder twice: the second Enter moves on, and the search
        // wraps around to the first.
        QVERIFY(window.find("share/kelvanto/manual"));
        const int first = window.browser()->textCursor().position();
        QVERIFY(window.find("/kelvanto/manual"));
        QVERIFY(window.browser()->textCursor().position() != first);
        search->setText("no such words anywhere");
        QTest::keyClick(search, Qt::Key_Return);
        QCOMPARE(notFound->text(), QString("Not found"));
        QVERIFY(!window.find(QString()));
    }

    // A topic outside the manual falls back to its first page instead of opening nothing.
    void anUnknownTopicShowsTheContents()
    {
        DesktopHelpOpener opener({ManualFolder()}, nullptr, [](const QUrl&) { return false; });
        opener.openTopic("::/../../etc/passwd");
        QVERIFY(opener.helpWindow() != nullptr);
        QCOMPARE(PageName(opener.helpWindow()->currentPage()), QString("index.html"));
    }
};

QTEST_MAIN(HelpWindowTest)
#include "HelpWindowTest.moc"
