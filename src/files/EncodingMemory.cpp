#include "EncodingMemory.h"

#include "FolderLock.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <vector>

namespace velmora::files {

namespace {

// 64 entries of the longest paths take a few hundred kilobytes; anything larger is not this list.
constexpr std::size_t MaxListBytes = 1 << 20;

constexpr std::array<TTextEncoding, 5> Encodings = {
    TTextEncoding::teUtf8, TTextEncoding::teUtf8Bom, TTextEncoding::teUtf16LE,
    TTextEncoding::teUtf16BE, TTextEncoding::teWindows1252};

// One line: encoding, device, inode, size, time of the last change (ns), path; tab separated.
struct TEntry {
    TTextEncoding Encoding;
    TFileIdentity Identity;
    std::string Path;
};

template <class T>
bool ParseNumber(std::string_view Text, T& Value) {
    const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    return error == std::errc() && end == Text.data() + Text.size();
}

std::optional<TEntry> ParseLine(std::string_view Line) {
    std::array<std::string_view, 5> fields;
    for (std::string_view& field : fields) {
        const std::size_t tab = Line.find('\t');
        if (tab == std::string_view::npos)
            return std::nullopt;
        field = Line.substr(0, tab);
        Line.remove_prefix(tab + 1);
    }
    TEntry entry{};
    const auto encoding = std::find_if(Encodings.begin(), Encodings.end(), [&](TTextEncoding e) {
        return fields[0] == EncodingName(e);
    });
    if (encoding == Encodings.end() || Line.empty() ||
        !ParseNumber(fields[1], entry.Identity.Device) ||
        !ParseNumber(fields[2], entry.Identity.Inode) ||
        !ParseNumber(fields[3], entry.Identity.Size) ||
        !ParseNumber(fields[4], entry.Identity.ModifiedNs))
        return std::nullopt;
    entry.Encoding = *encoding;
    entry.Path = std::string(Line);
    return entry;
}

std::string LineOf(const TEntry& Entry) {
    const TFileIdentity& id = Entry.Identity;
    return std::string(EncodingName(Entry.Encoding)) + '\t' + std::to_string(id.Device) + '\t' +
           std::to_string(id.Inode) + '\t' + std::to_string(id.Size) + '\t' +
           std::to_string(id.ModifiedNs) + '\t' + Entry.Path + '\n';
}

// The entries of the list, the newest first; lines that are not entries are dropped.
std::vector<TEntry> ReadAll(const std::string& ListPath) {
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(ListPath, error)))
        return {};
    const std::string content = ReadRegularFile(ListPath, MaxListBytes);
    std::vector<TEntry> entries;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        if (auto entry = ParseLine(std::string_view(content).substr(start, end - start)))
            entries.push_back(std::move(*entry));
        start = end + 1;
    }
    return entries;
}

} // namespace

std::optional<TTextEncoding> RememberedEncoding(const std::string& ListPath,
                                                const std::string& Path,
                                                const TFileIdentity& Identity) {
    try {
        for (const TEntry& entry : ReadAll(ListPath))
            if (entry.Path == Path)
                return entry.Identity == Identity ? std::optional(entry.Encoding) : std::nullopt;
    } catch (const EFileError&) {
        // A list that cannot be read remembers nothing: the bytes decide, as for a new file.
    }
    return std::nullopt;
}

void RememberEncoding(const std::string& ListPath, const std::string& Path,
                      const TFileIdentity& Identity, TTextEncoding Encoding,
                      bool ReadsBackOtherwise) {
    if (Path.empty() || Path.find_first_of(std::string_view("\n\0", 2)) != std::string::npos)
        return;
    const std::filesystem::path folder = std::filesystem::absolute(ListPath).parent_path();
    const TFolderLock lock(folder.string());
    std::vector<TEntry> entries = ReadAll(ListPath);
    const std::size_t before = entries.size();
    std::erase_if(entries, [&](const TEntry& entry) { return entry.Path == Path; });
    if (!ReadsBackOtherwise && entries.size() == before)
        return; // nothing to forget: the list stays as it is, unwritten
    if (ReadsBackOtherwise)
        entries.insert(entries.begin(), TEntry{Encoding, Identity, Path});
    if (entries.size() > MaxRememberedEncodings)
        entries.resize(MaxRememberedEncodings);
    std::string content;
    for (const TEntry& entry : entries)
        content += LineOf(entry);
    WriteFileAtomically(ListPath, content, TNewFileMode::nfmOwnerOnly);
}

} // namespace velmora::files
