#pragma once

#include "authenticator.h"
#include "extractiveengine.h"
#include "manualclock.h"
#include "router.h"
#include "store.h"

#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

/// A backend in a fresh data folder with one account, ann@example.org / "pw", and the
/// router's worker pools.
struct BackendWorld {
    explicit BackendWorld(const std::string& name,
                          backend::RouterOptions options = backend::RouterOptions{},
                          backend::Engine* engineInUse = nullptr)
        : dir(std::filesystem::temp_directory_path() / (name + std::to_string(::getpid()))) {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        store = std::make_unique<backend::Store>(dir / "backend.sqlite");
        // A cheap scrypt cost: the tests sign in many times.
        auth = std::make_unique<backend::Authenticator>(*store, clock,
                                                        backend::secrets::ScryptCost{1024, 8, 1});
        auth->addAccount("ann@example.org", "Ann Lee", "pw");
        router =
            std::make_unique<backend::Router>(*store, *auth, engineInUse ? *engineInUse : engine,
                                              clock, backend::RouterThreads{workers, hashing},
                                              std::move(options), [this](const std::string& line) {
                                                  const std::lock_guard lock(logMutex);
                                                  log.push_back(line);
                                              });
    }
    ~BackendWorld() { std::filesystem::remove_all(dir); }
    BackendWorld(const BackendWorld&) = delete;
    BackendWorld& operator=(const BackendWorld&) = delete;

    /// Routes `request` and waits for its answer.
    backend::HttpResponse call(backend::HttpRequest request,
                               backend::Router::Surface surface = backend::Router::Surface::All) {
        auto answer = std::make_shared<std::promise<backend::HttpResponse>>();
        router->handle(
            std::move(request), [answer](backend::HttpResponse r) { answer->set_value(r); },
            surface);
        return answer->get_future().get();
    }

    std::filesystem::path dir;
    ManualClock clock;
    backend::ExtractiveEngine engine;
    std::unique_ptr<backend::Store> store;
    std::unique_ptr<backend::Authenticator> auth;
    std::unique_ptr<backend::Router> router;
    std::mutex logMutex;
    std::vector<std::string> log;
    // Last, so that their queued work finishes before the router goes.
    backend::WorkPool workers{2, 64};
    backend::WorkPool hashing{1, 8};
};
