#include "DataLinkFile.h"

#include "DatabaseError.h"
#include "SafeFile.h"
#include "WideText.h"

#include <cctype>
#include <sstream>
#include <vector>

namespace velmora::ado {

namespace {

const std::string headerLine = "[oledb]";
const std::string commentLine = "; Everything after this line is an OLE DB initstring";

EDatabaseError fileError(const std::string& fileName, const std::string& problem) {
    return EDatabaseError("The data link file \"" + fileName + "\" " + problem);
}

bool hasUtf16Bom(const std::string& bytes) {
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xFE;
}

std::string utf16LeToUtf8(const std::string& bytes, const std::string& fileName) {
    if (bytes.size() % 2 != 0)
        throw fileError(fileName, "is not valid UTF-16 text (its length is odd).");
    SqlWString units;
    units.reserve(bytes.size() / 2);
    for (size_t i = 2; i < bytes.size(); i += 2)
        units.push_back(static_cast<SQLWCHAR>(static_cast<unsigned char>(bytes[i]) |
                                              static_cast<unsigned char>(bytes[i + 1]) << 8));
    return fromSqlWide(units);
}

bool isValidUtf8(const std::string& bytes) {
    return fromSqlWide(toSqlWide(bytes)) == bytes;
}

// 8-bit files that are not UTF-8 are read as Latin-1, which keeps every byte.
std::string eightBitToUtf8(const std::string& bytes) {
    if (isValidUtf8(bytes))
        return bytes;
    SqlWString units;
    for (const char byte : bytes)
        units.push_back(static_cast<unsigned char>(byte));
    return fromSqlWide(units);
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

std::string parseDataLinkBytes(const std::string& bytes, const std::string& fileName) {
    if (bytes.empty())
        throw fileError(fileName, "is empty.");
    const std::string text =
        hasUtf16Bom(bytes) ? utf16LeToUtf8(bytes, fileName) : eightBitToUtf8(bytes);
    const std::vector<std::string> lines = splitLines(text);
    if (lines.empty() || !equalsIgnoringCase(trimmed(lines[0]), headerLine))
        throw fileError(fileName, "is not a data link file: its first line is not \"[oledb]\".");
    if (lines.size() < 2 || trimmed(lines[1]).rfind(';', 0) != 0)
        throw fileError(fileName, "is not a data link file: its second line is not a comment.");
    std::string connectionString;
    for (size_t i = 2; i < lines.size(); ++i)
        connectionString += lines[i];
    connectionString = trimmed(connectionString);
    if (connectionString.empty())
        throw fileError(fileName, "holds no connection string.");
    return connectionString;
}

std::string readDataLinkFile(const std::string& path) {
    std::string bytes;
    try {
        bytes = files::ReadRegularFile(path, maxDataLinkFileBytes);
    } catch (const files::EFileError& error) {
        throw EDatabaseError(error.what());
    }
    return parseDataLinkBytes(bytes, path);
}

void writeDataLinkFile(const std::string& path, const std::string& connectionString) {
    const SqlWString text =
        toSqlWide(headerLine + "\r\n" + commentLine + "\r\n" + connectionString + "\r\n");
    std::string bytes = "\xFF\xFE";
    for (SQLWCHAR unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    // The string may hold a password.
    files::WriteFileAtomically(path, bytes, files::TNewFileMode::nfmOwnerOnly);
}

} // namespace velmora::ado
