#pragma once
// Qt's key events in the editor's terms: the key and modifier set of the key-down stage, and the
// characters of the character stage.
#include "Keys.h"

#include <QKeyEvent>
#include <string>

namespace memo {

TKey KeyOf(int QtKey);
TShiftState ShiftOf(Qt::KeyboardModifiers Modifiers);
// What a key event types. Nothing while Ctrl or Alt alone is held: those make shortcuts, not
// text (Ctrl and Alt together are AltGr on some systems, which types).
std::u32string TypedCharacters(const QKeyEvent& Event);

} // namespace memo
