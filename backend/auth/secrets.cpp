#include "secrets.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace backend::secrets {
namespace {

std::string toHex(const unsigned char* data, std::size_t size) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        hex += digits[data[i] >> 4];
        hex += digits[data[i] & 15];
    }
    return hex;
}

std::vector<unsigned char> derive(const std::string& password, const std::string& salt,
                                  ScryptCost cost) {
    // A stored record names its own cost; one far above today's would only exhaust memory.
    if (cost.n > (1u << 20) || cost.r > 32 || cost.p > 16) {
        throw std::runtime_error("scrypt cost out of range");
    }
    // What scrypt allocates for this cost, with a page to spare.
    const std::uint64_t memory = 128 * cost.r * (cost.n + cost.p + 2) + 4096;
    std::vector<unsigned char> key(32);
    if (EVP_PBE_scrypt(password.data(), password.size(),
                       reinterpret_cast<const unsigned char*>(salt.data()), salt.size(), cost.n,
                       cost.r, cost.p, memory, key.data(), key.size()) != 1) {
        throw std::runtime_error("scrypt failed");
    }
    return key;
}

struct Record {
    ScryptCost cost;
    std::string salt;
    std::string hash;
};

std::optional<Record> parse(const std::string& record) {
    std::istringstream in(record);
    std::string scheme, n, r, p, salt, hash;
    if (!std::getline(in, scheme, '$') || scheme != "scrypt" || !std::getline(in, n, '$') ||
        !std::getline(in, r, '$') || !std::getline(in, p, '$') || !std::getline(in, salt, '$') ||
        !std::getline(in, hash)) {
        return std::nullopt;
    }
    try {
        return Record{{std::stoull(n), std::stoull(r), std::stoull(p)}, salt, hash};
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace

std::string randomHex(std::size_t bytes) {
    std::vector<unsigned char> buffer(bytes);
    if (RAND_bytes(buffer.data(), static_cast<int>(bytes)) != 1) {
        throw std::runtime_error("random generator failed");
    }
    return toHex(buffer.data(), bytes);
}

std::string sha256Hex(const std::string& text) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(text.data(), text.size(), digest, &size, EVP_sha256(), nullptr) != 1) {
        throw std::runtime_error("sha256 failed");
    }
    return toHex(digest, size);
}

std::string hashPassword(const std::string& password, ScryptCost cost) {
    const std::string salt = randomHex(16);
    const auto key = derive(password, salt, cost);
    std::ostringstream record;
    record << "scrypt$" << cost.n << '$' << cost.r << '$' << cost.p << '$' << salt << '$'
           << toHex(key.data(), key.size());
    return record.str();
}

bool verifyPassword(const std::string& password, const std::string& record) {
    const auto parsed = parse(record);
    if (!parsed) {
        return false;
    }
    try {
        const auto key = derive(password, parsed->salt, parsed->cost);
        const std::string computed = toHex(key.data(), key.size());
        return computed.size() == parsed->hash.size() &&
               CRYPTO_memcmp(computed.data(), parsed->hash.data(), computed.size()) == 0;
    } catch (const std::exception&) {
        return false;
    }
}

bool needsRehash(const std::string& record, ScryptCost cost) {
    const auto parsed = parse(record);
    return !parsed || parsed->cost != cost;
}

} // namespace backend::secrets
