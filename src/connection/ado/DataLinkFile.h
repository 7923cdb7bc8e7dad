#pragma once
// Data link files (.udl): UTF-16LE with a byte-order mark (8-bit text is accepted too), the line
// "[oledb]", a comment line, then the connection string.
#include <cstddef>
#include <string>

namespace velmora::ado {

// A data link file holds a few hundred bytes; anything this large is not one.
inline constexpr std::size_t maxDataLinkFileBytes = 4 << 20;

// The connection string the file holds; EDatabaseError naming the file when it is missing,
// empty, not a regular file, larger than maxDataLinkFileBytes or not a data link file.
std::string readDataLinkFile(const std::string& path);

// Writes the file in the standard layout (UTF-16LE with byte-order mark, CR LF line ends),
// replacing it whole or not at all; a new file is readable by its owner only. Throws
// files::EFileError when it cannot.
void writeDataLinkFile(const std::string& path, const std::string& connectionString);

// The connection string held by the file's bytes; `fileName` is used in the error texts.
std::string parseDataLinkBytes(const std::string& bytes, const std::string& fileName);

} // namespace velmora::ado
