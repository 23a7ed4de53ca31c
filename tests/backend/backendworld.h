#pragma once

#include "authenticator.h"
#include "extractiveengine.h"
#include "manualclock.h"
#include "router.h"
#include "store.h"

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

/// A backend in a fresh data folder with one account, ann@example.org / "pw".
struct BackendWorld {
    explicit BackendWorld(const std::string& name,
                          backend::RouterOptions options = backend::RouterOptions{})
        : dir(std::filesystem::temp_directory_path() / (name + std::to_string(::getpid()))) {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        store = std::make_unique<backend::Store>(dir / "backend.sqlite");
        // A cheap scrypt cost: the tests sign in many times.
        auth = std::make_unique<backend::Authenticator>(*store, clock,
                                                        backend::secrets::ScryptCost{1024, 8, 1});
        auth->addAccount("ann@example.org", "Ann Lee", "pw");
        router =
            std::make_unique<backend::Router>(*store, *auth, engine, clock, std::move(options));
    }
    ~BackendWorld() { std::filesystem::remove_all(dir); }
    BackendWorld(const BackendWorld&) = delete;
    BackendWorld& operator=(const BackendWorld&) = delete;

    std::filesystem::path dir;
    ManualClock clock;
    backend::ExtractiveEngine engine;
    std::unique_ptr<backend::Store> store;
    std::unique_ptr<backend::Authenticator> auth;
    std::unique_ptr<backend::Router> router;
};
