#pragma once
// Text building shared by the templates: generated SQL breaks lines with CR LF.
#include "SqlNames.h"
#include "TableField.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora::sqlgen {

inline constexpr std::string_view CrLf = "\r\n";

// One line per item: the first after `first`, every further one after `further`.
inline std::string ListLines(const std::vector<std::string>& items, std::string_view first,
                             std::string_view further) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        text += i == 0 ? first : further;
        text += items[i];
        text += CrLf;
    }
    return text;
}

// Each text followed by a line break.
inline std::string Lines(std::initializer_list<std::string_view> texts) {
    std::string text;
    for (std::string_view line : texts) {
        text += line;
        text += CrLf;
    }
    return text;
}

// Each field as the text `form` makes of it.
template <typename Form>
std::vector<std::string> EachField(const TFieldList& fields, Form form) {
    std::vector<std::string> texts;
    texts.reserve(fields.size());
    for (const TTableField& field : fields)
        texts.push_back(form(field));
    return texts;
}

// The fields' names as columns in a statement.
inline std::vector<std::string> ColumnNames(const TFieldList& fields) {
    return EachField(fields, [](const TTableField& field) { return SqlName(field.Name); });
}

// The fields' names.
inline std::vector<std::string> FieldNames(const TFieldList& fields) {
    return EachField(fields, [](const TTableField& field) { return field.Name; });
}

// The variables named after the fields, one for each (see TVariableNames).
inline std::vector<std::string> VariableNames(const TFieldList& fields) {
    const TVariableNames variables(FieldNames(fields));
    return EachField(fields, [&](const TTableField& field) { return variables.Of(field.Name); });
}

} // namespace velmora::sqlgen
