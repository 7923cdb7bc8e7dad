#include "ConnectionString.h"

#include "DatabaseError.h"

#include <algorithm>
#include <cctype>

namespace velmora::ado {

namespace {

// Close to the provider's own wording, which users of other tools recognise.
const char* const malformedOleDbString =
    "Format of the initialization string does not conform to the OLE DB rules: a key needs "
    "\"=\" and a value, and a quoted value its closing quote.";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

class OleDbParser {
public:
    explicit OleDbParser(std::string_view text) : text_(text) {}

    ConnectionStringItems parse() {
        ConnectionStringItems items;
        while (skipSeparators()) {
            std::string key = readKey();
            std::string value = readValue();
            items.push_back({std::move(key), std::move(value)});
        }
        return items;
    }

private:
    bool atEnd() const { return pos_ >= text_.size(); }

    // Skips blanks and empty pairs; false at the end of the text.
    bool skipSeparators() {
        while (!atEnd() && (isBlank(text_[pos_]) || text_[pos_] == ';'))
            ++pos_;
        return !atEnd();
    }

    std::string readKey() {
        std::string key;
        while (true) {
            if (atEnd() || text_[pos_] == ';')
                throw EDatabaseError(malformedOleDbString);
            if (text_[pos_] == '=') {
                if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '=') {
                    key += '=';
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                if (trimmed(key).empty())
                    throw EDatabaseError(malformedOleDbString);
                return std::string(trimmed(key));
            }
            key += text_[pos_++];
        }
    }

    std::string readValue() {
        while (!atEnd() && isBlank(text_[pos_]))
            ++pos_;
        if (!atEnd() && (text_[pos_] == '"' || text_[pos_] == '\''))
            return readQuotedValue(text_[pos_++]);
        const size_t end = std::min(text_.find(';', pos_), text_.size());
        std::string value(trimmed(text_.substr(pos_, end - pos_)));
        pos_ = end;
        return value;
    }

    std::string readQuotedValue(char quote) {
        std::string value;
        while (true) {
            if (atEnd())
                throw EDatabaseError(malformedOleDbString);
            const char c = text_[pos_++];
            if (c != quote) {
                value += c;
                continue;
            }
            if (!atEnd() && text_[pos_] == quote) {
                value += quote;
                ++pos_;
                continue;
            }
            break;
        }
        while (!atEnd() && isBlank(text_[pos_]))
            ++pos_;
        if (!atEnd() && text_[pos_] != ';')
            throw EDatabaseError(malformedOleDbString);
        return value;
    }

    std::string_view text_;
    size_t pos_ = 0;
};

std::string doubled(std::string_view text, char c) {
    std::string result;
    for (char ch : text) {
        result += ch;
        if (ch == c)
            result += c;
    }
    return result;
}

} // namespace

bool sameKey(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

ConnectionStringItems parseConnectionString(std::string_view text) {
    // A driver reads a string up to a NUL and would act on that fragment of it.
    if (text.find('\0') != std::string_view::npos)
        throw EDatabaseError("The connection string holds a NUL character, which no driver can "
                             "take.");
    return OleDbParser(text).parse();
}

std::string quoteConnectionStringValue(std::string_view value) {
    // A leading "=" unquoted would read as the key's "==".
    const bool needsQuotes =
        !value.empty() && (value.find_first_of(";'\"") != std::string_view::npos ||
                           isBlank(value.front()) || isBlank(value.back()) || value.front() == '=');
    if (!needsQuotes)
        return std::string(value);
    if (value.find('"') != std::string_view::npos && value.find('\'') == std::string_view::npos)
        return "'" + std::string(value) + "'";
    return "\"" + doubled(value, '"') + "\"";
}

std::string buildConnectionString(const ConnectionStringItems& items) {
    std::string text;
    for (const auto& item : items) {
        if (!text.empty())
            text += ';';
        text += doubled(item.key, '=') + "=" + quoteConnectionStringValue(item.value);
    }
    return text;
}

std::optional<std::string> findValue(const ConnectionStringItems& items, std::string_view key) {
    return findValue(items, {key});
}

std::optional<std::string> findValue(const ConnectionStringItems& items,
                                     std::initializer_list<std::string_view> keys) {
    for (auto item = items.rbegin(); item != items.rend(); ++item)
        for (std::string_view key : keys)
            if (sameKey(item->key, key))
                return item->value;
    return std::nullopt;
}

void removeKeys(ConnectionStringItems& items, std::initializer_list<std::string_view> keys) {
    std::erase_if(items, [&](const ConnectionStringItem& item) {
        return std::any_of(keys.begin(), keys.end(),
                           [&](std::string_view key) { return sameKey(item.key, key); });
    });
}

ConnectionStringItems parseOdbcConnectionString(std::string_view text) {
    ConnectionStringItems items;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t equals = text.find('=', pos);
        const size_t semicolon = text.find(';', pos);
        if (equals == std::string_view::npos || semicolon < equals) {
            // A fragment without "=": nothing the driver manager could use either.
            if (!trimmed(text.substr(pos, semicolon - pos)).empty())
                throw EDatabaseError("Invalid ODBC connection string near \"" +
                                     std::string(text.substr(pos, semicolon - pos)) + "\"");
            pos = semicolon == std::string_view::npos ? text.size() : semicolon + 1;
            continue;
        }
        std::string key(trimmed(text.substr(pos, equals - pos)));
        pos = equals + 1;
        while (pos < text.size() && isBlank(text[pos]))
            ++pos;
        std::string value;
        if (pos < text.size() && text[pos] == '{') {
            ++pos;
            while (true) {
                if (pos >= text.size())
                    throw EDatabaseError("Invalid ODBC connection string: a \"{\" is not closed");
                if (text[pos] == '}') {
                    if (pos + 1 < text.size() && text[pos + 1] == '}') {
                        value += '}';
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                value += text[pos++];
            }
            const size_t end = std::min(text.find(';', pos), text.size());
            pos = end + 1;
        } else {
            const size_t end = std::min(text.find(';', pos), text.size());
            value = std::string(trimmed(text.substr(pos, end - pos)));
            pos = end + 1;
        }
        const bool repeated = std::any_of(items.begin(), items.end(),
                                          [&](const auto& item) { return sameKey(item.key, key); });
        if (!key.empty() && !repeated)
            items.push_back({std::move(key), std::move(value)});
    }
    return items;
}

OdbcBraces bracesOfDriver(std::string_view driver) {
    return sameKey(driver, "FreeTDS") ? OdbcBraces::FreeTds : OdbcBraces::Standard;
}

std::string quoteOdbcValue(std::string_view value, OdbcBraces braces) {
    if (value.empty())
        return {};
    const bool edgeBlank = isBlank(value.front()) || isBlank(value.back());
    if (braces == OdbcBraces::Standard) {
        if (value.find_first_of(";{}") == std::string_view::npos && !edgeBlank)
            return std::string(value);
        return "{" + doubled(value, '}') + "}";
    }
    // FreeTDS takes an unbraced value up to its ";" as it stands, "}" included.
    if (value.find(';') == std::string_view::npos && value.front() != '{' && !edgeBlank)
        return std::string(value);
    if (value.find("};") != std::string_view::npos)
        throw EDatabaseError("The FreeTDS driver cannot take a value that contains \"};\": it "
                             "would read the value as ending there and log in with another. "
                             "Change it, or name another SQL Server driver in " +
                             std::string("VELMORA_SQLSERVER_DRIVER."));
    return "{" + std::string(value) + "}";
}

std::string buildOdbcConnectionString(const ConnectionStringItems& items, OdbcBraces braces) {
    std::string text;
    for (const auto& item : items)
        text += item.key + "=" + quoteOdbcValue(item.value, braces) + ";";
    return text;
}

} // namespace velmora::ado
