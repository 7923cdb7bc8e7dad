#include "Conversions.h"
#include "TdsTypeCodes.h"
#include "Text.h"
#include "TypeCodec.h"

namespace velmora::tds {

namespace {

std::string readPlp(WireReader& in, bool& isNull) {
    const uint64_t total = in.u64();
    isNull = total == plpNull;
    std::string bytes;
    if (isNull)
        return bytes;
    while (const uint32_t chunk = in.u32())
        bytes.append(in.take(chunk));
    return bytes;
}

int64_t readLittle(WireReader& in, int bytes) {
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= uint64_t{in.u8()} << (8 * i);
    if (bytes < 8 && (value >> (8 * bytes - 1)) & 1)
        value |= ~uint64_t{0} << (8 * bytes); // sign-extend
    return static_cast<int64_t>(value);
}

Timestamp readDays(WireReader& in) {
    Timestamp stamp;
    stamp.days = static_cast<int32_t>(readLittle(in, 3) & 0xFFFFFF);
    return stamp;
}

int64_t readTimeOfDay(WireReader& in, int scale) {
    const int64_t units =
        readLittle(in, timeBytes(scale)) & ((int64_t{1} << (8 * timeBytes(scale))) - 1);
    return units * static_cast<int64_t>(powerOfTen(7 - scale));
}

Value moneyValue(int64_t tenThousandths) {
    ScaledDecimal scaled{tenThousandths < 0, 0};
    scaled.magnitude = tenThousandths < 0 ? 0 - static_cast<uint64_t>(tenThousandths)
                                          : static_cast<uint64_t>(tenThousandths);
    return Value::text(formatDecimal(scaled, 4));
}

Value dateTimeValue(int32_t days1900, uint32_t ticks300) {
    const Timestamp stamp{days1900 + daysTo1900, int64_t{ticks300} * 100'000 / 3};
    return Value::text(formatTimestamp(stamp, true, true, 3));
}

Value textValue(const SqlType& type, std::string_view bytes) {
    return Value::text(type.isUnicode() ? utf16ToUtf8(bytes) : cp1252ToUtf8(bytes));
}

// The value of a type whose TYPE_INFO has been read.
Value readValueOf(WireReader& in, uint8_t code, SqlType& type, bool plp) {
    switch (code) {
    case tdsInt1:
        return Value::of(int64_t{in.u8()});
    case tdsBit:
        return Value::of(int64_t{in.u8() != 0});
    case tdsInt2:
        return Value::of(readLittle(in, 2));
    case tdsInt4:
        return Value::of(readLittle(in, 4));
    case tdsInt8:
        return Value::of(readLittle(in, 8));
    case tdsFloat4:
        return Value::of(static_cast<double>(in.f32()));
    case tdsFloat8:
        return Value::of(in.f64());
    case tdsMoney4:
        return moneyValue(in.i32());
    case tdsMoney: {
        const uint64_t high = in.u32();
        return moneyValue(static_cast<int64_t>(high << 32 | in.u32()));
    }
    case tdsDateTime4: {
        const uint16_t days = in.u16();
        return dateTimeValue(days, uint32_t{in.u16()} * 60 * 300);
    }
    case tdsDateTime: {
        const int32_t days = in.i32();
        return dateTimeValue(days, in.u32());
    }
    default:
        break;
    }
    if (plp) {
        bool isNull = false;
        std::string bytes = readPlp(in, isNull);
        if (isNull)
            return Value::null();
        return type.isBinary() ? Value::blob(std::move(bytes)) : textValue(type, bytes);
    }
    if (type.kind == TypeKind::Text || type.kind == TypeKind::NText ||
        type.kind == TypeKind::Image) {
        const uint32_t length = in.u32();
        if (length == longNull)
            return Value::null();
        const std::string_view bytes = in.take(length);
        return type.isBinary() ? Value::blob(std::string(bytes)) : textValue(type, bytes);
    }
    if (type.isCharacter() || type.isBinary()) {
        const uint16_t length = in.u16();
        if (length == nullLength)
            return Value::null();
        const std::string_view bytes = in.take(length);
        return type.isBinary() ? Value::blob(std::string(bytes)) : textValue(type, bytes);
    }
    const uint8_t length = in.u8();
    if (length == 0)
        return Value::null();
    switch (type.kind) {
    case TypeKind::TinyInt:
    case TypeKind::SmallInt:
    case TypeKind::Int:
    case TypeKind::BigInt:
        return Value::of(length == 1 ? int64_t{in.u8()} : readLittle(in, length));
    case TypeKind::Bit:
        return Value::of(int64_t{in.u8() != 0});
    case TypeKind::Float:
        return length == 4 ? Value::of(static_cast<double>(in.f32())) : Value::of(in.f64());
    case TypeKind::Money:
        return readValueOf(in, length == 4 ? tdsMoney4 : tdsMoney, type, false);
    case TypeKind::DateTime:
        return readValueOf(in, length == 4 ? tdsDateTime4 : tdsDateTime, type, false);
    case TypeKind::Decimal: {
        ScaledDecimal scaled{in.u8() == 0, 0};
        for (int i = 0; i < length - 1; ++i)
            scaled.magnitude |= uint128{in.u8()} << (8 * i);
        return Value::text(formatDecimal(scaled, type.scale));
    }
    case TypeKind::UniqueIdentifier:
        return Value::text(formatGuid(in.take(16)));
    case TypeKind::Date:
        return Value::text(formatTimestamp(readDays(in), true, false, 0));
    case TypeKind::Time: {
        const Timestamp stamp{0, readTimeOfDay(in, type.scale)};
        return Value::text(formatTimestamp(stamp, false, true, type.scale));
    }
    case TypeKind::DateTime2: {
        const int64_t ticks = readTimeOfDay(in, type.scale);
        Timestamp stamp = readDays(in);
        stamp.ticks100 = ticks;
        return Value::text(formatTimestamp(stamp, true, true, type.scale));
    }
    default:
        throw ProtocolError("unexpected parameter type");
    }
}

} // namespace

TypedValue readTypedValue(WireReader& in) {
    const uint8_t code = in.u8();
    TypedValue result;
    SqlType& type = result.type;
    bool plp = false;
    const auto character = [&](TypeKind kind, int unitBytes) {
        const uint16_t maximum = in.u16();
        in.take(serverCollation.size());
        plp = maximum == nullLength;
        type = SqlType::of(kind, plp ? maxLength : maximum / unitBytes);
    };
    switch (code) {
    case tdsInt1:
    case tdsBit:
    case tdsInt2:
    case tdsInt4:
    case tdsInt8:
    case tdsFloat4:
    case tdsFloat8:
    case tdsMoney4:
    case tdsMoney:
    case tdsDateTime4:
    case tdsDateTime:
        break; // fixed length: no TYPE_INFO beyond the code
    case tdsIntN: {
        const uint8_t size = in.u8();
        type = SqlType::of(size == 1   ? TypeKind::TinyInt
                           : size == 2 ? TypeKind::SmallInt
                           : size == 4 ? TypeKind::Int
                                       : TypeKind::BigInt);
        break;
    }
    case tdsBitN:
        in.u8();
        type = SqlType::of(TypeKind::Bit);
        break;
    case tdsFloatN:
        in.u8();
        type = SqlType::of(TypeKind::Float);
        break;
    case tdsMoneyN:
        in.u8();
        type = SqlType::of(TypeKind::Money);
        break;
    case tdsDateTimeN:
        in.u8();
        type = SqlType::of(TypeKind::DateTime);
        break;
    case tdsGuid:
        in.u8();
        type = SqlType::of(TypeKind::UniqueIdentifier);
        break;
    case tdsDecimalN:
    case tdsNumericN: {
        in.u8();
        const int precision = in.u8();
        type = SqlType::decimal(precision, in.u8());
        break;
    }
    case tdsDateN:
        type = SqlType::of(TypeKind::Date);
        break;
    case tdsTimeN:
    case tdsDateTime2N:
        type = SqlType::of(code == tdsTimeN ? TypeKind::Time : TypeKind::DateTime2);
        type.scale = in.u8();
        break;
    case tdsBigChar:
        character(TypeKind::Char, 1);
        break;
    case tdsBigVarChar:
        character(TypeKind::VarChar, 1);
        break;
    case tdsNChar:
        character(TypeKind::NChar, 2);
        break;
    case tdsNVarChar:
        character(TypeKind::NVarChar, 2);
        break;
    case tdsBigBinary:
    case tdsBigVarBinary: {
        const uint16_t maximum = in.u16();
        plp = maximum == nullLength;
        type = SqlType::of(code == tdsBigBinary ? TypeKind::Binary : TypeKind::VarBinary,
                           plp ? maxLength : maximum);
        break;
    }
    case tdsText:
    case tdsNText:
    case tdsImage:
        in.u32();
        if (code != tdsImage)
            in.take(serverCollation.size());
        type = SqlType::of(code == tdsText    ? TypeKind::Text
                           : code == tdsNText ? TypeKind::NText
                                              : TypeKind::Image);
        break;
    default:
        throw ProtocolError("unsupported parameter type " + std::to_string(code));
    }
    result.value = readValueOf(in, code, type, plp);
    return result;
}

} // namespace velmora::tds
