#include "TypeCodec.h"

#include "Conversions.h"
#include "ServerError.h"
#include "Text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace velmora::tds {

namespace {

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

constexpr uint16_t nullLength = 0xFFFF;
constexpr uint64_t plpNull = std::numeric_limits<uint64_t>::max();
constexpr uint32_t longNull = 0xFFFFFFFF;

std::string nameOf(const SqlType& type) {
    return SqlType::of(type.kind).typeName();
}

[[noreturn]] void overflow(const SqlType& type) {
    throw ServerError(8115, "Arithmetic overflow error converting expression to data type " +
                                nameOf(type) + ".");
}

[[noreturn]] void conversionFailed(const SqlType& type, const Cell& value) {
    if (value.kind == ValueKind::Text)
        throw ServerError(245, "Conversion failed when converting the nvarchar value '" +
                                   std::string(value.bytes) + "' to data type " + nameOf(type) +
                                   ".");
    throw ServerError(529, "Explicit conversion to data type " + nameOf(type) +
                               " is not allowed for this value.");
}

[[noreturn]] void truncated() {
    throw ServerError(8152, "String or binary data would be truncated.");
}

int integerBytes(TypeKind kind) {
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

int decimalBytes(int precision) {
    if (precision <= 9)
        return 4;
    if (precision <= 19)
        return 8;
    if (precision <= 28)
        return 12;
    return 16;
}

int timeBytes(int scale) {
    return scale <= 2 ? 3 : scale <= 4 ? 4 : 5;
}

int64_t integerOf(const SqlType& type, const Cell& value) {
    int64_t number = 0;
    switch (value.kind) {
    case ValueKind::Integer:
        number = value.integer;
        break;
    case ValueKind::Real:
        if (!(std::fabs(value.real) < 9.2e18))
            overflow(type);
        number = static_cast<int64_t>(value.real);
        break;
    case ValueKind::Text: {
        const std::string text(value.bytes);
        char* end = nullptr;
        errno = 0;
        number = std::strtoll(text.c_str(), &end, 10);
        if (end == text.c_str() || *end != '\0' || errno == ERANGE)
            conversionFailed(type, value);
        break;
    }
    default:
        conversionFailed(type, value);
    }
    const int bits = integerBytes(type.kind) * 8;
    const bool fits =
        type.kind == TypeKind::TinyInt ? number >= 0 && number <= 255
        : bits == 64                   ? true
                     : number >= -(int64_t{1} << (bits - 1)) && number < (int64_t{1} << (bits - 1));
    if (!fits)
        overflow(type);
    return number;
}

double realOf(const SqlType& type, const Cell& value) {
    switch (value.kind) {
    case ValueKind::Integer:
        return static_cast<double>(value.integer);
    case ValueKind::Real:
        return value.real;
    case ValueKind::Text: {
        const std::string text(value.bytes);
        char* end = nullptr;
        const double number = std::strtod(text.c_str(), &end);
        if (end == text.c_str() || *end != '\0')
            conversionFailed(type, value);
        return number;
    }
    default:
        conversionFailed(type, value);
    }
}

ScaledDecimal decimalOf(const SqlType& type, const Cell& value, int scale) {
    switch (value.kind) {
    case ValueKind::Integer: {
        ScaledDecimal scaled{value.integer < 0, 0};
        const uint64_t magnitude = value.integer < 0 ? 0 - static_cast<uint64_t>(value.integer)
                                                     : static_cast<uint64_t>(value.integer);
        scaled.magnitude = uint128{magnitude} * powerOfTen(scale);
        return scaled;
    }
    case ValueKind::Real:
        return decimalFromDouble(value.real, scale);
    case ValueKind::Text:
        if (auto parsed = parseDecimal(value.bytes, scale))
            return *parsed;
        conversionFailed(type, value);
    default:
        conversionFailed(type, value);
    }
}

Timestamp timestampOf(const Cell& value) {
    if (value.kind == ValueKind::Text)
        if (auto parsed = parseTimestamp(value.bytes))
            return *parsed;
    throw ServerError(241, "Conversion failed when converting date and/or time from character "
                           "string.");
}

// Text in the form the column's type sends: UTF-16LE or the code page of the collation.
std::string characterBytes(const SqlType& type, const Cell& value) {
    std::string utf8;
    switch (value.kind) {
    case ValueKind::Integer:
        utf8 = std::to_string(value.integer);
        break;
    case ValueKind::Real: {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.15g", value.real);
        utf8 = buffer;
        break;
    }
    default:
        utf8 = value.bytes;
        break;
    }
    std::string bytes = type.isUnicode() ? utf8ToUtf16(utf8) : utf8ToCp1252(utf8);
    const size_t unit = type.isUnicode() ? 2 : 1;
    if (type.kind == TypeKind::Char || type.kind == TypeKind::NChar) {
        const size_t wanted = static_cast<size_t>(type.length) * unit;
        if (bytes.size() > wanted)
            truncated();
        while (bytes.size() < wanted)
            bytes += type.isUnicode() ? std::string("\x20\x00", 2) : std::string(" ");
    } else if (!type.isLong() && bytes.size() > static_cast<size_t>(type.length) * unit) {
        truncated();
    }
    return bytes;
}

std::string binaryBytes(const SqlType& type, const Cell& value) {
    if (value.kind != ValueKind::Blob && value.kind != ValueKind::Text)
        conversionFailed(type, value);
    std::string bytes(value.bytes);
    if (type.kind == TypeKind::Binary) {
        if (bytes.size() > static_cast<size_t>(type.length))
            truncated();
        bytes.resize(static_cast<size_t>(type.length), '\0');
    } else if (!type.isLong() && bytes.size() > static_cast<size_t>(type.length)) {
        truncated();
    }
    return bytes;
}

void writeMagnitude(WireWriter& out, uint128 magnitude, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.u8(static_cast<uint8_t>(magnitude >> (8 * i)));
}

void writeDays(WireWriter& out, int32_t days) {
    for (int i = 0; i < 3; ++i)
        out.u8(static_cast<uint8_t>(days >> (8 * i)));
}

// Time of day in units of 10^-scale seconds, rounded; a day that rounds up moves the date.
void writeTimeOfDay(WireWriter& out, Timestamp& value, int scale) {
    const int64_t unit = static_cast<int64_t>(powerOfTen(7 - scale));
    int64_t units = (value.ticks100 + unit / 2) / unit;
    if (units * unit >= ticks100PerDay) {
        units = 0;
        ++value.days;
    }
    for (int i = 0; i < timeBytes(scale); ++i)
        out.u8(static_cast<uint8_t>(units >> (8 * i)));
}

// A long value's bytes in one PLP chunk.
void writePlp(WireWriter& out, std::string_view bytes) {
    out.u64(bytes.size());
    if (!bytes.empty()) {
        out.u32(static_cast<uint32_t>(bytes.size()));
        out.raw(bytes);
    }
    out.u32(0);
}

void writeLengthPrefixed(WireWriter& out, const SqlType& type, std::string_view bytes) {
    if (type.isMax())
        return writePlp(out, bytes);
    if (type.kind == TypeKind::Text || type.kind == TypeKind::NText ||
        type.kind == TypeKind::Image) {
        out.u8(16);
        out.zeros(16); // text pointer
        out.zeros(8);  // timestamp
        out.u32(static_cast<uint32_t>(bytes.size()));
        return out.raw(bytes);
    }
    out.u16(static_cast<uint16_t>(bytes.size()));
    out.raw(bytes);
}

void writeNull(WireWriter& out, const SqlType& type) {
    if (type.isMax())
        return out.u64(plpNull);
    if (type.kind == TypeKind::Text || type.kind == TypeKind::NText || type.kind == TypeKind::Image)
        return out.u8(0);
    if (type.isCharacter() || type.isBinary())
        return out.u16(nullLength);
    out.u8(0);
}

void writeDecimal(WireWriter& out, const SqlType& type, const ScaledDecimal& value) {
    if (value.magnitude >= powerOfTen(type.precision))
        overflow(type);
    const int bytes = decimalBytes(type.precision);
    out.u8(static_cast<uint8_t>(bytes + 1));
    out.u8(value.negative ? 0 : 1);
    writeMagnitude(out, value.magnitude, bytes);
}

void writeMoney(WireWriter& out, const SqlType& type, const Cell& value) {
    const ScaledDecimal scaled = decimalOf(type, value, 4);
    const bool small = type.kind == TypeKind::SmallMoney;
    if (scaled.magnitude > (small ? uint128{2147483647} : uint128{9223372036854775807ULL}))
        overflow(type);
    const int64_t number = scaled.negative ? -static_cast<int64_t>(scaled.magnitude)
                                           : static_cast<int64_t>(scaled.magnitude);
    if (small) {
        out.u8(4);
        return out.i32(static_cast<int32_t>(number));
    }
    out.u8(8);
    out.u32(static_cast<uint32_t>(static_cast<uint64_t>(number) >> 32));
    out.u32(static_cast<uint32_t>(static_cast<uint64_t>(number)));
}

void writeDateTime(WireWriter& out, const SqlType& type, const Cell& value) {
    Timestamp stamp = timestampOf(value);
    if (type.kind == TypeKind::SmallDateTime) {
        int64_t minutes = (stamp.ticks100 + 30 * ticks100PerSecond) / (60 * ticks100PerSecond);
        int32_t days = stamp.days - daysTo1900;
        if (minutes >= 24 * 60)
            minutes = 0, ++days;
        if (days < 0 || days > 65535)
            overflow(type);
        out.u8(4);
        out.u16(static_cast<uint16_t>(days));
        return out.u16(static_cast<uint16_t>(minutes));
    }
    // 1/300 s ticks, rounded as SQL Server rounds to .000, .003 and .007.
    int64_t ticks = (stamp.ticks100 * 3 + 50'000) / 100'000;
    int32_t days = stamp.days - daysTo1900;
    if (ticks >= 300LL * 86400)
        ticks = 0, ++days;
    if (days < -53690)
        overflow(type); // before 1753-01-01
    out.u8(8);
    out.i32(days);
    out.u32(static_cast<uint32_t>(ticks));
}

} // namespace

const std::string_view serverCollation("\x09\x04\xD0\x00\x34", 5);

void writeTypeInfo(WireWriter& out, const SqlType& type) {
    const auto character = [&](uint8_t code, int unitBytes) {
        out.u8(code);
        out.u16(type.isMax() ? nullLength : static_cast<uint16_t>(type.length * unitBytes));
        out.raw(serverCollation);
    };
    switch (type.kind) {
    case TypeKind::TinyInt:
    case TypeKind::SmallInt:
    case TypeKind::Int:
    case TypeKind::BigInt:
        out.u8(tdsIntN);
        return out.u8(static_cast<uint8_t>(integerBytes(type.kind)));
    case TypeKind::Bit:
        out.u8(tdsBitN);
        return out.u8(1);
    case TypeKind::Decimal:
    case TypeKind::Numeric:
        out.u8(type.kind == TypeKind::Decimal ? tdsDecimalN : tdsNumericN);
        out.u8(static_cast<uint8_t>(decimalBytes(type.precision) + 1));
        out.u8(static_cast<uint8_t>(type.precision));
        return out.u8(static_cast<uint8_t>(type.scale));
    case TypeKind::Money:
    case TypeKind::SmallMoney:
        out.u8(tdsMoneyN);
        return out.u8(type.kind == TypeKind::Money ? 8 : 4);
    case TypeKind::Float:
    case TypeKind::Real:
        out.u8(tdsFloatN);
        return out.u8(type.kind == TypeKind::Float ? 8 : 4);
    case TypeKind::DateTime:
    case TypeKind::SmallDateTime:
        out.u8(tdsDateTimeN);
        return out.u8(type.kind == TypeKind::DateTime ? 8 : 4);
    case TypeKind::DateTime2:
    case TypeKind::Time:
        out.u8(type.kind == TypeKind::DateTime2 ? tdsDateTime2N : tdsTimeN);
        return out.u8(static_cast<uint8_t>(type.scale));
    case TypeKind::Date:
        return out.u8(tdsDateN);
    case TypeKind::UniqueIdentifier:
        out.u8(tdsGuid);
        return out.u8(16);
    case TypeKind::Char:
        return character(tdsBigChar, 1);
    case TypeKind::VarChar:
        return character(tdsBigVarChar, 1);
    case TypeKind::NChar:
        return character(tdsNChar, 2);
    case TypeKind::NVarChar:
        return character(tdsNVarChar, 2);
    case TypeKind::Binary:
    case TypeKind::VarBinary:
        out.u8(type.kind == TypeKind::Binary ? tdsBigBinary : tdsBigVarBinary);
        return out.u16(type.isMax() ? nullLength : static_cast<uint16_t>(type.length));
    case TypeKind::Text:
    case TypeKind::NText:
    case TypeKind::Image:
        out.u8(type.kind == TypeKind::Text    ? tdsText
               : type.kind == TypeKind::NText ? tdsNText
                                              : tdsImage);
        out.u32(type.kind == TypeKind::NText ? 0x7FFFFFFE : 0x7FFFFFFF);
        if (type.kind != TypeKind::Image)
            out.raw(serverCollation);
        return out.u8(0); // no table name parts
    }
}

void writeValue(WireWriter& out, const SqlType& type, const Cell& value) {
    if (value.kind == ValueKind::Null)
        return writeNull(out, type);
    switch (type.kind) {
    case TypeKind::TinyInt:
    case TypeKind::SmallInt:
    case TypeKind::Int:
    case TypeKind::BigInt: {
        const int64_t number = integerOf(type, value);
        const int bytes = integerBytes(type.kind);
        out.u8(static_cast<uint8_t>(bytes));
        for (int i = 0; i < bytes; ++i)
            out.u8(static_cast<uint8_t>(static_cast<uint64_t>(number) >> (8 * i)));
        return;
    }
    case TypeKind::Bit:
        out.u8(1);
        return out.u8(value.kind == ValueKind::Text
                          ? (value.bytes == "1" || equalsIgnoringCase(value.bytes, "true"))
                          : realOf(type, value) != 0);
    case TypeKind::Decimal:
    case TypeKind::Numeric:
        return writeDecimal(out, type, decimalOf(type, value, type.scale));
    case TypeKind::Money:
    case TypeKind::SmallMoney:
        return writeMoney(out, type, value);
    case TypeKind::Float:
        out.u8(8);
        return out.f64(realOf(type, value));
    case TypeKind::Real:
        out.u8(4);
        return out.f32(static_cast<float>(realOf(type, value)));
    case TypeKind::DateTime:
    case TypeKind::SmallDateTime:
        return writeDateTime(out, type, value);
    case TypeKind::DateTime2: {
        Timestamp stamp = timestampOf(value);
        out.u8(static_cast<uint8_t>(timeBytes(type.scale) + 3));
        writeTimeOfDay(out, stamp, type.scale);
        return writeDays(out, stamp.days);
    }
    case TypeKind::Date:
        out.u8(3);
        return writeDays(out, timestampOf(value).days);
    case TypeKind::Time: {
        Timestamp stamp = timestampOf(value);
        out.u8(static_cast<uint8_t>(timeBytes(type.scale)));
        return writeTimeOfDay(out, stamp, type.scale);
    }
    case TypeKind::UniqueIdentifier: {
        std::optional<std::string> bytes;
        if (value.kind == ValueKind::Text)
            bytes = parseGuid(value.bytes);
        else if (value.kind == ValueKind::Blob && value.bytes.size() == 16)
            bytes = std::string(value.bytes);
        if (!bytes)
            throw ServerError(8169, "Conversion failed when converting from a character string "
                                    "to uniqueidentifier.");
        out.u8(16);
        return out.raw(*bytes);
    }
    case TypeKind::Char:
    case TypeKind::VarChar:
    case TypeKind::NChar:
    case TypeKind::NVarChar:
    case TypeKind::Text:
    case TypeKind::NText:
        return writeLengthPrefixed(out, type, characterBytes(type, value));
    case TypeKind::Binary:
    case TypeKind::VarBinary:
    case TypeKind::Image:
        return writeLengthPrefixed(out, type, binaryBytes(type, value));
    }
}

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
