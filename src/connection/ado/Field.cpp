#include "Field.h"

#include "BlobStream.h"
#include "ConnectionString.h"
#include "DataSet.h"
#include "DatabaseError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

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
constexpr std::uintmax_t largestBlob = 0x7FFFFFFF;

[[noreturn]] void failReading(const std::string& path, const std::string& reason) {
    throw EDatabaseError("Cannot read file \"" + path + "\". " + reason);
}

// The size of a regular file that a blob can hold, or an error that says why it cannot be read.
std::uintmax_t blobFileSize(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error)
        failReading(path, error.message() + ".");
    // A pipe or a device would block or never end.
    if (!std::filesystem::is_regular_file(status))
        failReading(path, "It is not a regular file.");
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        failReading(path, error.message() + ".");
    if (size > largestBlob)
        failReading(path, "It is larger than a blob field can hold (2 GB).");
    return size;
}

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
    const std::uintmax_t size = blobFileSize(path);
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw EDatabaseError("Cannot open file \"" + path + "\". " + std::strerror(errno) + ".");
    // Any error below abandons the stream, which then leaves the field as it was.
    TBlobStream stream(*this);
    // One byte more than the size tells a file that grew; no more is read.
    const std::uintmax_t limit = size + 1;
    std::uintmax_t read = 0;
    char buffer[64 * 1024];
    while (read < limit) {
        file.read(buffer, static_cast<std::streamsize>(
                              std::min<std::uintmax_t>(sizeof buffer, limit - read)));
        if (file.gcount() == 0)
            break;
        stream.Write(buffer, static_cast<size_t>(file.gcount()));
        read += static_cast<std::uintmax_t>(file.gcount());
    }
    if (file.bad())
        failReading(path, std::strerror(errno) + std::string("."));
    if (read != size)
        failReading(path, "It changed while it was read.");
    stream.Close();
}

std::string bytesToHex(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "0x";
    text.reserve(2 + bytes.size() * 2);
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        text += digits[value >> 4];
        text += digits[value & 0x0F];
    }
    return text;
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
