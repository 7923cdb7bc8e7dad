#pragma once
// SQL Server's types on the wire: the TYPE_INFO that describes a column or parameter, and the
// bytes of a value of that type, written from what SQLite holds and read back from what a
// client sends with an RPC. A client of an older TDS version gets what SQL Server sends it
// instead of the types it does not know.
#include "SqlTypes.h"
#include "TokenWriter.h"
#include "Values.h"
#include "WireBuffer.h"

namespace velmora::tds {

// The collation of every character column: SQL_Latin1_General_CP1_CI_AS (code page 1252).
extern const std::string_view serverCollation;

// The type a client of `out`'s version is told of and sent: before 7.3, date, time and
// datetime2 as nvarchar holding their literals ("2024-05-01 10:30:00.0000000"); before 7.2,
// the max types as text, ntext and image.
SqlType typeOnTheWire(const SqlType& type, const TokenWriter& out);

void writeTypeInfo(TokenWriter& out, const SqlType& type);

// Throws ServerError when the value cannot take the type (a number out of range, a text that
// is no date), as SQL Server's conversion errors do.
void writeValue(TokenWriter& out, const SqlType& type, const Cell& value);

struct TypedValue {
    SqlType type;
    Value value;
};

// A parameter's TYPE_INFO and value, as an RPC request carries them. Dates, decimals and GUIDs
// become text in the forms SQLite keeps them in.
TypedValue readTypedValue(WireReader& in);

} // namespace velmora::tds
