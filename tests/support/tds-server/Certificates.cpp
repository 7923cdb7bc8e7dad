#include "Certificates.h"

#include "OpenSslHandles.h"

#include <atomic>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <stdexcept>

namespace velmora::tds {

namespace {

void check(bool succeeded, const char* step) {
    if (!succeeded)
        throw std::runtime_error(std::string("making a certificate: ") + step + ": " +
                                 openSslError());
}

template <typename Write>
std::string pem(Write write) {
    const BioHandle memory(BIO_new(BIO_s_mem()));
    check(memory && write(memory.get()) == 1, "writing PEM");
    char* data = nullptr;
    const long size = BIO_get_mem_data(memory.get(), &data);
    return std::string(data, static_cast<size_t>(size));
}

void addExtension(X509* certificate, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
    check(extension != nullptr && X509_add_ext(certificate, extension, -1) == 1,
          "adding an extension");
    X509_EXTENSION_free(extension);
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ",") + name;
    return text;
}

} // namespace

CertificatePair makeCertificate(const CertificateRequest& request, const CertificatePair* issuer) {
    const PkeyHandle key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
    check(key != nullptr, "making a key");
    const X509Handle certificate(X509_new());
    check(certificate != nullptr, "allocating");
    X509_set_version(certificate.get(), 2);
    // Unique among the certificates of one authority, as clients insist.
    static std::atomic<long> serial = 1;
    ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), serial++);
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), request.validFrom.count());
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), request.validUntil.count());
    X509_set_pubkey(certificate.get(), key.get());
    X509_NAME* subject = X509_get_subject_name(certificate.get());
    X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(request.commonName.c_str()),
                               -1, -1, 0);

    X509Handle issuerCertificate;
    PkeyHandle issuerKey;
    if (issuer != nullptr) {
        issuerCertificate = readCertificate(issuer->certificatePem);
        issuerKey = readPrivateKey(issuer->keyPem);
        check(issuerCertificate && issuerKey, "reading the issuer");
    }
    X509* signer = issuer != nullptr ? issuerCertificate.get() : certificate.get();
    X509_set_issuer_name(certificate.get(), X509_get_subject_name(signer));
    addExtension(certificate.get(), signer, NID_basic_constraints,
                 request.authority ? "critical,CA:TRUE" : "critical,CA:FALSE");
    addExtension(certificate.get(), signer, NID_key_usage,
                 request.authority ? "critical,keyCertSign,cRLSign" : "critical,digitalSignature");
    if (!request.authority)
        addExtension(certificate.get(), signer, NID_ext_key_usage, "serverAuth");
    if (!request.alternativeNames.empty())
        addExtension(certificate.get(), signer, NID_subject_alt_name,
                     joined(request.alternativeNames));
    addExtension(certificate.get(), signer, NID_subject_key_identifier, "hash");
    check(X509_sign(certificate.get(), issuer != nullptr ? issuerKey.get() : key.get(),
                    EVP_sha256()) > 0,
          "signing");

    return {pem([&](BIO* out) { return PEM_write_bio_X509(out, certificate.get()); }),
            pem([&](BIO* out) {
                return PEM_write_bio_PrivateKey(out, key.get(), nullptr, nullptr, 0, nullptr,
                                                nullptr);
            })};
}

} // namespace velmora::tds
