#pragma once
// OpenSSL's objects held by unique_ptr, and the text of its last error.
#include <memory>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <string>
#include <string_view>

namespace velmora::tds {

template <auto Free>
struct OpenSslFree {
    template <typename T>
    void operator()(T* object) const {
        Free(object);
    }
};

using BioHandle = std::unique_ptr<BIO, OpenSslFree<BIO_free_all>>;
using PkeyHandle = std::unique_ptr<EVP_PKEY, OpenSslFree<EVP_PKEY_free>>;
using X509Handle = std::unique_ptr<X509, OpenSslFree<X509_free>>;
using SslContextHandle = std::unique_ptr<SSL_CTX, OpenSslFree<SSL_CTX_free>>;
using SslHandle = std::unique_ptr<SSL, OpenSslFree<SSL_free>>;

// The oldest error in OpenSSL's queue of this thread, which it empties.
inline std::string openSslError() {
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0)
        return "no detail";
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

inline BioHandle memoryBio(std::string_view bytes) {
    return BioHandle(BIO_new_mem_buf(bytes.data(), static_cast<int>(bytes.size())));
}

inline X509Handle readCertificate(std::string_view pem) {
    const BioHandle in = memoryBio(pem);
    return X509Handle(in ? PEM_read_bio_X509(in.get(), nullptr, nullptr, nullptr) : nullptr);
}

inline PkeyHandle readPrivateKey(std::string_view pem) {
    const BioHandle in = memoryBio(pem);
    return PkeyHandle(in ? PEM_read_bio_PrivateKey(in.get(), nullptr, nullptr, nullptr) : nullptr);
}

} // namespace velmora::tds
