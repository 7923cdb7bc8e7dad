#pragma once
// The tokens of the server's replies: login acknowledgement, environment changes, messages,
// result metadata and rows, return status and the DONE family.
#include "SqlTypes.h"
#include "TokenWriter.h"
#include "Values.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::tds {

enum TokenType : uint8_t {
    tkReturnStatus = 0x79,
    tkReturnValue = 0xAC,
    tkColumnMetadata = 0x81,
    tkError = 0xAA,
    tkInfo = 0xAB,
    tkLoginAck = 0xAD,
    tkRow = 0xD1,
    tkEnvChange = 0xE3,
    tkDone = 0xFD,
    tkDoneProc = 0xFE,
    tkDoneInProc = 0xFF,
};

enum DoneStatus : uint16_t {
    doneFinal = 0x00,
    doneMore = 0x01,
    doneError = 0x02,
    doneCount = 0x10,
    doneAttention = 0x20,
};

enum EnvChangeType : uint8_t {
    ecDatabase = 1,
    ecLanguage = 2,
    ecPacketSize = 4,
    ecCollation = 7,
    ecBeginTransaction = 8,
    ecCommitTransaction = 9,
    ecRollbackTransaction = 10,
};

// The name the server gives itself in messages and the login acknowledgement.
extern const char* const serverName;

struct ResultColumn {
    std::string name; // UTF-8; empty for an unnamed expression
    SqlType type;
    bool nullable = true;
    bool writable = false;
};

// Agrees to the TDS version of `out`.
void writeLoginAck(TokenWriter& out);
void writeEnvChange(TokenWriter& out, EnvChangeType type, const std::string& newValue,
                    const std::string& oldValue);
void writeCollationChange(TokenWriter& out);
// A transaction's begin, commit or rollback, with its 8-byte descriptor; clients before TDS 7.2
// know of no descriptors and get nothing.
void writeTransactionChange(TokenWriter& out, EnvChangeType type, uint64_t descriptor);
// An error (severity above 10) or an informational message.
void writeMessage(TokenWriter& out, int number, int severity, int state, const std::string& text,
                  const std::string& procedure = {}, int line = 1);
void writeColumnMetadata(TokenWriter& out, const std::vector<ResultColumn>& columns);
void writeReturnStatus(TokenWriter& out, int32_t status);
// An OUTPUT parameter's value after its procedure ran: its place in the call, name and type.
void writeReturnValue(TokenWriter& out, uint16_t ordinal, const std::string& name,
                      const SqlType& type, const Cell& value);
void writeDone(TokenWriter& out, TokenType token, uint16_t status, uint64_t rowCount = 0);

} // namespace velmora::tds
