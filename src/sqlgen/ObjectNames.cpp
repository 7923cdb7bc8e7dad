#include "ObjectNames.h"

#include "SqlNames.h"

#include <optional>
#include <vector>

namespace velmora::sqlgen {

namespace {

// One part of a qualified name at `at`: a bracketed name (with "]]" for "]") or a regular
// identifier; nothing when the text there is neither.
std::optional<std::string> ReadPart(std::string_view text, size_t& at) {
    if (at < text.size() && text[at] == '[') {
        std::string part;
        for (size_t i = at + 1; i < text.size(); ++i) {
            if (text[i] != ']') {
                part += text[i];
                continue;
            }
            if (i + 1 < text.size() && text[i + 1] == ']') {
                part += ']';
                ++i;
                continue;
            }
            at = i + 1;
            return part;
        }
        return std::nullopt; // no closing bracket
    }
    const size_t end = std::min(text.find('.', at), text.size());
    const std::string_view word = text.substr(at, end - at);
    if (!IsRegularIdentifier(word))
        return std::nullopt;
    at = end;
    return std::string(word);
}

// The parts of a name written as QualifiedSqlName writes it, else nothing.
std::optional<std::vector<std::string>> ReadParts(std::string_view text) {
    std::vector<std::string> parts;
    size_t at = 0;
    while (true) {
        std::optional<std::string> part = ReadPart(text, at);
        if (!part)
            return std::nullopt;
        parts.push_back(std::move(*part));
        if (at == text.size())
            return parts;
        if (text[at] != '.')
            return std::nullopt;
        ++at;
    }
}

} // namespace

std::string QualifiedSqlName(const TObjectName& object) {
    if (object.Schema.empty())
        return SqlName(object.Name);
    return SqlName(object.Schema) + "." + SqlName(object.Name);
}

std::string ShownObjectName(const TObjectName& object) {
    if (!object.Schema.empty())
        return QualifiedSqlName(object);
    if (ReadObjectName(object.Name) == object)
        return object.Name;
    return BracketedName(object.Name);
}

TObjectName ReadObjectName(std::string_view text) {
    const std::optional<std::vector<std::string>> parts = ReadParts(text);
    if (parts && parts->size() == 2)
        return {(*parts)[0], (*parts)[1]};
    if (parts && parts->size() == 1 && text.starts_with('['))
        return {std::string_view((*parts)[0])};
    return {text};
}

} // namespace velmora::sqlgen
