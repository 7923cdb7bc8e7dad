#pragma once
// Runs a scope as the unprivileged user "nobody" when the tests run as root, so that a read-only
// folder is read-only for them too (root writes into it anyway). Elsewhere it changes nothing.
#include <unistd.h>

class TUnprivilegedUser {
public:
    TUnprivilegedUser() : FWasRoot(::geteuid() == 0 && ::seteuid(NobodyId) == 0) {}
    ~TUnprivilegedUser() {
        if (FWasRoot)
            (void)::seteuid(0);
    }
    TUnprivilegedUser(const TUnprivilegedUser&) = delete;
    TUnprivilegedUser& operator=(const TUnprivilegedUser&) = delete;

private:
    static constexpr uid_t NobodyId = 65534;
    bool FWasRoot;
};
