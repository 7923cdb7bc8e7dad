#include "Tls.h"

#include "OpenSslHandles.h"
#include "WireBuffer.h"

#include <stdexcept>

namespace velmora::tds {

namespace {

std::shared_ptr<SSL_CTX> newContext(const SSL_METHOD* method) {
    std::shared_ptr<SSL_CTX> context(SSL_CTX_new(method), SSL_CTX_free);
    if (!context)
        throw std::runtime_error("TLS: " + openSslError());
    SSL_CTX_set_min_proto_version(context.get(), TLS1_2_VERSION);
    SSL_CTX_set_max_proto_version(context.get(), TLS1_2_VERSION);
    SSL_CTX_set_options(context.get(), SSL_OP_NO_TICKET);
    return context;
}

[[noreturn]] void failed(const char* what) {
    throw ProtocolError(std::string("TLS ") + what + ": " + openSslError());
}

} // namespace

TlsContext TlsContext::server(const CertificatePair& certificate) {
    std::shared_ptr<SSL_CTX> context = newContext(TLS_server_method());
    const X509Handle x509 = readCertificate(certificate.certificatePem);
    const PkeyHandle key = readPrivateKey(certificate.keyPem);
    if (!x509 || !key || SSL_CTX_use_certificate(context.get(), x509.get()) != 1 ||
        SSL_CTX_use_PrivateKey(context.get(), key.get()) != 1 ||
        SSL_CTX_check_private_key(context.get()) != 1)
        throw std::runtime_error("TLS: the certificate or its key cannot be used: " +
                                 openSslError());
    return TlsContext(std::move(context), true);
}

TlsContext TlsContext::client() {
    return TlsContext(newContext(TLS_client_method()), false);
}

TlsSession::TlsSession(const TlsContext& context)
    : ssl_(SSL_new(context.get())), in_(BIO_new(BIO_s_mem())), out_(BIO_new(BIO_s_mem())),
      server_(context.isServer()) {
    if (ssl_ == nullptr || in_ == nullptr || out_ == nullptr) {
        SSL_free(ssl_);
        BIO_free(in_);
        BIO_free(out_);
        throw std::runtime_error("TLS: out of memory");
    }
    SSL_set_bio(ssl_, in_, out_);
    if (server_)
        SSL_set_accept_state(ssl_);
    else
        SSL_set_connect_state(ssl_);
}

TlsSession::~TlsSession() {
    SSL_free(ssl_);
}

std::string TlsSession::takeOutput() {
    std::string bytes;
    char buffer[16384];
    int got = 0;
    while ((got = BIO_read(out_, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<size_t>(got));
    return bytes;
}

std::string TlsSession::handshake(std::string_view fromPeer) {
    if (!fromPeer.empty() &&
        BIO_write(in_, fromPeer.data(), static_cast<int>(fromPeer.size())) <= 0)
        failed("buffering");
    const int result = SSL_do_handshake(ssl_);
    if (result != 1 && SSL_get_error(ssl_, result) != SSL_ERROR_WANT_READ) {
        // What is left to send is the alert that tells the peer why.
        takeOutput();
        failed("handshake");
    }
    return takeOutput();
}

bool TlsSession::established() const {
    return SSL_is_init_finished(ssl_) == 1;
}

std::string TlsSession::seal(std::string_view plain) {
    if (!plain.empty() && SSL_write(ssl_, plain.data(), static_cast<int>(plain.size())) <= 0)
        failed("write");
    return takeOutput();
}

bool TlsSession::open(std::string_view records, std::string& plain) {
    if (!records.empty() && BIO_write(in_, records.data(), static_cast<int>(records.size())) <= 0)
        failed("buffering");
    char buffer[16384];
    while (true) {
        const int got = SSL_read(ssl_, buffer, sizeof buffer);
        if (got > 0) {
            plain.append(buffer, static_cast<size_t>(got));
            continue;
        }
        switch (SSL_get_error(ssl_, got)) {
        case SSL_ERROR_WANT_READ:
            return true;
        case SSL_ERROR_ZERO_RETURN:
            return false;
        default:
            failed("read");
        }
    }
}

} // namespace velmora::tds
