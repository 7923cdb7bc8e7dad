#pragma once
// Cells kept in their native form. Integers, floating-point numbers, dates, timestamps and GUIDs
// are fetched as the C types ODBC has for them and stored compactly; they become text only when
// they are shown, copied or exported, in exactly the form the driver would have written (SQL
// Server's ODBC texts: "2024-02-29 23:59:59.997", "6F9619FF-8B86-D011-B42D-00C04FC964FF", a
// float with 17 significant digits and a real with 9, so that the text reads back to the same
// value). Everything else is stored as the driver's text or bytes.
#include "ResultColumns.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::ado {

enum class CellKind : uint8_t { Text, Integer, Double, Real, Date, Timestamp, Guid };

struct CellFormat {
    CellKind kind = CellKind::Text;
    uint8_t fractionDigits = 0; // of a timestamp's seconds

    bool typed() const { return kind != CellKind::Text; }
};

// How a column of a server that holds values to their declared types is kept.
CellFormat typedFormatOf(const ResultColumn& column);

// The C type a typed column is bound as, and the bytes one value takes in the bound buffer.
short boundCType(CellKind kind);
size_t boundBytes(CellKind kind);

// The most bytes encodeCell writes.
inline constexpr size_t largestTypedCell = 16;

// Turns a bound value into its stored form; returns the bytes written to `out`.
size_t encodeCell(CellKind kind, const char* bound, char* out);

// Appends the text of a stored typed value.
void appendTypedText(const CellFormat& format, std::string_view stored, std::string& out);

} // namespace velmora::ado
