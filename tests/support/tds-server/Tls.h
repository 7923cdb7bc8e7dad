#pragma once
// TLS for a TDS connection (OpenSSL). The session reads and writes memory, not the socket: the
// connection decides where the encrypted bytes travel, inside PRELOGIN packets while the
// handshake runs and straight on the socket afterwards, as SQL Server carries them.
#include "Certificates.h"

#include <memory>
#include <string>
#include <string_view>

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;
typedef struct bio_st BIO;

namespace velmora::tds {

// What a session is made from: a server's certificate and key, or a client that checks nothing
// (the benchmark's client, which only measures). TLS 1.2 at most: SQL Server offers 1.3 only to
// clients that start with TLS (TDS 8.0), and a 1.3 server's session tickets, sent after the
// handshake, would land in the client's next TDS packet.
class TlsContext {
public:
    // Throws std::runtime_error when the certificate or key cannot be used.
    static TlsContext server(const CertificatePair& certificate);
    static TlsContext client();

    bool isServer() const { return server_; }
    SSL_CTX* get() const { return context_.get(); }

private:
    TlsContext(std::shared_ptr<SSL_CTX> context, bool server)
        : context_(std::move(context)), server_(server) {}

    std::shared_ptr<SSL_CTX> context_;
    bool server_;
};

// One connection's TLS. Failures (a handshake the peer gives up, a record that does not
// decrypt) throw ProtocolError: the connection is lost.
class TlsSession {
public:
    explicit TlsSession(const TlsContext& context);
    ~TlsSession();
    TlsSession(const TlsSession&) = delete;
    TlsSession& operator=(const TlsSession&) = delete;

    bool isServer() const { return server_; }
    // One step of the handshake: what the peer sent in, what to send it out (a client's first
    // step takes nothing).
    std::string handshake(std::string_view fromPeer);
    bool established() const;

    // The records that carry `plain`.
    std::string seal(std::string_view plain);
    // Takes records the peer sent and appends what they carry to `plain`; false once the peer
    // has closed its side.
    bool open(std::string_view records, std::string& plain);

private:
    std::string takeOutput();

    SSL* ssl_;
    BIO* in_;  // owned by ssl_
    BIO* out_; // owned by ssl_
    bool server_;
};

} // namespace velmora::tds
