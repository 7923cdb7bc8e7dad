// Writes the demo workspace's data link file, naming the demo database by its full path, unless
// one is there already (the user may have changed it). One that still holds the first default,
// which named the database relatively and so opened it only from the demo workspace itself, is
// brought up to date.
#include "DataLinkFile.h"
#include "DatabaseError.h"
#include "DemoConnection.h"

#include <filesystem>
#include <iostream>

namespace {

bool holdsFirstDefault(const std::filesystem::path& path) {
    try {
        return velmora::ado::readDataLinkFile(path.string()) == DemoConnectionString("demo.db");
    } catch (const std::exception&) {
        return false; // whatever the user made of it, it is theirs
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_data_link FILE DATABASE\n";
        return 2;
    }
    const std::filesystem::path path = argv[1];
    const std::string database = std::filesystem::absolute(argv[2]).lexically_normal().string();
    // Inside the connection string's quotes these would end the value or the pair early.
    if (database.find_first_of(";\"{}") != std::string::npos) {
        std::cerr << "make_data_link: the demo database's path \"" << database
                  << "\" holds one of ; \" { }, which a connection string cannot carry here\n";
        return 1;
    }
    try {
        if (!std::filesystem::exists(path) || holdsFirstDefault(path))
            velmora::ado::writeDataLinkFile(path.string(), DemoConnectionString(database));
        else
            std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now());
    } catch (const std::exception& error) {
        std::cerr << "make_data_link: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
