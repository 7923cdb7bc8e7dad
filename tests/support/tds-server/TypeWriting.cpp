#include "Conversions.h"
#include "ServerError.h"
#include "TdsTypeCodes.h"
#include "Text.h"
#include "TypeCodec.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace velmora::tds {

namespace {

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

int64_t timeUnit(int scale) {
    return static_cast<int64_t>(powerOfTen(7 - scale));
}

// The time of day rounded to 10^-scale seconds; a day that rounds up moves the date.
Timestamp roundedTo(Timestamp value, int scale) {
    const int64_t unit = timeUnit(scale);
    value.ticks100 = (value.ticks100 + unit / 2) / unit * unit;
    if (value.ticks100 >= ticks100PerDay) {
        value.ticks100 = 0;
        ++value.days;
    }
    return value;
}

// Time of day in units of 10^-scale seconds (of a rounded value).
void writeTimeOfDay(WireWriter& out, const Timestamp& value, int scale) {
    const int64_t units = value.ticks100 / timeUnit(scale);
    for (int i = 0; i < timeBytes(scale); ++i)
        out.u8(static_cast<uint8_t>(units >> (8 * i)));
}

bool isDateOrTime(TypeKind kind) {
    return kind == TypeKind::Date || kind == TypeKind::Time || kind == TypeKind::DateTime2;
}

// The literal a down-level client reads for a date, time or datetime2 value.
std::string dateTimeLiteral(const SqlType& type, const Cell& value) {
    const Timestamp stamp = roundedTo(timestampOf(value), type.scale);
    return formatTimestamp(stamp, type.kind != TypeKind::Time, type.kind != TypeKind::Date,
                           type.kind == TypeKind::Date ? 0 : type.scale);
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

SqlType typeOnTheWire(const SqlType& type, const TokenWriter& out) {
    if (!out.atLeast(tdsVersion73A) && isDateOrTime(type.kind)) {
        const int fraction = type.scale > 0 ? type.scale + 1 : 0;
        const int length = type.kind == TypeKind::Date   ? 10
                           : type.kind == TypeKind::Time ? 8 + fraction
                                                         : 19 + fraction;
        return SqlType::of(TypeKind::NVarChar, length);
    }
    if (!out.atLeast(tdsVersion72) && type.isMax()) {
        const TypeKind kind = type.kind == TypeKind::VarChar    ? TypeKind::Text
                              : type.kind == TypeKind::NVarChar ? TypeKind::NText
                                                                : TypeKind::Image;
        return SqlType::of(kind);
    }
    return type;
}

void writeTypeInfo(TokenWriter& out, const SqlType& declared) {
    const SqlType type = typeOnTheWire(declared, out);
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
        // No table name: a count of its parts from 7.2 on, an empty name before.
        return out.atLeast(tdsVersion72) ? out.u8(0) : out.u16(0);
    }
}

void writeValue(TokenWriter& out, const SqlType& declared, const Cell& value) {
    const SqlType type = typeOnTheWire(declared, out);
    if (value.kind == ValueKind::Null)
        return writeNull(out, type);
    if (isDateOrTime(declared.kind) && type.kind == TypeKind::NVarChar)
        return writeLengthPrefixed(out, type, utf8ToUtf16(dateTimeLiteral(declared, value)));
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
        const Timestamp stamp = roundedTo(timestampOf(value), type.scale);
        out.u8(static_cast<uint8_t>(timeBytes(type.scale) + 3));
        writeTimeOfDay(out, stamp, type.scale);
        return writeDays(out, stamp.days);
    }
    case TypeKind::Date:
        out.u8(3);
        return writeDays(out, timestampOf(value).days);
    case TypeKind::Time:
        out.u8(static_cast<uint8_t>(timeBytes(type.scale)));
        return writeTimeOfDay(out, roundedTo(timestampOf(value), type.scale), type.scale);
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

} // namespace velmora::tds
