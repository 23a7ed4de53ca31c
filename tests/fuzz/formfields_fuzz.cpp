#include "formfields.h"
#include "require.h"

#include <boost/url/encode.hpp>
#include <boost/url/pct_string_view.hpp>
#include <boost/url/rfc/unreserved_chars.hpp>

// Any bytes as a query or a form body. A malformed escape yields no fields at all, and the
// fields, encoded again, decode to themselves.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string encoded(reinterpret_cast<const char*>(data), size);
    const std::map<std::string, std::string> fields = backend::formFields(encoded);
    if (!boost::urls::make_pct_string_view(encoded)) {
        require(fields.empty(), "a malformed escape yields no fields");
        return 0;
    }
    // Every byte escaped but the unreserved ones, as a strict form encoder may write it.
    const auto escaped = [](const std::string& text) {
        return boost::urls::encode(text, boost::urls::unreserved_chars);
    };
    std::string again;
    for (const auto& [name, value] : fields) {
        again += (again.empty() ? "" : "&") + escaped(name) + "=" + escaped(value);
    }
    require(backend::formFields(again) == fields, "fields encoded again decode to themselves");
    return 0;
}
