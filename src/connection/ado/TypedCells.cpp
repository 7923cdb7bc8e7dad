#include "TypedCells.h"

#include <charconv>
#include <cstring>
#include <sqlext.h>

namespace velmora::ado {

namespace {

// A timestamp's fraction is in nanoseconds: nine digits, of which the column shows its scale.
constexpr int fractionDigitsOfNanoseconds = 9;
// Significant digits that give a float's or a real's value back exactly.
constexpr int doubleDigits = 17;
constexpr int realDigits = 9;

bool isIntegerColumn(const ResultColumn& column) {
    switch (column.description.sqlType) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
    case SQL_BIT:
        return !(column.description.sqlType == SQL_BIGINT && column.description.isUnsigned);
    default:
        return false;
    }
}

// An integer keeps the fewest little-endian bytes that give its value back by sign extension.
size_t encodeInteger(int64_t value, char* out) {
    size_t bytes = 1;
    while (bytes < 8) {
        const int64_t limit = int64_t{1} << (8 * bytes - 1);
        if (value >= -limit && value < limit)
            break;
        ++bytes;
    }
    const auto bits = static_cast<uint64_t>(value);
    for (size_t i = 0; i < bytes; ++i)
        out[i] = static_cast<char>(bits >> (8 * i));
    return bytes;
}

int64_t decodeInteger(std::string_view stored) {
    uint64_t bits = 0;
    for (size_t i = 0; i < stored.size(); ++i)
        bits |= static_cast<uint64_t>(static_cast<unsigned char>(stored[i])) << (8 * i);
    const size_t unused = 64 - 8 * stored.size();
    return unused == 0 ? static_cast<int64_t>(bits)
                       : static_cast<int64_t>(bits << unused) >> unused; // sign extension
}

void appendDigits(std::string& out, unsigned value, int width) {
    char digits[10];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(digits, static_cast<size_t>(width));
}

// A negative year (no server sends one) still reads as a number.
void appendYear(std::string& out, SQLSMALLINT year) {
    if (year < 0) {
        out += '-';
        year = static_cast<SQLSMALLINT>(-year);
    }
    appendDigits(out, static_cast<unsigned>(year), 4);
}

void appendDate(std::string& out, SQLSMALLINT year, SQLUSMALLINT month, SQLUSMALLINT day) {
    appendYear(out, year);
    out += '-';
    appendDigits(out, month, 2);
    out += '-';
    appendDigits(out, day, 2);
}

void appendHex(std::string& out, uint64_t value, int digits) {
    static const char hex[] = "0123456789ABCDEF";
    for (int i = digits - 1; i >= 0; --i)
        out += hex[(value >> (4 * i)) & 0xF];
}

// The shortest of printf's "%.<digits>g" forms, which is what the driver writes, without the
// locale's decimal separator.
void appendFloating(std::string& out, double value, int significantDigits) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general,
                                   significantDigits)
                         .ptr;
    out.append(text, end);
}

template <typename T>
T readAs(std::string_view stored) {
    T value{};
    std::memcpy(&value, stored.data(), std::min(sizeof value, stored.size()));
    return value;
}

} // namespace

CellFormat typedFormatOf(const ResultColumn& column) {
    if (isIntegerColumn(column))
        return {CellKind::Integer};
    switch (column.description.sqlType) {
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return {CellKind::Double};
    case SQL_REAL:
        return {CellKind::Real};
    case SQL_TYPE_DATE:
    case SQL_DATE:
        return {CellKind::Date};
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP: {
        const int digits = column.description.decimalDigits;
        return {
            CellKind::Timestamp,
            static_cast<uint8_t>(digits < 0 || digits > fractionDigitsOfNanoseconds ? 0 : digits)};
    }
    case SQL_GUID:
        return {CellKind::Guid};
    default:
        return {};
    }
}

short boundCType(CellKind kind) {
    switch (kind) {
    case CellKind::Integer:
        return SQL_C_SBIGINT;
    case CellKind::Double:
        return SQL_C_DOUBLE;
    case CellKind::Real:
        return SQL_C_FLOAT;
    case CellKind::Date:
        return SQL_C_TYPE_DATE;
    case CellKind::Timestamp:
        return SQL_C_TYPE_TIMESTAMP;
    case CellKind::Guid:
        return SQL_C_GUID;
    case CellKind::Text:
        break;
    }
    return SQL_C_WCHAR;
}

size_t boundBytes(CellKind kind) {
    switch (kind) {
    case CellKind::Integer:
        return sizeof(SQLBIGINT);
    case CellKind::Double:
        return sizeof(SQLDOUBLE);
    case CellKind::Real:
        return sizeof(SQLREAL);
    case CellKind::Date:
        return sizeof(SQL_DATE_STRUCT);
    case CellKind::Timestamp:
        return sizeof(SQL_TIMESTAMP_STRUCT);
    case CellKind::Guid:
        return sizeof(SQLGUID);
    case CellKind::Text:
        break;
    }
    return 0;
}

size_t encodeCell(CellKind kind, const char* bound, char* out) {
    if (kind == CellKind::Integer) {
        SQLBIGINT value;
        std::memcpy(&value, bound, sizeof value);
        return encodeInteger(value, out);
    }
    const size_t bytes = boundBytes(kind);
    std::memcpy(out, bound, bytes);
    return bytes;
}

void appendTypedText(const CellFormat& format, std::string_view stored, std::string& out) {
    switch (format.kind) {
    case CellKind::Integer: {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, decodeInteger(stored)).ptr;
        out.append(digits, end);
        return;
    }
    case CellKind::Double:
        return appendFloating(out, readAs<SQLDOUBLE>(stored), doubleDigits);
    case CellKind::Real:
        return appendFloating(out, readAs<SQLREAL>(stored), realDigits);
    case CellKind::Date: {
        const auto date = readAs<SQL_DATE_STRUCT>(stored);
        appendDate(out, date.year, date.month, date.day);
        return;
    }
    case CellKind::Timestamp: {
        const auto time = readAs<SQL_TIMESTAMP_STRUCT>(stored);
        appendDate(out, time.year, time.month, time.day);
        out += ' ';
        appendDigits(out, time.hour, 2);
        out += ':';
        appendDigits(out, time.minute, 2);
        out += ':';
        appendDigits(out, time.second, 2);
        if (format.fractionDigits > 0) {
            out += '.';
            unsigned fraction = static_cast<unsigned>(time.fraction);
            for (int i = format.fractionDigits; i < fractionDigitsOfNanoseconds; ++i)
                fraction /= 10;
            appendDigits(out, fraction, format.fractionDigits);
        }
        return;
    }
    case CellKind::Guid: {
        const auto guid = readAs<SQLGUID>(stored);
        appendHex(out, guid.Data1, 8);
        out += '-';
        appendHex(out, guid.Data2, 4);
        out += '-';
        appendHex(out, guid.Data3, 4);
        out += '-';
        for (int i = 0; i < 8; ++i) {
            if (i == 2)
                out += '-';
            appendHex(out, guid.Data4[i], 2);
        }
        return;
    }
    case CellKind::Text:
        out += stored;
        return;
    }
}

} // namespace velmora::ado
