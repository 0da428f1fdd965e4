#pragma once

#include "ui/HotKeyMapping.h"

#include <QAbstractNativeEventFilter>
#include <QObject>

namespace kelvanto
{

// The global hot key that shows the main window from anywhere: a key grab on the X11 root
// window where the program runs on an X11 display (also under XWayland for X11 windows).
// Elsewhere (a Wayland session's own windows, offscreen) nothing can be grabbed; the value is
// only stored in the options, and Register says so.
class GlobalHotKey : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    explicit GlobalHotKey(QObject* parent = nullptr);
    ~GlobalHotKey() override;
    GlobalHotKey(const GlobalHotKey&) = delete;
    GlobalHotKey& operator=(const GlobalHotKey&) = delete;

    // True where a key can be grabbed at all (an X11 display).
    static bool available();

    // Grabs the key (a previous one is let go first); false when there is no X11 display, the
    // key has no X11 symbol, or another program holds it.
    bool registerKey(const HotKey& hotKey);
    void unregisterKey();
    bool isRegistered() const { return m_keyCode != 0; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    void activated();

private:
    void* m_display = nullptr;
    unsigned m_keyCode = 0;
    unsigned m_modifiers = 0;
};

} // namespace kelvanto
