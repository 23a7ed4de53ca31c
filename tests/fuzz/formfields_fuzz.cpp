#include "formfields.h"
#include "require.h"

#include <cctype>

namespace {

bool hasMalformedEscape(std::string_view encoded) {
    const auto hex = [&](std::size_t at) {
        return at < encoded.size() && std::isxdigit(static_cast<unsigned char>(encoded[at])) != 0;
    };
    for (std::size_t at = encoded.find('%'); at != std::string_view::npos;
         at = encoded.find('%', at + 1)) {
        if (!hex(at + 1) || !hex(at + 2)) {
            return true;
        }
    }
    return false;
}

// Every byte escaped but letters and digits, as a strict form encoder may write it.
std::string escaped(const std::string& text) {
    std::string out;
    for (const unsigned char byte : text) {
        char escape[4];
        std::snprintf(escape, sizeof escape, "%%%02X", byte);
        out += std::isalnum(byte) ? std::string(1, static_cast<char>(byte)) : std::string(escape);
    }
    return out;
}

} // namespace

// Any bytes as a query or a form body. A malformed escape yields no fields at all, and the
// fields, encoded again, decode to themselves.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string encoded(reinterpret_cast<const char*>(data), size);
    const std::map<std::string, std::string> fields = backend::formFields(encoded);
    if (hasMalformedEscape(encoded)) {
        require(fields.empty(), "a malformed escape yields no fields");
        return 0;
    }
    std::string again;
    for (const auto& [name, value] : fields) {
        again += (again.empty() ? "" : "&") + escaped(name) + "=" + escaped(value);
    }
    require(backend::formFields(again) == fields, "fields encoded again decode to themselves");
    return 0;
}
