#pragma once
// The keys the editor gives a meaning to, and the modifier set of a key event. The window maps
// its toolkit's key codes onto these; every other key is kOther.
#include <cstdint>

namespace memo {

enum class TKey {
    kOther,
    kBackspace,
    kClear,
    kPageUp,
    kPageDown,
    kEnd,
    kHome,
    kLeft,
    kUp,
    kRight,
    kDown,
    kInsert,
    kDelete,
    kEscape,
    kA,
    kC,
    kV,
    kX,
    kY,
    kZ
};

enum TShiftStateBit : std::uint8_t { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
using TShiftState = std::uint8_t; // a set of TShiftStateBit

} // namespace memo
