#pragma once

#include <QString>
#include <optional>

class NotificationCenter;
class URLSession;
class UserDefaults;
class UserDetailsManager;

/// The sign-in state. The token lives in memory only, so each process starts signed out.
class AuthManager {
public:
    /// The process's, on the installed platform's services.
    [[nodiscard]] static AuthManager& shared();
    /// Logging out clears `defaults`, the cache of `network` and who `userDetails` names, then
    /// tells `notifications`.
    AuthManager(UserDefaults& defaults, URLSession& network, NotificationCenter& notifications,
                UserDetailsManager& userDetails)
        : defaults_(defaults)
        , network_(network)
        , notifications_(notifications)
        , userDetails_(userDetails) {}

    [[nodiscard]] const std::optional<QString>& accessToken() const { return accessToken_; }
    void setAccessToken(const std::optional<QString>& token) { accessToken_ = token; }
    [[nodiscard]] bool hasAccessToken() const { return accessToken_.has_value(); }
    /// Whether `token`, which a request or a view began with, is still the signed-in one: what
    /// arrives after a sign-out is no longer this user's to keep or to send.
    [[nodiscard]] bool stillSignedInWith(const std::optional<QString>& token) const {
        return accessToken_ == token;
    }

    /// Forgets the token, every stored default, the cached answers and the user's address and
    /// name, then tells the windows.
    void logout();
    /// A "Log out" button of the panel or the update notice: the press is logged first.
    void logoutPressed();

private:
    UserDefaults& defaults_;
    URLSession& network_;
    NotificationCenter& notifications_;
    UserDetailsManager& userDetails_;
    std::optional<QString> accessToken_;
};
