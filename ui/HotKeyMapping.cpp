#include "ui/HotKeyMapping.h"

namespace kelvanto
{

namespace
{

struct KeyRow
{
    std::uint16_t code;
    int qtKey;
    bool keypad;
    unsigned long keySym;
};

// Keys beyond the letters, the digits and F1-F24 (which follow a rule, below).
constexpr KeyRow kKeys[] = {
    {0x08, Qt::Key_Backspace, false, 0xFF08},
    {0x09, Qt::Key_Tab, false, 0xFF09},
    {0x0D, Qt::Key_Return, false, 0xFF0D},
    {0x13, Qt::Key_Pause, false, 0xFF13},
    {0x1B, Qt::Key_Escape, false, 0xFF1B},
    {0x20, Qt::Key_Space, false, 0x0020},
    {0x21, Qt::Key_PageUp, false, 0xFF55},
    {0x22, Qt::Key_PageDown, false, 0xFF56},
    {0x23, Qt::Key_End, false, 0xFF57},
    {0x24, Qt::Key_Home, false, 0xFF50},
    {0x25, Qt::Key_Left, false, 0xFF51},
    {0x26, Qt::Key_Up, false, 0xFF52},
    {0x27, Qt::Key_Right, false, 0xFF53},
    {0x28, Qt::Key_Down, false, 0xFF54},
    {0x2D, Qt::Key_Insert, false, 0xFF63},
    {0x2E, Qt::Key_Delete, false, 0xFFFF},
    {0x6A, Qt::Key_Asterisk, true, 0xFFAA},
    {0x6B, Qt::Key_Plus, true, 0xFFAB},
    {0x6D, Qt::Key_Minus, true, 0xFFAD},
    {0x6E, Qt::Key_Period, true, 0xFFAE},
    {0x6F, Qt::Key_Slash, true, 0xFFAF},
    {0xBA, Qt::Key_Semicolon, false, 0x003B},
    {0xBB, Qt::Key_Equal, false, 0x003D},
    {0xBC, Qt::Key_Comma, false, 0x002C},
    {0xBD, Qt::Key_Minus, false, 0x002D},
    {0xBE, Qt::Key_Period, false, 0x002E},
    {0xBF, Qt::Key_Slash, false, 0x002F},
    {0xC0, Qt::Key_QuoteLeft, false, 0x0060},
    {0xDB, Qt::Key_BracketLeft, false, 0x005B},
    {0xDC, Qt::Key_Backslash, false, 0x005C},
    {0xDD, Qt::Key_BracketRight, false, 0x005D},
    {0xDE, Qt::Key_Apostrophe, false, 0x0027},
};

constexpr std::uint16_t kShift = 1, kCtrl = 2, kAlt = 4, kExtended = 8;

std::optional<KeyRow> RowForCode(std::uint16_t code)
{
    if (code >= 'A' && code <= 'Z')
        return KeyRow {code, Qt::Key_A + (code - 'A'), false, 0x61ul + (code - 'A')};
    if (code >= '0' && code <= '9')
        return KeyRow {code, Qt::Key_0 + (code - '0'), false, 0x30ul + (code - '0')};
    if (code >= 0x60 && code <= 0x69) // the keypad's digits
        return KeyRow {code, Qt::Key_0 + (code - 0x60), true, 0xFFB0ul + (code - 0x60)};
    if (code >= 0x70 && code <= 0x87)
        return KeyRow {code, Qt::Key_F1 + (code - 0x70), false, 0xFFBEul + (code - 0x70)};
    for (const KeyRow& row : kKeys) {
        if (row.code == code)
            return row;
    }
    return std::nullopt;
}

std::optional<std::uint16_t> CodeForKey(int qtKey, bool keypad)
{
    if (!keypad && qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return static_cast<std::uint16_t>('A' + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return static_cast<std::uint16_t>((keypad ? 0x60 : '0') + (qtKey - Qt::Key_0));
    if (!keypad && qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return static_cast<std::uint16_t>(0x70 + (qtKey - Qt::Key_F1));
    for (const KeyRow& row : kKeys) {
        if (row.qtKey == qtKey && row.keypad == keypad)
            return row.code;
    }
    return std::nullopt;
}

} // namespace

QKeySequence hotKeyToSequence(const HotKey& hotKey)
{
    const auto row = RowForCode(hotKey.code);
    if (!row)
        return {};
    Qt::KeyboardModifiers modifiers;
    if (hotKey.modifiers & kShift)
        modifiers |= Qt::ShiftModifier;
    if (hotKey.modifiers & kCtrl)
        modifiers |= Qt::ControlModifier;
    if (hotKey.modifiers & kAlt)
        modifiers |= Qt::AltModifier;
    if (hotKey.modifiers & kExtended)
        modifiers |= Qt::MetaModifier;
    if (row->keypad)
        modifiers |= Qt::KeypadModifier;
    return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(row->qtKey)));
}

std::optional<HotKey> sequenceToHotKey(const QKeySequence& sequence)
{
    if (sequence.isEmpty())
        return HotKey {};
    const QKeyCombination combination = sequence[0];
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    const auto code = CodeForKey(combination.key(), modifiers.testFlag(Qt::KeypadModifier));
    if (!code)
        return std::nullopt;
    HotKey hotKey {*code, 0};
    if (modifiers.testFlag(Qt::ShiftModifier))
        hotKey.modifiers |= kShift;
    if (modifiers.testFlag(Qt::ControlModifier))
        hotKey.modifiers |= kCtrl;
    if (modifiers.testFlag(Qt::AltModifier))
        hotKey.modifiers |= kAlt;
    if (modifiers.testFlag(Qt::MetaModifier))
        hotKey.modifiers |= kExtended;
    return hotKey;
}

unsigned long hotKeyKeySym(std::uint16_t code)
{
    const auto row = RowForCode(code);
    return row ? row->keySym : 0;
}

unsigned hotKeyX11Modifiers(std::uint16_t modifiers)
{
    // ShiftMask 1, ControlMask 4, Mod1Mask (Alt) 8, Mod4Mask (Super) 64.
    unsigned mask = 0;
    if (modifiers & kShift)
        mask |= 1u;
    if (modifiers & kCtrl)
        mask |= 4u;
    if (modifiers & kAlt)
        mask |= 8u;
    if (modifiers & kExtended)
        mask |= 64u;
    return mask;
}

} // namespace kelvanto
