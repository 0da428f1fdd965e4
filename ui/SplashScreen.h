#pragma once

#include <QSplashScreen>

namespace kelvanto
{

// The splash screen: the program's picture and name, centred and in front, for three seconds
// or until a click or a key press dismisses it.
class SplashScreen : public QSplashScreen
{
    Q_OBJECT

public:
    SplashScreen();

    // The splash picture, 420 x 220 logical pixels at the given device pixel ratio.
    static QPixmap picture(qreal devicePixelRatio);

    // Shows the splash and waits (the event loop runs) until it is over.
    static void showFor(int milliseconds);

signals:
    void dismissed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace kelvanto
