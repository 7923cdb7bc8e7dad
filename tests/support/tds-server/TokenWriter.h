#pragma once
// The bytes of a reply's token stream, written for the TDS version the session agreed on:
// tokens and types differ in their framing before 7.2 and 7.3 (MS-TDS 2.2.7).
#include "Login.h"
#include "WireBuffer.h"

namespace velmora::tds {

class TokenWriter : public WireWriter {
public:
    explicit TokenWriter(uint32_t tdsVersion = tdsVersion74) : tdsVersion_(tdsVersion) {}

    uint32_t tdsVersion() const { return tdsVersion_; }
    // The client speaks `version` or a later one.
    bool atLeast(uint32_t version) const { return tdsVersion_ >= version; }
    // An empty writer for the same version (a row written aside before it joins the reply).
    TokenWriter sibling() const { return TokenWriter(tdsVersion_); }

private:
    uint32_t tdsVersion_;
};

} // namespace velmora::tds
