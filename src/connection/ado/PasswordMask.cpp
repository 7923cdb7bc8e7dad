#include "PasswordMask.h"

#include "ConnectionString.h"

#include <array>
#include <cctype>

namespace velmora::ado {

namespace {

bool isWordCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The position just after "=" when a password key starts at `at` (and is a whole word), else
// npos. "==" is an escaped "=" inside a key, so "Password==x" names another key; it is masked
// all the same, since a reader might take it for the password.
size_t valueStartAfterKey(std::string_view text, size_t at) {
    static const std::array<std::string_view, 2> keys = {"password", "pwd"};
    if (at > 0 && isWordCharacter(text[at - 1]))
        return std::string_view::npos;
    for (std::string_view key : keys) {
        if (text.size() - at < key.size() || !sameKey(text.substr(at, key.size()), key))
            continue;
        size_t pos = at + key.size();
        while (pos < text.size() && isBlank(text[pos]))
            ++pos;
        if (pos < text.size() && text[pos] == '=')
            return pos + 1;
    }
    return std::string_view::npos;
}

// The end of a value enclosed by `open` at `start`: the closing character, doubled inside
// ("" '' }}). An unterminated value runs to the end of the text.
size_t enclosedValueEnd(std::string_view text, size_t start, char close) {
    size_t pos = start + 1;
    while (pos < text.size()) {
        if (text[pos] == close) {
            if (pos + 1 < text.size() && text[pos + 1] == close) {
                pos += 2;
                continue;
            }
            return pos + 1;
        }
        ++pos;
    }
    return text.size();
}

// The end of the value that starts at `start`. A plain value ends at ";" or at the end of its
// line: what follows it may be the rest of a message.
size_t valueEnd(std::string_view text, size_t start) {
    if (start < text.size()) {
        const char first = text[start];
        if (first == '"' || first == '\'')
            return enclosedValueEnd(text, start, first);
        if (first == '{')
            return enclosedValueEnd(text, start, '}');
    }
    size_t pos = start;
    while (pos < text.size() && text[pos] != ';' && text[pos] != '\n' && text[pos] != '\r')
        ++pos;
    return pos;
}

std::string undoubled(std::string_view text, char quote) {
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        plain += text[i];
        if (text[i] == quote && i + 1 < text.size() && text[i + 1] == quote)
            ++i;
    }
    return plain;
}

std::string doubledQuotes(std::string_view text, char quote) {
    std::string escaped;
    for (char c : text) {
        escaped += c;
        if (c == quote)
            escaped += quote;
    }
    return escaped;
}

// The start of a quoted value when `at` is the "=" before one, else npos.
size_t quotedValueAfter(std::string_view text, size_t at) {
    if (text[at] != '=')
        return std::string_view::npos;
    size_t pos = at + 1;
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    if (pos < text.size() && (text[pos] == '"' || text[pos] == '\''))
        return pos;
    return std::string_view::npos;
}

} // namespace

std::string maskPasswords(std::string_view text) {
    std::string masked;
    masked.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        if (const size_t valueStart = valueStartAfterKey(text, pos);
            valueStart != std::string_view::npos) {
            size_t start = valueStart;
            while (start < text.size() && isBlank(text[start]))
                ++start;
            masked.append(text.substr(pos, valueStart - pos));
            masked.append(maskedPassword);
            pos = valueEnd(text, start);
        } else if (const size_t open = quotedValueAfter(text, pos);
                   open != std::string_view::npos) {
            // Another key's quoted value may hold a string of its own, quoted once more
            // (Extended Properties="...;PWD=""a;b"""): its keys are read with that quoting undone.
            const char quote = text[open];
            const size_t end = enclosedValueEnd(text, open, quote);
            const bool closed = end - open >= 2 && text[end - 1] == quote;
            const std::string_view inner = text.substr(open + 1, end - open - 1 - (closed ? 1 : 0));
            masked.append(text.substr(pos, open + 1 - pos));
            masked.append(doubledQuotes(maskPasswords(undoubled(inner, quote)), quote));
            if (closed)
                masked += quote;
            pos = end;
        } else {
            masked += text[pos++];
        }
    }
    return masked;
}

} // namespace velmora::ado
