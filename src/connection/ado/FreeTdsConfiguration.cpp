#include "FreeTdsConfiguration.h"

#include "DatabaseError.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::ado {

namespace {

std::mutex& configurationTurn() {
    static std::mutex turn;
    return turn;
}

// The user's runtime directory when it is one: a directory of the user's own that no one else
// may enter.
std::optional<std::filesystem::path> runtimeDirectory() {
    const char* value = std::getenv("XDG_RUNTIME_DIR");
    if (value == nullptr || *value != '/')
        return std::nullopt;
    struct stat info {};
    if (lstat(value, &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid() ||
        (info.st_mode & 077) != 0)
        return std::nullopt;
    return std::filesystem::path(value);
}

[[noreturn]] void refuse(const std::string& what) {
    throw EDatabaseError("The certificate checks cannot be set up for FreeTDS: " + what + " (" +
                         std::strerror(errno) + ").");
}

void writeWhole(int descriptor, const std::string& text) {
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = ::write(descriptor, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            refuse("its configuration file could not be written");
        written += static_cast<size_t>(count);
    }
}

std::string readWhole(const std::filesystem::path& file, size_t limit) {
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0)
        refuse("its configuration file could not be read back");
    std::string text(limit + 1, '\0');
    size_t total = 0;
    while (total < text.size()) {
        const ssize_t count = ::read(descriptor, text.data() + total, text.size() - total);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        total += static_cast<size_t>(count);
    }
    ::close(descriptor);
    text.resize(total);
    return text;
}

} // namespace

TFreeTdsConfiguration::TFreeTdsConfiguration(const std::string& text) : turn_(configurationTurn()) {
    std::filesystem::path folder;
    if (const auto runtime = runtimeDirectory()) {
        folder = *runtime;
    } else {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "velmora-freetds-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            refuse("no private folder could be made for its configuration file");
        folder = pattern;
        folder_ = folder;
    }
    std::string name = (folder / "velmora-freetds-XXXXXX.conf").string();
    const int descriptor = mkostemps(name.data(), 5, O_CLOEXEC); // 0600, a name no one had
    if (descriptor < 0) {
        if (!folder_.empty())
            ::rmdir(folder_.c_str());
        refuse("its configuration file could not be made");
    }
    file_ = name;
    try {
        writeWhole(descriptor, text);
        if (::close(descriptor) != 0)
            refuse("its configuration file could not be written");
        if (readWhole(file_, text.size()) != text)
            throw EDatabaseError("The certificate checks cannot be set up for FreeTDS: its "
                                 "configuration file did not read back as written.");
    } catch (...) {
        ::unlink(file_.c_str());
        if (!folder_.empty())
            ::rmdir(folder_.c_str());
        throw;
    }
    if (const char* previous = std::getenv("FREETDSCONF"))
        previous_ = previous;
    setenv("FREETDSCONF", file_.c_str(), 1);
}

TFreeTdsConfiguration::~TFreeTdsConfiguration() {
    if (previous_)
        setenv("FREETDSCONF", previous_->c_str(), 1);
    else
        unsetenv("FREETDSCONF");
    ::unlink(file_.c_str());
    if (!folder_.empty())
        ::rmdir(folder_.c_str());
}

} // namespace velmora::ado
