#pragma once
// One client connection: PRELOGIN and LOGIN7 (the SQL login checked against master's
// tds_users), then language, RPC and transaction manager requests until the client leaves.
#include "Channel.h"
#include "DataDirectory.h"
#include "Engine.h"
#include "Login.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace velmora::tds {

struct ServerOptions {
    DataDirectory data;
    // The drop mode: every result is cut off after this many rows by closing the socket.
    std::optional<uint64_t> dropAfterRows;
    // As Azure SQL Database: USE is refused (40508), the login's database is the session's.
    bool azure = false;
};

class Session {
public:
    Session(int socket, const ServerOptions& options) : channel_(socket), options_(options) {}

    // Serves the client until it leaves (or the drop mode closes its connection).
    void run();

private:
    bool logIn();
    bool checkPassword(const LoginRequest& login);
    void serve(const Message& message);
    void sqlBatch(std::string_view payload);
    void rpc(std::string_view payload);
    void transactionManager(std::string_view payload);
    template <typename Work>
    void reply(Work work);

    Channel channel_;
    const ServerOptions& options_;
    std::unique_ptr<Engine> engine_;
};

} // namespace velmora::tds
