// Writes a data link file for the demo workspace unless one is there already (the user may
// have changed it).
#include "DataLinkFile.h"
#include "DatabaseError.h"

#include <filesystem>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_data_link FILE CONNECTION-STRING\n";
        return 2;
    }
    const std::filesystem::path path = argv[1];
    try {
        if (std::filesystem::exists(path))
            std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now());
        else
            velmora::ado::writeDataLinkFile(path.string(), argv[2]);
    } catch (const std::exception& error) {
        std::cerr << "make_data_link: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
