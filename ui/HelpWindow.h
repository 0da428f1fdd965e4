#pragma once

#include <QMainWindow>
#include <QUrl>

class QLabel;
class QLineEdit;
class QTextBrowser;

namespace kelvanto
{

// The program's own window for the HTML manual, used when the desktop has no web browser set
// up: the page with its links, Back, Forward and Contents, and a search field that finds text
// in the page (Enter finds the next match, Shift+Enter the one before). Links that leave the
// manual (web, mail) go to the desktop's handler.
class HelpWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows a page of the manual (a file URL, with a fragment for a place in it) and raises the
    // window.
    void showPage(const QUrl& page);
    QUrl currentPage() const;
    // The page that Contents shows (the manual's index); the first page shown until it is set.
    void setHome(const QUrl& home);

    // Finds text in the page from the cursor on, backwards when asked; wraps around once.
    // False when the page does not hold it.
    bool find(const QString& text, bool backward = false);

    QTextBrowser* browser() const { return m_browser; }

private:
    void openLink(const QUrl& url);
    void findTyped(bool backward);

    QTextBrowser* m_browser;
    QLineEdit* m_search;
    QLabel* m_notFound;
    QUrl m_home;
};

} // namespace kelvanto
