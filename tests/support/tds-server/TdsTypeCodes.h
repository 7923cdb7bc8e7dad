#pragma once
// The type codes of TDS and the sizes they imply, shared by the writing of result values and
// the reading of parameters.
#include "SqlTypes.h"

#include <cstdint>
#include <limits>

namespace velmora::tds {

enum TdsType : uint8_t {
    tdsInt1 = 0x30,
    tdsBit = 0x32,
    tdsInt2 = 0x34,
    tdsInt4 = 0x38,
    tdsDateTime4 = 0x3A,
    tdsFloat4 = 0x3B,
    tdsMoney = 0x3C,
    tdsDateTime = 0x3D,
    tdsFloat8 = 0x3E,
    tdsMoney4 = 0x7A,
    tdsInt8 = 0x7F,
    tdsGuid = 0x24,
    tdsIntN = 0x26,
    tdsBitN = 0x68,
    tdsDecimalN = 0x6A,
    tdsNumericN = 0x6C,
    tdsFloatN = 0x6D,
    tdsMoneyN = 0x6E,
    tdsDateTimeN = 0x6F,
    tdsDateN = 0x28,
    tdsTimeN = 0x29,
    tdsDateTime2N = 0x2A,
    tdsBigVarBinary = 0xA5,
    tdsBigVarChar = 0xA7,
    tdsBigBinary = 0xAD,
    tdsBigChar = 0xAF,
    tdsNVarChar = 0xE7,
    tdsNChar = 0xEF,
    tdsText = 0x23,
    tdsImage = 0x22,
    tdsNText = 0x63,
};

inline constexpr uint16_t nullLength = 0xFFFF;
inline constexpr uint64_t plpNull = std::numeric_limits<uint64_t>::max();
inline constexpr uint32_t longNull = 0xFFFFFFFF;

inline int integerBytes(TypeKind kind) {
    switch (kind) {
    case TypeKind::TinyInt:
        return 1;
    case TypeKind::SmallInt:
        return 2;
    case TypeKind::Int:
        return 4;
    default:
        return 8;
    }
}

inline int decimalBytes(int precision) {
    if (precision <= 9)
        return 4;
    if (precision <= 19)
        return 8;
    if (precision <= 28)
        return 12;
    return 16;
}

inline int timeBytes(int scale) {
    return scale <= 2 ? 3 : scale <= 4 ? 4 : 5;
}

} // namespace velmora::tds
