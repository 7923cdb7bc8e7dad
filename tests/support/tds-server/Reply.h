#pragma once
// Where the engine writes the tokens of a reply. The network session sends them as they come
// and watches for the client's cancel between rows; seeding a database just checks for errors.
#include "ServerError.h"
#include "TokenWriter.h"
#include "Tokens.h"

#include <cstdint>

namespace velmora::tds {

// Thrown out of the engine when the client has sent an attention: the reply ends at once.
struct Cancelled {};

class Reply {
public:
    // The tokens are framed for `tdsVersion`, the version the session agreed on.
    explicit Reply(uint32_t tdsVersion = tdsVersion74) : out(tdsVersion) {}
    virtual ~Reply() = default;

    // An error or informational message, as SQL Server sends it.
    virtual void message(const ServerError& error) {
        writeMessage(out, error.number, error.severity, error.state, error.what(), error.procedure,
                     error.line > 0 ? error.line : 1);
    }
    // After each row of a result (the row's number in it, from 1); may throw Cancelled.
    virtual void rowWritten(uint64_t) {}
    // Asked during long waits (WAITFOR).
    virtual bool cancelled() { return false; }

    TokenWriter out;
};

} // namespace velmora::tds
