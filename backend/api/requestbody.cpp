#include "requestbody.h"

#include <simdjson.h>

namespace backend {

std::optional<RequestBody> RequestBody::parse(const std::string& body) {
    // A parser keeps its buffers between documents; one per worker thread avoids allocating
    // them for every request.
    thread_local simdjson::dom::parser parser;
    simdjson::dom::object object;
    if (parser.parse(body).get(object) != simdjson::SUCCESS) {
        return std::nullopt;
    }
    RequestBody result;
    for (const auto field : object) {
        std::string_view value;
        if (field.value.get(value) == simdjson::SUCCESS) {
            result.texts_.emplace(field.key, value);
        }
    }
    return result;
}

std::optional<std::string> RequestBody::text(const std::string& member) const {
    const auto it = texts_.find(member);
    if (it == texts_.end()) {
        return std::nullopt;
    }
    return it->second;
}

} // namespace backend
