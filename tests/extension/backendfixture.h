#pragma once

#include "authmanager.h"
#include "testhttpsserver.h"
#include "testplatform.h"
#include "userdetailsmanager.h"

#include <QString>
#include <cstdlib>
#include <gtest/gtest.h>

/// A test platform whose "dev" deployment is a fresh HTTPS server on 127.0.0.1. The
/// deployment table is built once per process, so the variable is set before anything reads it.
class BackendFixture : public testing::Test {
protected:
    BackendFixture() {
        ::setenv("QUORVANE_DEV_URL", server_.baseUrl().c_str(), 1);
        AuthManager::shared().setAccessToken(std::nullopt);
        UserDetailsManager::shared().setEmail(QString());
        UserDetailsManager::shared().name.reset();
    }

    /// Makes "dev" the selected deployment, as the developer menu does.
    void selectDevDeployment() const {
        ASSERT_TRUE(Platform::current().userDefaults().set(QStringLiteral("selectedApiEndpoint"),
                                                           QStringLiteral("dev")));
    }

    [[nodiscard]] QString url(const std::string& path) const {
        return QString::fromStdString(server_.baseUrl() + path);
    }

    TestHttpsServer server_;
    TestPlatform platform_{server_.certificateAuthorityFile()};
};
