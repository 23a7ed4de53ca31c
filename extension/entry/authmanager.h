#pragma once

#include <QString>
#include <optional>

/// The sign-in state. The token lives in memory only, so each process starts signed out.
class AuthManager {
public:
    [[nodiscard]] static AuthManager& shared();

    std::optional<QString> accessToken;

    /// Forgets the token, every stored default and the cached answers, then tells the windows.
    void logout();

private:
    AuthManager() = default;
};
