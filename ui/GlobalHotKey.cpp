#include "ui/GlobalHotKey.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
// Xlib last: its macros (None, Bool, KeyPress...) would clash with Qt's names.
#include <X11/Xlib.h>

namespace kelvanto
{

namespace
{

// The lock modifiers that must not stop the hot key: Caps Lock and Num Lock.
constexpr unsigned kIgnoredMasks[] = {0, LockMask, Mod2Mask, LockMask | Mod2Mask};
constexpr unsigned kModifierMasks = ShiftMask | ControlMask | Mod1Mask | Mod4Mask;

Display* X11Display()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

bool g_grabFailed = false;

int NoteGrabError(Display*, XErrorEvent* error)
{
    if (error->error_code == BadAccess)
        g_grabFailed = true;
    return 0;
}

} // namespace

GlobalHotKey::GlobalHotKey(QObject* parent)
    : QObject(parent)
{ }

GlobalHotKey::~GlobalHotKey()
{
    unregisterKey();
}

bool GlobalHotKey::available()
{
    return X11Display() != nullptr;
}

bool GlobalHotKey::registerKey(const HotKey& hotKey)
{
    unregisterKey();
    Display* display = X11Display();
    const unsigned long keySym = hotKeyKeySym(hotKey.code);
    if (!display || keySym == 0)
        return false;
    const KeyCode keyCode = XKeysymToKeycode(display, keySym);
    if (keyCode == 0)
        return false;
    const unsigned modifiers = hotKeyX11Modifiers(hotKey.modifiers);
    const Window root = XDefaultRootWindow(display);

    XSync(display, False);
    g_grabFailed = false;
    XErrorHandler previous = XSetErrorHandler(NoteGrabError);
    for (const unsigned ignored : kIgnoredMasks)
        XGrabKey(display, keyCode, modifiers | ignored, root, True, GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    XSetErrorHandler(previous);
    if (g_grabFailed) {
        for (const unsigned ignored : kIgnoredMasks)
            XUngrabKey(display, keyCode, modifiers | ignored, root);
        XSync(display, False);
        return false;
    }
    m_display = display;
    m_keyCode = keyCode;
    m_modifiers = modifiers;
    QCoreApplication::instance()->installNativeEventFilter(this);
    return true;
}

void GlobalHotKey::unregisterKey()
{
    if (m_keyCode == 0)
        return;
    auto* display = static_cast<Display*>(m_display);
    const Window root = XDefaultRootWindow(display);
    for (const unsigned ignored : kIgnoredMasks)
        XUngrabKey(display, static_cast<int>(m_keyCode), m_modifiers | ignored, root);
    XSync(display, False);
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    m_keyCode = 0;
    m_modifiers = 0;
    m_display = nullptr;
}

bool GlobalHotKey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (m_keyCode == 0 || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_KEY_PRESS)
        return false;
    const auto* press = static_cast<const xcb_key_press_event_t*>(message);
    if (press->detail != m_keyCode || (press->state & kModifierMasks) != m_modifiers)
        return false;
    emit activated();
    return true;
}

} // namespace kelvanto
