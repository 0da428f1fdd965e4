// The global hot key on a real X11 display (ctest runs this under xvfb-run): the key is
// grabbed on the root window, a key press from another client reaches the program, another
// client cannot take the same key, and letting it go frees it.
#include "ui/GlobalHotKey.h"

#include <QSignalSpy>
#include <QtTest>

// Xlib last: its macros clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace kelvanto;

namespace
{

bool g_badAccess = false;

int NoteError(Display*, XErrorEvent* error)
{
    if (error->error_code == BadAccess)
        g_badAccess = true;
    return 0;
}

// Presses and releases Ctrl+Alt+M as a second X client, the way a keyboard would.
void PressCtrlAltM(Display* display)
{
    const unsigned keys[] = {
        XKeysymToKeycode(display, XK_Control_L), XKeysymToKeycode(display, XK_Alt_L), XKeysymToKeycode(display, XK_m)};
    for (const unsigned key : keys)
        XTestFakeKeyEvent(display, key, True, CurrentTime);
    for (int i = 2; i >= 0; --i)
        XTestFakeKeyEvent(display, keys[i], False, CurrentTime);
    XFlush(display);
}

// Whether another client can grab Ctrl+Alt+M now.
bool OtherClientCanGrab(Display* display)
{
    g_badAccess = false;
    XErrorHandler previous = XSetErrorHandler(NoteError);
    const int key = XKeysymToKeycode(display, XK_m);
    const Window root = XDefaultRootWindow(display);
    XGrabKey(display, key, ControlMask | Mod1Mask, root, True, GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    XUngrabKey(display, key, ControlMask | Mod1Mask, root);
    XSync(display, False);
    XSetErrorHandler(previous);
    return !g_badAccess;
}

} // namespace

class HotKeyX11Test : public QObject
{
    Q_OBJECT

private slots:
    void theKeyIsGrabbedAndReachesTheProgram()
    {
        if (!GlobalHotKey::available())
            QSKIP("no X11 display (ctest runs this test under xvfb-run)");
        Display* other = XOpenDisplay(nullptr);
        QVERIFY(other);
        GlobalHotKey hotKey;
        QSignalSpy activated(&hotKey, &GlobalHotKey::activated);
        QVERIFY(hotKey.registerKey(HotKey {77, 6}));
        QVERIFY(!OtherClientCanGrab(other));

        PressCtrlAltM(other);
        QTRY_COMPARE(activated.count(), 1);

        hotKey.unregisterKey();
        QVERIFY(OtherClientCanGrab(other));
        PressCtrlAltM(other);
        QTest::qWait(100);
        QCOMPARE(activated.count(), 1);
        XCloseDisplay(other);
    }
};

QTEST_MAIN(HotKeyX11Test)
#include "HotKeyX11Test.moc"
