#pragma once
// X.509 certificates made at run time, in PEM: the self-signed one a server without a
// configured certificate makes at start (as SQL Server does), and the tests' own authority with
// the certificates it signs. Keys are ECDSA P-256: quick to make, accepted by every client.
#include <chrono>
#include <string>
#include <vector>

namespace velmora::tds {

struct CertificatePair {
    std::string certificatePem;
    std::string keyPem;
};

struct CertificateRequest {
    std::string commonName;
    // "DNS:localhost", "IP:127.0.0.1": the names a client checks the server's name against.
    std::vector<std::string> alternativeNames;
    // The validity, from now: negative offsets make a certificate that has already expired.
    std::chrono::seconds validFrom = std::chrono::hours(-1);
    std::chrono::seconds validUntil = std::chrono::hours(24 * 365);
    bool authority = false; // may sign other certificates
};

// Signed by `issuer`, or by its own key when there is none. Throws std::runtime_error.
CertificatePair makeCertificate(const CertificateRequest& request,
                                const CertificatePair* issuer = nullptr);

} // namespace velmora::tds
