#pragma once

#include "authenticator.h"
#include "engine.h"
#include "httpmessage.h"
#include "store.h"

#include <functional>
#include <optional>
#include <string>

namespace backend {

/// What the router offers besides its services: the public URL and the newest release.
struct RouterOptions {
    std::string publicUrl;
    std::optional<std::string> releaseVersion;
    std::optional<std::string> releaseUrl;
};

/// Maps requests to the sign-in pages and the API routes.
class Router {
public:
    Router(Store& store, Authenticator& auth, Engine& engine, const Clock& clock,
           RouterOptions options);

    [[nodiscard]] HttpResponse handle(const HttpRequest& request);
    /// The request's path for the access log, with session ids and queries left out.
    [[nodiscard]] static std::string logPath(const std::string& target);

private:
    HttpResponse api(const std::string& path, const HttpRequest& request);
    HttpResponse sessionRequest(const std::string& id);
    HttpResponse loginPage(const std::string& query);
    HttpResponse loginSubmit(const std::string& body);
    HttpResponse appleVersion(const std::string& query);

    Store& store_;
    Authenticator& auth_;
    Engine& engine_;
    const Clock& clock_;
    RouterOptions options_;
};

} // namespace backend
