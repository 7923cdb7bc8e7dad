#include "Tokens.h"

#include "Text.h"
#include "TypeCodec.h"

#include <algorithm>

namespace velmora::tds {

const char* const serverName = "VELMORA-TDS-TEST";

namespace {

// A token whose length word is known only once its body is written.
template <typename Body>
void withLength(TokenWriter& out, TokenType token, Body body) {
    out.u8(token);
    const size_t at = out.size();
    out.u16(0);
    body();
    out.patchU16(at, static_cast<uint16_t>(out.size() - at - 2));
}

} // namespace

void writeLoginAck(TokenWriter& out) {
    withLength(out, tkLoginAck, [&] {
        out.u8(1); // T-SQL
        for (int shift = 24; shift >= 0; shift -= 8)
            out.u8(static_cast<uint8_t>(out.tdsVersion() >> shift)); // in network order
        out.bVarchar(utf8ToUtf16("Velmora TDS test server"));
        for (uint8_t part : {15, 0, 0x07, 0xD0})
            out.u8(part);
    });
}

void writeEnvChange(TokenWriter& out, EnvChangeType type, const std::string& newValue,
                    const std::string& oldValue) {
    withLength(out, tkEnvChange, [&] {
        out.u8(type);
        out.bVarchar(utf8ToUtf16(newValue));
        out.bVarchar(utf8ToUtf16(oldValue));
    });
}

void writeCollationChange(TokenWriter& out) {
    withLength(out, tkEnvChange, [&] {
        out.u8(ecCollation);
        out.u8(static_cast<uint8_t>(serverCollation.size()));
        out.raw(serverCollation);
        out.u8(0);
    });
}

void writeTransactionChange(TokenWriter& out, EnvChangeType type, uint64_t descriptor) {
    if (!out.atLeast(tdsVersion72))
        return;
    withLength(out, tkEnvChange, [&] {
        out.u8(type);
        const bool begins = type == ecBeginTransaction;
        out.u8(begins ? 8 : 0);
        if (begins)
            out.u64(descriptor);
        out.u8(begins ? 0 : 8);
        if (!begins)
            out.u64(descriptor);
    });
}

void writeMessage(TokenWriter& out, int number, int severity, int state, const std::string& text,
                  const std::string& procedure, int line) {
    withLength(out, severity > 10 ? tkError : tkInfo, [&] {
        out.i32(number);
        out.u8(static_cast<uint8_t>(state));
        out.u8(static_cast<uint8_t>(severity));
        out.usVarchar(utf8ToUtf16(text));
        out.bVarchar(utf8ToUtf16(serverName));
        out.bVarchar(utf8ToUtf16(procedure));
        if (out.atLeast(tdsVersion72))
            out.i32(line);
        else
            out.u16(static_cast<uint16_t>(line));
    });
}

void writeColumnMetadata(TokenWriter& out, const std::vector<ResultColumn>& columns) {
    out.u8(tkColumnMetadata);
    out.u16(static_cast<uint16_t>(columns.size()));
    for (const ResultColumn& column : columns) {
        // The user type: a word before TDS 7.2.
        if (out.atLeast(tdsVersion72))
            out.u32(0);
        else
            out.u16(0);
        uint16_t flags = column.nullable ? 0x01 : 0x00;
        if (column.writable)
            flags |= 0x08;
        if (column.type.identity)
            flags |= 0x10;
        out.u16(flags);
        writeTypeInfo(out, column.type);
        out.bVarchar(utf8ToUtf16(column.name));
    }
}

void writeReturnStatus(TokenWriter& out, int32_t status) {
    out.u8(tkReturnStatus);
    out.i32(status);
}

void writeReturnValue(TokenWriter& out, uint16_t ordinal, const std::string& name,
                      const SqlType& type, const Cell& value) {
    out.u8(tkReturnValue);
    out.u16(ordinal);
    out.bVarchar(utf8ToUtf16(name));
    out.u8(0x01); // an output parameter
    // The user type: a word before TDS 7.2.
    if (out.atLeast(tdsVersion72))
        out.u32(0);
    else
        out.u16(0);
    out.u16(0x01); // nullable
    writeTypeInfo(out, type);
    writeValue(out, type, value);
}

void writeDone(TokenWriter& out, TokenType token, uint16_t status, uint64_t rowCount) {
    out.u8(token);
    out.u16(status);
    out.u16(0); // the current command
    // The count: 4 bytes before TDS 7.2.
    if (out.atLeast(tdsVersion72))
        out.u64(rowCount);
    else
        out.u32(static_cast<uint32_t>(std::min<uint64_t>(rowCount, UINT32_MAX)));
}

} // namespace velmora::tds
