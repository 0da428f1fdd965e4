#include "ui/HelpWindow.h"

#include <QAction>
#include <QDesktopServices>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>

namespace kelvanto
{

HelpWindow::HelpWindow(QWidget* parent)
    : QMainWindow(parent)
    , m_browser(new QTextBrowser(this))
    , m_search(new QLineEdit(this))
    , m_notFound(new QLabel(this))
{
    setObjectName("helpWindow");
    setWindowTitle(tr("Kelvanto Help"));
    m_browser->setObjectName("helpBrowser");
    m_browser->setOpenLinks(false);
    m_search->setObjectName("helpSearch");
    m_search->setPlaceholderText(tr("Find in page"));
    m_search->setClearButtonEnabled(true);
    m_notFound->setObjectName("helpNotFound");

    auto* bar = addToolBar(tr("Navigation"));
    bar->setObjectName("helpToolBar");
    bar->setMovable(false);
    QAction* back
        = bar->addAction(QIcon::fromTheme(QStringLiteral("go-previous"), style()->standardIcon(QStyle::SP_ArrowBack)),
            tr("Back"), m_browser, &QTextBrowser::backward);
    back->setObjectName("helpBack");
    back->setShortcut(QKeySequence::Back);
    QAction* forward
        = bar->addAction(QIcon::fromTheme(QStringLiteral("go-next"), style()->standardIcon(QStyle::SP_ArrowForward)),
            tr("Forward"), m_browser, &QTextBrowser::forward);
    forward->setObjectName("helpForward");
    forward->setShortcut(QKeySequence::Forward);
    QAction* home
        = bar->addAction(QIcon::fromTheme(QStringLiteral("go-home"), style()->standardIcon(QStyle::SP_DirHomeIcon)),
            tr("Contents"), this, [this] { showPage(m_home); });
    home->setObjectName("helpHome");
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpWindow::openLink);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = m_browser->documentTitle();
        setWindowTitle(title.isEmpty() ? tr("Kelvanto Help") : title);
    });
    bar->addSeparator();
    bar->addWidget(m_search);
    bar->addWidget(m_notFound);
    connect(m_search, &QLineEdit::returnPressed, this, [this] { findTyped(false); });
    connect(m_search, &QLineEdit::textEdited, this, [this] { m_notFound->clear(); });
    auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Return), m_search);
    previous->setContext(Qt::WidgetShortcut);
    connect(previous, &QShortcut::activated, this, [this] { findTyped(true); });
    auto* focusSearch = new QShortcut(QKeySequence::Find, this);
    connect(focusSearch, &QShortcut::activated, this, [this] {
        m_search->setFocus();
        m_search->selectAll();
    });

    setCentralWidget(m_browser);
    resize(800, 600);
}

void HelpWindow::showPage(const QUrl& page)
{
    if (m_home.isEmpty())
        m_home = page;
    m_browser->setSource(page);
    show();
    raise();
    activateWindow();
}

void HelpWindow::setHome(const QUrl& home)
{
    m_home = home;
}

QUrl HelpWindow::currentPage() const
{
    return m_browser->source();
}

bool HelpWindow::find(const QString& text, bool backward)
{
    if (text.isEmpty())
        return false;
    const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (m_browser->find(text, flags))
        return true;
    // Once more from the other end of the page.
    QTextCursor cursor = m_browser->textCursor();
    cursor.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
    m_browser->setTextCursor(cursor);
    return m_browser->find(text, flags);
}

void HelpWindow::findTyped(bool backward)
{
    m_notFound->setText(find(m_search->text(), backward) ? QString() : tr("Not found"));
}

void HelpWindow::openLink(const QUrl& url)
{
    const QUrl target = m_browser->source().resolved(url);
    if (target.isLocalFile() || target.scheme().isEmpty())
        m_browser->setSource(target);
    else
        QDesktopServices::openUrl(target);
}

} // namespace kelvanto
