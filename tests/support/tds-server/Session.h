#pragma once
// One client connection: PRELOGIN (with the TLS it agrees on) and LOGIN7 (the SQL login checked
// against master's tds_users, at the TDS version the client asks for), then language, RPC and
// transaction manager requests until the client leaves.
#include "Channel.h"
#include "DataDirectory.h"
#include "Encryption.h"
#include "Engine.h"
#include "HostileReplies.h"
#include "Login.h"
#include "Tls.h"

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
    EncryptionMode encryption = EncryptionMode::Off;
    // The server's certificate; none in the mode without encryption.
    std::optional<TlsContext> tls;
    // A hostile mode: every SQL batch that begins with SELECT gets this reply instead.
    std::optional<HostileReply> hostile;
};

class Session {
public:
    Session(int socket, const ServerOptions& options) : channel_(socket), options_(options) {}

    // Serves the client until it leaves (or the drop mode closes its connection).
    void run();

private:
    bool logIn();
    // Answers the client's PRELOGIN and runs the TLS it agrees on; false when the client
    // cannot meet the server's demand.
    bool negotiateEncryption(const Message& prelogin);
    bool checkPassword(const LoginRequest& login);
    // The SQL text or calls of a request, after the ALL_HEADERS that TDS 7.2 added.
    std::string_view requestBody(std::string_view payload) const;
    void serve(const Message& message);
    void sqlBatch(std::string_view payload);
    void rpc(std::string_view payload);
    void transactionManager(std::string_view payload);
    template <typename Work>
    void reply(Work work);

    Channel channel_;
    const ServerOptions& options_;
    std::unique_ptr<Engine> engine_;
    std::optional<TlsScope> encryption_;
    uint32_t tdsVersion_ = tdsVersion74;
};

} // namespace velmora::tds
