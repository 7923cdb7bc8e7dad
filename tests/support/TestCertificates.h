#pragma once
// The certificates the encryption tests need, made when the test runs (none is committed): a
// test authority, and servers' certificates for the right name (127.0.0.1 and localhost), for a
// wrong name, one that has expired and one that an authority the client does not know signed.
#include "Certificates.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace velmora::test {

class TTestCertificates {
public:
    struct Server {
        std::filesystem::path certificate;
        std::filesystem::path key;
        // The server's options that make it present this certificate.
        std::vector<std::string> options() const {
            return {"--certificate", certificate.string(), "--key", key.string()};
        }
    };

    explicit TTestCertificates(const std::filesystem::path& folder) : folder_(folder) {
        using namespace std::chrono_literals;
        using tds::makeCertificate;
        const tds::CertificatePair authority =
            makeCertificate({"Velmora Test Authority", {}, -1h, 24h, true});
        const tds::CertificatePair stranger =
            makeCertificate({"Unknown Test Authority", {}, -1h, 24h, true});
        const std::vector<std::string> rightNames = {"DNS:localhost", "IP:127.0.0.1"};
        Authority = write("authority.pem", authority.certificatePem);
        RightName = server("right-name", makeCertificate({"localhost", rightNames}, &authority));
        WrongName = server(
            "wrong-name",
            makeCertificate({"wrong.example.invalid", {"DNS:wrong.example.invalid"}}, &authority));
        Expired =
            server("expired", makeCertificate({"localhost", rightNames, -48h, -24h}, &authority));
        UnknownAuthority =
            server("unknown-authority", makeCertificate({"localhost", rightNames}, &stranger));
    }

    std::filesystem::path Authority; // what a checking client trusts
    Server RightName, WrongName, Expired, UnknownAuthority;

private:
    std::filesystem::path write(const std::string& name, const std::string& pem) const {
        const std::filesystem::path file = folder_ / name;
        std::ofstream(file, std::ios::binary) << pem;
        return file;
    }
    Server server(const std::string& name, const tds::CertificatePair& pair) const {
        return {write(name + ".pem", pair.certificatePem), write(name + ".key", pair.keyPem)};
    }

    std::filesystem::path folder_;
};

} // namespace velmora::test
