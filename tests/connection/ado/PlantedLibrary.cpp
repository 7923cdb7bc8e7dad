// A shared library as a hostile connection file would name it: loading it is enough to run its
// constructor, which leaves a mark in the file that VELMORA_PLANTED_MARK names.
#include <cstdio>
#include <cstdlib>

namespace {

__attribute__((constructor)) void leaveMark() {
    const char* path = std::getenv("VELMORA_PLANTED_MARK");
    if (path == nullptr)
        return;
    if (std::FILE* file = std::fopen(path, "w")) {
        std::fputs("the planted library ran\n", file);
        std::fclose(file);
    }
}

} // namespace
