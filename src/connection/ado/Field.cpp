#include "Field.h"

#include "BlobStream.h"
#include "ConnectionString.h"
#include "DataSet.h"
#include "DatabaseError.h"
#include "SafeFile.h"

#include <new>

namespace velmora::ado {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The largest value a blob field holds on SQL Server, and a row here.
constexpr std::size_t largestBlob = 0x7FFFFFFF;

} // namespace

const TFieldDef* TFieldDefs::Find(std::string_view name) const {
    for (const TFieldDef& def : defs_)
        if (sameKey(def.Name, name))
            return &def;
    return nullptr;
}

void TFieldDefs::Assign(const std::vector<ResultColumn>& columns) {
    defs_.clear();
    int number = 1;
    for (const ResultColumn& column : columns)
        defs_.push_back({column.name, column.fieldType, column.size, number++,
                         !column.nullable && !column.description.autoIncrement, column});
}

bool TField::IsNull() const {
    return dataSet_.CurrentIsNull(index_);
}

std::string_view TField::AsBytes() const {
    return dataSet_.CurrentBytes(index_);
}

std::string TField::AsString() const {
    return IsBinary() ? (IsNull() ? std::string() : bytesToHex(AsBytes())) : std::string(AsBytes());
}

void TField::SetAsString(const std::string& text) {
    SetAsBytes(IsBinary() ? hexToBytes(text) : text);
}

void TField::SetAsBytes(std::string_view bytes) {
    dataSet_.SetCurrentValue(index_, bytes);
}

void TField::Clear() {
    dataSet_.SetCurrentNull(index_);
}

void TField::LoadFromFile(const std::string& path) {
    std::string content;
    try {
        content = files::ReadRegularFile(path, largestBlob);
    } catch (const files::EFileError& error) {
        throw EDatabaseError(error.what()); // the data layer reports its own kind of error
    } catch (const std::bad_alloc&) {
        throw EDatabaseError("Cannot read file \"" + path +
                             "\". There is not enough memory for it.");
    }
    // Should writing fail, the abandoned stream leaves the field as it was.
    TBlobStream stream(*this);
    stream.Write(content.data(), content.size());
    stream.Close();
}

std::string bytesToHex(std::string_view bytes) {
    std::string text;
    appendHex(bytes, text);
    return text;
}

void appendHex(std::string_view bytes, std::string& out) {
    static const char digits[] = "0123456789ABCDEF";
    out.reserve(out.size() + 2 + bytes.size() * 2);
    out += "0x";
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        out += digits[value >> 4];
        out += digits[value & 0x0F];
    }
}

std::string hexToBytes(std::string_view text) {
    std::string_view digits = text;
    if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits.remove_prefix(2);
    if (digits.size() % 2 != 0)
        throw EDatabaseError("'" + std::string(text) + "' is not a valid hexadecimal value");
    std::string bytes;
    for (size_t i = 0; i < digits.size(); i += 2) {
        const int high = hexDigit(digits[i]);
        const int low = hexDigit(digits[i + 1]);
        if (high < 0 || low < 0)
            throw EDatabaseError("'" + std::string(text) + "' is not a valid hexadecimal value");
        bytes += static_cast<char>(high << 4 | low);
    }
    return bytes;
}

} // namespace velmora::ado
