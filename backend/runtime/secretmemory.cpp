#include "secretmemory.h"

#include <cstdlib>
#include <cstring>
#include <openssl/crypto.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/resource.h>

namespace backend {

void keepMemoryPrivate() {
    const rlimit none{0, 0};
    if (::prctl(PR_SET_DUMPABLE, 0) != 0 || ::setrlimit(RLIMIT_CORE, &none) != 0) {
        throw std::runtime_error("cannot turn off core dumps");
    }
}

std::string takeEnvironmentVariable(const char* name) {
    char* value = std::getenv(name);
    if (value == nullptr) {
        return "";
    }
    std::string copy = value;
    OPENSSL_cleanse(value, std::strlen(value));
    ::unsetenv(name);
    return copy;
}

void cleanse(std::string& text) {
    OPENSSL_cleanse(text.data(), text.size());
    text.clear();
}

} // namespace backend
