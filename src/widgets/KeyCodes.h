#pragma once
// The original's key codes: what KeyDown reports for a key event.

#include <qnamespace.h>

class QKeyEvent;

namespace KeyCodes {

inline constexpr int vbKeyDelete = 46;
inline constexpr int vbShiftMask = 1;

// The Windows virtual-key code of a key event (0 when it has none).
int KeyCode(const QKeyEvent *event);
// The modifier mask: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftMask(Qt::KeyboardModifiers modifiers);

} // namespace KeyCodes
