#pragma once

#include <map>
#include <optional>
#include <string>

namespace backend {

/// The text members of a request's JSON object body. Bodies carry whole mails, so they are
/// read with simdjson, which takes a few microseconds where a general JSON library takes
/// close to a hundred for a 20 KB mail.
class RequestBody {
public:
    /// Nothing when `body` is not valid JSON, not UTF-8 or not an object.
    [[nodiscard]] static std::optional<RequestBody> parse(const std::string& body);

    /// The member's text; nothing when it is missing or not a string. Of repeated members,
    /// the first counts.
    [[nodiscard]] std::optional<std::string> text(const std::string& member) const;

private:
    std::map<std::string, std::string, std::less<>> texts_;
};

} // namespace backend
