#include "requestbody.h"
#include "require.h"

#include <array>
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
    std::map<std::string, int> occurrences; // of each top-level member's name
    const auto count = [&](int depth, nlohmann::json::parse_event_t event, nlohmann::json& key) {
        if (depth == 1 && event == nlohmann::json::parse_event_t::key) {
            ++occurrences[key.get<std::string>()];
        }
        return true;
    };
    const nlohmann::json other = nlohmann::json::parse(body, count, /*allow_exceptions=*/false);
    require(other.is_object(), "an accepted body is a JSON object");
    for (const std::string& name : members) {
        const std::optional<std::string> text = parsed->text(name);
        const auto it = other.find(name);
        if (it == other.end()) {
            require(!text, "a missing member has no text");
        } else if (occurrences.at(name) == 1) {
            require(text.has_value() == it->is_string() &&
                        (!text || *text == it->get_ref<const std::string&>()),
                    "a member's text is exactly the string it carries");
        }
    }
    return 0;
}
