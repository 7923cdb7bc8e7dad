#pragma once
// OLE DB connection strings ("Key=Value;..."), and the ODBC connection strings they turn into.
//
// OLE DB rules: pairs are separated by ";"; blanks around keys and unquoted values are dropped;
// a value may be enclosed in "..." or '...' with the enclosing quote doubled inside; "=" inside a
// key is written "==" (so a value that starts with "=" must be quoted); keys compare without
// regard to letter case; when a key appears twice the last one counts. ODBC values are enclosed
// in {...} when they need it, with "}" doubled inside; FreeTDS reads braces its own way (below).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::ado {

struct ConnectionStringItem {
    std::string key;
    std::string value;
    bool operator==(const ConnectionStringItem&) const = default;
};

using ConnectionStringItems = std::vector<ConnectionStringItem>;

bool sameKey(std::string_view a, std::string_view b);

// Throws EDatabaseError on malformed text (an unterminated quote, a pair without "=", text
// after a closing quote) and on text holding a NUL character.
ConnectionStringItems parseConnectionString(std::string_view text);
std::string quoteConnectionStringValue(std::string_view value);
std::string buildConnectionString(const ConnectionStringItems& items);

// The value of the last item with this key.
std::optional<std::string> findValue(const ConnectionStringItems& items, std::string_view key);
// The value of the last item whose key is any of `keys`.
std::optional<std::string> findValue(const ConnectionStringItems& items,
                                     std::initializer_list<std::string_view> keys);
void removeKeys(ConnectionStringItems& items, std::initializer_list<std::string_view> keys);

// ODBC connection strings: values in braces keep ";" and "}" ("}}"); the first of a repeated
// key counts.
ConnectionStringItems parseOdbcConnectionString(std::string_view text);

// How a driver reads braced values. FreeTDS (1.3) ends one at the first "}" that a ";" follows
// and keeps "}}" as two braces, so a value cannot hold "};" at all.
enum class OdbcBraces { Standard, FreeTds };
OdbcBraces bracesOfDriver(std::string_view driver);

// Throws EDatabaseError for a value the driver's braces cannot carry: sending another value
// (another password) instead would be worse.
std::string quoteOdbcValue(std::string_view value, OdbcBraces braces = OdbcBraces::Standard);
// Every pair ends with ";" (a braced value at the very end is misread by some drivers).
std::string buildOdbcConnectionString(const ConnectionStringItems& items,
                                      OdbcBraces braces = OdbcBraces::Standard);

} // namespace velmora::ado
