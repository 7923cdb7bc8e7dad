#include "KeyMapping.h"

#include "QtText.h"

namespace memo {

TKey KeyOf(int QtKey) {
    switch (QtKey) {
    case Qt::Key_Backspace:
        return TKey::kBackspace;
    case Qt::Key_Clear:
        return TKey::kClear;
    case Qt::Key_PageUp:
        return TKey::kPageUp;
    case Qt::Key_PageDown:
        return TKey::kPageDown;
    case Qt::Key_End:
        return TKey::kEnd;
    case Qt::Key_Home:
        return TKey::kHome;
    case Qt::Key_Left:
        return TKey::kLeft;
    case Qt::Key_Up:
        return TKey::kUp;
    case Qt::Key_Right:
        return TKey::kRight;
    case Qt::Key_Down:
        return TKey::kDown;
    case Qt::Key_Insert:
        return TKey::kInsert;
    case Qt::Key_Delete:
        return TKey::kDelete;
    case Qt::Key_Escape:
        return TKey::kEscape;
    case Qt::Key_A:
        return TKey::kA;
    case Qt::Key_C:
        return TKey::kC;
    case Qt::Key_V:
        return TKey::kV;
    case Qt::Key_X:
        return TKey::kX;
    case Qt::Key_Y:
        return TKey::kY;
    case Qt::Key_Z:
        return TKey::kZ;
    default:
        return TKey::kOther;
    }
}

TShiftState ShiftOf(Qt::KeyboardModifiers Modifiers) {
    TShiftState shift = 0;
    if (Modifiers & Qt::ShiftModifier)
        shift |= ssShift;
    if (Modifiers & Qt::AltModifier)
        shift |= ssAlt;
    if (Modifiers & Qt::ControlModifier)
        shift |= ssCtrl;
    return shift;
}

std::u32string TypedCharacters(const QKeyEvent& Event) {
    bool ctrl = Event.modifiers() & Qt::ControlModifier;
    bool alt = Event.modifiers() & Qt::AltModifier;
    if (ctrl != alt)
        return {};
    // Shift+Tab arrives as Backtab, with no text on some systems: it types a tab all the same.
    if (Event.key() == Qt::Key_Tab || Event.key() == Qt::Key_Backtab)
        return U"\t";
    return ToU32(Event.text());
}

} // namespace memo
