#pragma once
// The port a ctest fixture's server listens on: the number in the file "port" of the folder
// that the environment variable names.
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

namespace velmora::test {

inline std::optional<int> fixturePort(const char* folderVariable) {
    const char* directory = std::getenv(folderVariable);
    if (directory == nullptr)
        return std::nullopt;
    std::ifstream file(std::string(directory) + "/port");
    int port = 0;
    if (!(file >> port))
        return std::nullopt;
    return port;
}

} // namespace velmora::test
