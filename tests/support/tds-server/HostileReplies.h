#pragma once
// Replies of a server that misbehaves, for the tests of what a client does with them. Each is
// well formed on the wire, token by token, as MS-TDS 2.2.7 frames it; only its size or its
// deafness is hostile:
//
// - Errors, Infos: N ERROR (severity 16, number 50000, as RAISERROR's) or INFO (severity 0, as
//   PRINT's) tokens, then one DONE. SQL Server sends many messages before a DONE when one
//   statement raises many (a compilation that finds many faults).
// - EndlessValue: one row of one nvarchar(max) column whose value never ends: a PLP stream of
//   unknown length (MS-TDS 2.2.5.2.3, PLP_UNKNOWN_LEN) whose chunks keep coming. An attention
//   is honoured between chunks: the stream ends with its terminator, then the reply ends, and
//   the acknowledgement follows (as Attention describes).
// - DeafRows: rows without end, and the socket is never read again, so an attention is never
//   seen: a server that no longer listens.
#include "Channel.h"
#include "Reply.h"

#include <cstdint>
#include <optional>
#include <string>

namespace velmora::tds {

enum class HostileKind { Errors, Infos, EndlessValue, DeafRows };

struct HostileReply {
    HostileKind kind = HostileKind::Errors;
    uint64_t count = 0; // messages, for Errors and Infos
};

// The mode a command-line option names ("--errors", ...), or nothing for another option.
std::optional<HostileKind> hostileKindOption(const std::string& option);

// Writes the hostile reply to a request. `reply` is the network reply: it flushes and watches
// for attention (Cancelled) between messages; the long-running replies write to the channel
// themselves.
void writeHostileReply(const HostileReply& hostile, Reply& reply, Channel& channel);

} // namespace velmora::tds
