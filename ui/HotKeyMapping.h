#pragma once

#include <QKeySequence>

#include <cstdint>
#include <optional>

namespace kelvanto
{

// The stored hot key is a Windows virtual-key code with the hot-key control's modifier bits
// (1 Shift, 2 Ctrl, 4 Alt, 8 the extended key, which registers as the Windows key). These
// map it to Qt's key sequences (for the key editor of the options) and to X11 key symbols and
// modifier masks (for the global key grab).
struct HotKey
{
    std::uint16_t code = 0;
    std::uint16_t modifiers = 0;
    bool operator==(const HotKey&) const = default;
};

// The key sequence of a stored hot key; empty when the code is 0 or has no mapping.
QKeySequence hotKeyToSequence(const HotKey& hotKey);
// The stored form of a sequence's first key; {0, 0} for an empty sequence, nullopt for a key
// that has no virtual-key code.
std::optional<HotKey> sequenceToHotKey(const QKeySequence& sequence);

// The X11 key symbol of a virtual-key code; 0 when there is none.
unsigned long hotKeyKeySym(std::uint16_t code);
// The X11 modifier mask of the modifier bits (ShiftMask, ControlMask, Mod1Mask, Mod4Mask).
unsigned hotKeyX11Modifiers(std::uint16_t modifiers);

} // namespace kelvanto
