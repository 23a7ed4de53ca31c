#include "certificateauthority.h"

#include <arpa/inet.h>
#include <memory>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>
#include <stdexcept>

namespace tls {
namespace {

template <auto Free> struct Deleter {
    template <typename T> void operator()(T* p) const { Free(p); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY_free>>;
using CertPtr = std::unique_ptr<X509, Deleter<X509_free>>;
using BioPtr = std::unique_ptr<BIO, Deleter<BIO_free>>;

void ensure(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(std::string("certificate: ") + what + " failed");
    }
}

KeyPtr makeKey() {
    KeyPtr key(EVP_EC_gen("P-256"));
    ensure(key != nullptr, "key generation");
    return key;
}

std::string readBio(BIO* bio) {
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    return std::string(data, static_cast<std::size_t>(size));
}

std::string keyToPem(EVP_PKEY* key) {
    BioPtr bio(BIO_new(BIO_s_mem()));
    ensure(PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr) == 1,
           "key export");
    return readBio(bio.get());
}

std::string certificateToPem(X509* cert) {
    BioPtr bio(BIO_new(BIO_s_mem()));
    ensure(PEM_write_bio_X509(bio.get(), cert) == 1, "certificate export");
    return readBio(bio.get());
}

KeyPtr keyFromPem(const std::string& pem) {
    BioPtr bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    KeyPtr key(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
    ensure(key != nullptr, "key import");
    return key;
}

CertPtr certificateFromPem(const std::string& pem) {
    BioPtr bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    CertPtr cert(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
    ensure(cert != nullptr, "certificate import");
    return cert;
}

CertPtr newCertificate(EVP_PKEY* key, const std::string& commonName, int validDays) {
    CertPtr cert(X509_new());
    ensure(cert != nullptr, "certificate allocation");
    ensure(X509_set_version(cert.get(), 2) == 1, "version");
    unsigned char serial[16];
    ensure(RAND_bytes(serial, sizeof serial) == 1, "serial");
    serial[0] &= 0x7f; // keep the serial positive
    std::unique_ptr<BIGNUM, Deleter<BN_free>> bn(BN_bin2bn(serial, sizeof serial, nullptr));
    ensure(BN_to_ASN1_INTEGER(bn.get(), X509_get_serialNumber(cert.get())) != nullptr, "serial");
    ensure(X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600) != nullptr, "validity");
    ensure(X509_gmtime_adj(X509_getm_notAfter(cert.get()), 86400L * validDays) != nullptr,
           "validity");
    ensure(X509_set_pubkey(cert.get(), key) == 1, "public key");
    X509_NAME* name = X509_get_subject_name(cert.get());
    ensure(X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                                      reinterpret_cast<const unsigned char*>(commonName.c_str()),
                                      -1, -1, 0) == 1,
           "subject");
    return cert;
}

void addExtension(X509* cert, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    std::unique_ptr<X509_EXTENSION, Deleter<X509_EXTENSION_free>> ext(
        X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str()));
    ensure(ext != nullptr && X509_add_ext(cert, ext.get(), -1) == 1, "extension");
}

bool isIpAddress(const std::string& host) {
    unsigned char buffer[16];
    return inet_pton(AF_INET, host.c_str(), buffer) == 1 ||
           inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

} // namespace

KeyAndCertificate makeCertificateAuthority(const std::string& commonName, int validDays) {
    KeyPtr key = makeKey();
    CertPtr cert = newCertificate(key.get(), commonName, validDays);
    ensure(X509_set_issuer_name(cert.get(), X509_get_subject_name(cert.get())) == 1, "issuer");
    addExtension(cert.get(), cert.get(), NID_basic_constraints, "critical,CA:TRUE,pathlen:0");
    addExtension(cert.get(), cert.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
    addExtension(cert.get(), cert.get(), NID_subject_key_identifier, "hash");
    ensure(X509_sign(cert.get(), key.get(), EVP_sha256()) > 0, "signing");
    return {keyToPem(key.get()), certificateToPem(cert.get())};
}

KeyAndCertificate issueServerCertificate(const KeyAndCertificate& authority,
                                         const std::vector<std::string>& hosts, int validDays) {
    ensure(!hosts.empty(), "a server certificate without hosts");
    KeyPtr caKey = keyFromPem(authority.keyPem);
    CertPtr caCert = certificateFromPem(authority.certificatePem);
    KeyPtr key = makeKey();
    CertPtr cert = newCertificate(key.get(), hosts.front(), validDays);
    ensure(X509_set_issuer_name(cert.get(), X509_get_subject_name(caCert.get())) == 1, "issuer");
    std::string altNames;
    for (const std::string& host : hosts) {
        // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on the joined form.
        if (!altNames.empty()) {
            altNames += ',';
        }
        altNames += isIpAddress(host) ? "IP:" : "DNS:";
        altNames += host;
    }
    addExtension(cert.get(), caCert.get(), NID_basic_constraints, "critical,CA:FALSE");
    addExtension(cert.get(), caCert.get(), NID_key_usage, "critical,digitalSignature");
    addExtension(cert.get(), caCert.get(), NID_ext_key_usage, "serverAuth");
    addExtension(cert.get(), caCert.get(), NID_subject_alt_name, altNames);
    addExtension(cert.get(), caCert.get(), NID_authority_key_identifier, "keyid:always");
    ensure(X509_sign(cert.get(), caKey.get(), EVP_sha256()) > 0, "signing");
    return {keyToPem(key.get()), certificateToPem(cert.get())};
}

} // namespace tls
