#pragma once

#include <string>
#include <vector>

namespace tls {

/// A private key and its certificate, both PEM-encoded.
struct KeyAndCertificate {
    std::string keyPem;
    std::string certificatePem;
};

/// Makes a self-signed certificate authority with a fresh P-256 key.
[[nodiscard]] KeyAndCertificate makeCertificateAuthority(const std::string& commonName,
                                                         int validDays);

/// Issues a server certificate signed by `authority` for the given host names and IP addresses.
[[nodiscard]] KeyAndCertificate issueServerCertificate(const KeyAndCertificate& authority,
                                                       const std::vector<std::string>& hosts,
                                                       int validDays);

} // namespace tls
