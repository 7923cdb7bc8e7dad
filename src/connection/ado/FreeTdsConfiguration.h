#pragma once
// A freetds.conf of one connection's own: FreeTDS takes the certificate checks only from a
// configuration file, found through FREETDSCONF. The file is private (0600, in the user's
// runtime directory or a private temporary one), read back before use, and removed with the
// object; while the object lives, FREETDSCONF names it, and no other such object exists.
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

namespace velmora::ado {

class TFreeTdsConfiguration {
public:
    // Throws EDatabaseError when the file cannot be written as asked.
    explicit TFreeTdsConfiguration(const std::string& text);
    ~TFreeTdsConfiguration();
    TFreeTdsConfiguration(const TFreeTdsConfiguration&) = delete;
    TFreeTdsConfiguration& operator=(const TFreeTdsConfiguration&) = delete;

    const std::filesystem::path& Path() const { return file_; }

private:
    std::unique_lock<std::mutex> turn_; // FREETDSCONF is the whole process's
    std::filesystem::path folder_;      // made here, removed with the file; empty otherwise
    std::filesystem::path file_;
    std::optional<std::string> previous_; // FREETDSCONF before
};

} // namespace velmora::ado
