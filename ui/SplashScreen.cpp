#include "ui/SplashScreen.h"

#include "ui/UiTexts.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QTimer>

namespace kelvanto
{

namespace
{

qreal ScreenPixelRatio()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : qApp->devicePixelRatio();
}

} // namespace

QPixmap SplashScreen::picture(qreal devicePixelRatio)
{
    // Drawn in logical pixels on a pixmap of the screen's resolution, in the palette's
    // selection colours, so that it is sharp at any scale and follows a dark palette.
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QPixmap picture(QSize(420, 220) * ratio);
    picture.setDevicePixelRatio(ratio);
    const QPalette palette = QGuiApplication::palette();
    picture.fill(palette.color(QPalette::Active, QPalette::Highlight));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QIcon(QStringLiteral(":/kelvanto/kelvanto.svg")).paint(&painter, QRect(24, 56, 108, 108));
    painter.setPen(palette.color(QPalette::Active, QPalette::HighlightedText));
    QFont title = painter.font();
    title.setPointSize(22);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRect(150, 60, 260, 40), Qt::AlignLeft | Qt::AlignVCenter, texts::tr(texts::kCaption));
    QFont line = painter.font();
    line.setPointSize(11);
    line.setBold(false);
    painter.setFont(line);
    painter.drawText(QRect(150, 100, 260, 24), Qt::AlignLeft | Qt::AlignVCenter, texts::productLine());
    painter.drawText(QRect(150, 128, 260, 40), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
        tr("Scheduled backups and maintenance for MySQL and MariaDB"));
    return picture;
}

SplashScreen::SplashScreen()
    : QSplashScreen(picture(ScreenPixelRatio()), Qt::WindowStaysOnTopHint)
{
    setObjectName("splash");
}

void SplashScreen::showFor(int milliseconds)
{
    SplashScreen splash;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        splash.move(screen->availableGeometry().center() - splash.rect().center());
    splash.show();
    splash.raise();
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    connect(&splash, &SplashScreen::dismissed, &loop, &QEventLoop::quit);
    loop.exec();
}

void SplashScreen::mousePressEvent(QMouseEvent* event)
{
    QSplashScreen::mousePressEvent(event);
    emit dismissed();
}

void SplashScreen::keyPressEvent(QKeyEvent* event)
{
    QSplashScreen::keyPressEvent(event);
    emit dismissed();
}

} // namespace kelvanto
