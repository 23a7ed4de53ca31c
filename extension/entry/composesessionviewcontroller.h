#pragma once

#include "meextensionviewcontroller.h"
#include "notificationcenter.h"
#include "signin/signinwindow.h"
#include "stores/composewindow.h"

#include <memory>
#include <vector>

class RepeatingTimer;

/// The content of a compose window's extension area: the login view while nobody is signed
/// in, the assistant panel once a token exists. Made through `make`, because sign-in chains
/// refer to it weakly; lives on the GUI thread and must be released there.
class ComposeSessionViewController
    : public MEExtensionViewController,
      public SignInWindow,
      public std::enable_shared_from_this<ComposeSessionViewController> {
public:
    /// Seconds between two update checks of a window.
    static constexpr double updateCheckInterval = 43200.0;

    [[nodiscard]] static std::shared_ptr<ComposeSessionViewController>
    make(std::shared_ptr<ComposeWindow> window);
    /// Stops listening for sign-outs and sign-ins before the content goes.
    ~ComposeSessionViewController() override;
    ComposeSessionViewController(const ComposeSessionViewController&) = delete;
    ComposeSessionViewController& operator=(const ComposeSessionViewController&) = delete;

    [[nodiscard]] QSizeF minimumSize() const override;
    [[nodiscard]] QSizeF maximumSize() const override;

    /// Set once a sign-in chain of this window, or of another window while this one showed its
    /// login view, has received a token; never cleared.
    [[nodiscard]] bool isLoggedIn() const { return isLoggedIn_; }
    void setIsLoggedIn(bool loggedIn) override { isLoggedIn_ = loggedIn; }

    void triggerUpdateCheck();
    void handleLogout();
    /// Another window signed in: this one leaves its login view for the panel.
    void handleSignIn();
    void buttonClicked();
    void requestLoginSession();
    void refreshAfterLogin() override;

    void showInitialView();
    /// Lays a new login view over whatever is shown.
    void showLoginView();
    /// Replaces everything shown with a new panel.
    void showSessionTabsView();

protected:
    void viewDidLoad() override;

private:
    /// A hosted view with the state objects it shows; the view goes first.
    struct Layer {
        std::vector<std::unique_ptr<QObject>> states;
        std::unique_ptr<QQuickItem> item;
        bool login = false;
    };

    explicit ComposeSessionViewController(std::shared_ptr<ComposeWindow> window);
    /// `focused`: whether the keyboard was in the panel, whose focus the new layer then takes.
    void addLayer(Layer layer, bool focused);
    void removeLayers();

    // Declared first: the layers' state objects refer to it until they go.
    const std::shared_ptr<ComposeWindow> window_;
    const int customHeight_;
    bool isLoggedIn_ = false;
    std::unique_ptr<RepeatingTimer> updateTimer_;
    std::unique_ptr<NotificationCenter::Observation> logoutObservation_;
    std::unique_ptr<NotificationCenter::Observation> signInObservation_;
    std::vector<Layer> layers_;
};
