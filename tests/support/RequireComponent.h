#pragma once
// A test that needs a component the machine lacks (a driver, a server) skips with a reason on a
// developer's machine, but fails in CI, where everything must be present.
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace velmora::test {

inline bool runningInCi() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::string(ci) == "true";
}

} // namespace velmora::test

#define VELMORA_REQUIRE(available, what)                                                           \
    do {                                                                                           \
        if (!(available)) {                                                                        \
            if (::velmora::test::runningInCi())                                                    \
                FAIL() << "missing in CI: " << (what);                                             \
            else                                                                                   \
                GTEST_SKIP() << "not available here: " << (what);                                  \
        }                                                                                          \
    } while (false)
