#pragma once
// A failed connect's message, with what the user can do about it where the string asked for
// something the failure points at: a Kerberos ticket for Windows authentication, a trusted
// certificate for a checked encryption.
#include "ProviderTranslation.h"

#include <string>

namespace velmora::ado {

// The driver's message followed by the advice that fits `target`; the message alone when none
// does.
std::string explainedConnectFailure(const OdbcTarget& target, const std::string& message,
                                    bool loginRefused);

// Rethrows the error being handled, of the same type, with its message explained.
[[noreturn]] void rethrowExplainedConnectFailure(const OdbcTarget& target);

} // namespace velmora::ado
