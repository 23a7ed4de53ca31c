#pragma once

#include <cstdint>
#include <string>

namespace backend::secrets {

/// `bytes` random bytes from OpenSSL's generator, as lower-case hex.
[[nodiscard]] std::string randomHex(std::size_t bytes);

/// SHA-256 of `text` as lower-case hex; how tokens and session ids are stored.
[[nodiscard]] std::string sha256Hex(const std::string& text);

/// Cost of a password hash: OWASP's current advice, 128 MiB a hash; tests use a small one.
struct ScryptCost {
    std::uint64_t n = 1 << 17;
    std::uint64_t r = 8;
    std::uint64_t p = 1;
    bool operator==(const ScryptCost&) const = default;
};

/// A self-describing scrypt record "scrypt$N$r$p$salt$hash" for `password`.
[[nodiscard]] std::string hashPassword(const std::string& password, ScryptCost cost);

/// Checks `password` against a record made by hashPassword at any cost, in constant time.
[[nodiscard]] bool verifyPassword(const std::string& password, const std::string& record);

/// Whether `record` was made at a cost other than `cost`.
[[nodiscard]] bool needsRehash(const std::string& record, ScryptCost cost);

} // namespace backend::secrets
