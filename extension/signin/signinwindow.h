#pragma once

/// The compose window a sign-in chain reports to; the window's controller sits above the
/// sign-in code, so the chain knows it only through this.
class SignInWindow {
public:
    virtual ~SignInWindow() = default;

    virtual void setIsLoggedIn(bool loggedIn) = 0;
    /// Shows the panel once a chain of this window has a token, else a login view.
    virtual void refreshAfterLogin() = 0;

protected:
    SignInWindow() = default;
    SignInWindow(const SignInWindow&) = default;
    SignInWindow& operator=(const SignInWindow&) = default;
};
