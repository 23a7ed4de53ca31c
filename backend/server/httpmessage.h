#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace backend {

/// A request as the routes see it; header names are lower case.
struct HttpRequest {
    std::string method;
    std::string target;
    std::map<std::string, std::string> headers;
    std::string body;
    /// The peer's IP address as text.
    std::string clientAddress;
};

/// A response from a route.
struct HttpResponse {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    /// The connection ends after this answer, and nothing the client sent behind the request
    /// is served: a refused request, such as one guessing a token, needs a new connection.
    bool closes = false;
};

/// Sends the answer to a request; called once, from any thread.
using Respond = std::function<void(HttpResponse)>;

/// Lets a request go on when given nothing, or refuses it with the answer given; called once,
/// from any thread.
using Admit = std::function<void(std::optional<HttpResponse>)>;

} // namespace backend
