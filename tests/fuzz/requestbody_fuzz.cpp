#include "requestbody.h"
#include "require.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <vector>

namespace {

// The text members each JSON route reads.
const std::array<std::vector<std::string>, 4> routeMembers = {{
    {"content"},                            // summarize, response
    {"email_content"},                      // chat start
    {"assistantId", "threadId", "content"}, // chat send
    {"question", "answer"},                 // training data
}};

// Each top-level member's value, and how often its name occurs.
struct Members {
    nlohmann::json object;
    std::map<std::string, int> occurrences;
};

std::optional<Members> readByOtherParser(std::string_view body) {
    Members members;
    const auto count = [&](int depth, nlohmann::json::parse_event_t event, nlohmann::json& key) {
        if (depth == 1 && event == nlohmann::json::parse_event_t::key) {
            ++members.occurrences[key.get<std::string>()];
        }
        return true;
    };
    members.object = nlohmann::json::parse(body, count, /*allow_exceptions=*/false);
    if (!members.object.is_object()) {
        return std::nullopt;
    }
    return members;
}

} // namespace

// The first byte picks the route, the rest is its body. What the body parser accepts is a JSON
// object to another parser too, and each member the route reads is that parser's text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::vector<std::string>& members = routeMembers[data[0] % routeMembers.size()];
    const std::string body(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::optional<backend::RequestBody> parsed = backend::RequestBody::parse(body);
    if (!parsed) {
        return 0;
    }
    const std::optional<Members> other = readByOtherParser(body);
    require(other.has_value(), "an accepted body is a JSON object");
    for (const std::string& name : members) {
        const std::optional<std::string> text = parsed->text(name);
        const auto it = other->object.find(name);
        if (it == other->object.end()) {
            require(!text, "a missing member has no text");
        } else if (other->occurrences.at(name) == 1) {
            require(text.has_value() == it->is_string() &&
                        (!text || *text == it->get_ref<const std::string&>()),
                    "a member's text is exactly the string it carries");
        }
    }
    return 0;
}
