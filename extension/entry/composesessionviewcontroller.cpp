#include "entry/composesessionviewcontroller.h"

#include "api/appversion.h"
#include "api/handleapirequests.h"
#include "entry/composesessionviewcontrollerfactory.h"
#include "entry/coordinator.h"
#include "panel/sessiontabsstate.h"
#include "signin/loginviewstate.h"
#include "signin/minimumheight.h"
#include "signin/signinflow.h"
#include "stores/notificationnames.h"
#include "views/keyboardfocus.h"
#include "views/panelsize.h"
#include "views/viewengine.h"

namespace {

/// Keeps `layer` over the whole of `area`, as the area's size changes.
void fillEdgeToEdge(QQuickItem& layer, QQuickItem& area) {
    layer.setParentItem(&area);
    // An area the host has not sized yet leaves the layer at its own size: shrinking it to
    // nothing and back would lay out every text twice more.
    if (area.width() > 0) {
        layer.setWidth(area.width());
    }
    if (area.height() > 0) {
        layer.setHeight(area.height());
    }
    QObject::connect(&area, &QQuickItem::widthChanged, &layer,
                     [&layer, &area] { layer.setWidth(area.width()); });
    QObject::connect(&area, &QQuickItem::heightChanged, &layer,
                     [&layer, &area] { layer.setHeight(area.height()); });
}

} // namespace

std::shared_ptr<ComposeSessionViewController>
ComposeSessionViewController::make(std::shared_ptr<ComposeWindow> window) {
    return std::shared_ptr<ComposeSessionViewController>(
        new ComposeSessionViewController(std::move(window)));
}

std::shared_ptr<MEExtensionViewController>
makeComposeSessionViewController(std::shared_ptr<ComposeWindow> window) {
    return ComposeSessionViewController::make(std::move(window));
}

ComposeSessionViewController::ComposeSessionViewController(std::shared_ptr<ComposeWindow> window)
    : window_(std::move(window))
    , customHeight_(minimumHeightFor(window_->context())) {}

ComposeSessionViewController::~ComposeSessionViewController() {
    logoutObservation_.reset();
    signInObservation_.reset();
    removeLayers();
}

QSizeF ComposeSessionViewController::minimumSize() const {
    return {static_cast<qreal>(PanelSize::minimumWidth()), static_cast<qreal>(customHeight_)};
}

QSizeF ComposeSessionViewController::maximumSize() const {
    return {static_cast<qreal>(PanelSize::maximumWidth()),
            static_cast<qreal>(PanelSize::maximumHeight())};
}

void ComposeSessionViewController::viewDidLoad() {
    showInitialView();
    // Both handles die with this controller, so their work never outlives it.
    const ExtensionServices& services = window_->services();
    logoutObservation_ = services.notifications.addObserver(NotificationNames::userDidLogout,
                                                            [this] { handleLogout(); });
    signInObservation_ = services.notifications.addObserver(NotificationNames::userDidSignIn,
                                                            [this] { handleSignIn(); });
    updateTimer_.reset();
    updateTimer_ = services.mainQueue.every(updateCheckInterval, [this] { triggerUpdateCheck(); });
}

void ComposeSessionViewController::showInitialView() {
    const ExtensionServices& services = window_->services();
    if (!services.auth.accessToken()) {
        showLoginView();
        return;
    }
    showSessionTabsView();
    const QString token = services.auth.accessToken().value_or(QString());
    HandleApiRequests(services).fetchUserDetails(
        services.api.currentApiUrl() + QStringLiteral("/me"), token,
        storingUserDetailsIn(services.userDetails, services.auth, token));
}

void ComposeSessionViewController::showLoginView() {
    auto state = std::make_unique<LoginViewState>(*window_);
    // Weakly: the view belongs to this controller, so it never presses for a controller that
    // is gone, and holding the controller here would keep every closed window alive.
    state->onLoginButtonTap = [controller = weak_from_this()] {
        if (const auto strong = controller.lock()) {
            strong->requestLoginSession();
        }
    };
    std::unique_ptr<QQuickItem> item = ViewEngine::create(
        QStringLiteral("LoginView"), {{"viewState", QVariant::fromValue(state.get())}});
    Layer layer;
    layer.states.push_back(std::move(state));
    layer.item = std::move(item);
    layer.login = true;
    const bool focused = holdsFocus(view());
    // A login view under another could never be seen again: each sign-out or endpoint change
    // on a login view would keep one more. The one replaced may be running the handler that
    // changed the endpoint, so it goes once that handler has returned.
    if (layer.item && !layers_.empty() && layers_.back().login) {
        Layer replaced = std::move(layers_.back());
        layers_.pop_back();
        replaced.item->setParentItem(nullptr);
        replaced.item.release()->deleteLater();
        for (std::unique_ptr<QObject>& replacedState : replaced.states) {
            replacedState.release()->deleteLater();
        }
    }
    addLayer(std::move(layer), focused);
}

void ComposeSessionViewController::showSessionTabsView() {
    const bool focused = holdsFocus(view());
    removeLayers();
    auto coordinator = std::make_unique<Coordinator>(*this);
    auto state = std::make_unique<SessionTabsState>(*window_);
    std::unique_ptr<QQuickItem> item = ViewEngine::create(
        QStringLiteral("SessionTabsView"), {{"coordinator", QVariant::fromValue(coordinator.get())},
                                            {"viewState", QVariant::fromValue(state.get())}});
    Layer layer;
    layer.states.push_back(std::move(coordinator));
    layer.states.push_back(std::move(state));
    layer.item = std::move(item);
    addLayer(std::move(layer), focused);
}

void ComposeSessionViewController::addLayer(Layer layer, bool focused) {
    if (!layer.item) {
        return; // the view could not be made, which ViewEngine has logged
    }
    // What the new layer covers takes no more clicks or keys, its focused field included. It
    // stays in place, so that it still leaves the screen in order.
    for (Layer& covered : layers_) {
        covered.item->setEnabled(false);
    }
    fillEdgeToEdge(*layer.item, view());
    // The keyboard stays in the panel; the compose area keeps a focus it had.
    if (focused) {
        focusFirstControl(*layer.item);
    }
    layers_.push_back(std::move(layer));
}

void ComposeSessionViewController::removeLayers() {
    // Off the screen first, in order, so that each view runs its disappearance step while its
    // state is still there.
    for (Layer& layer : layers_) {
        layer.item->setParentItem(nullptr);
    }
    layers_.clear();
}

void ComposeSessionViewController::handleLogout() {
    showLoginView();
}

void ComposeSessionViewController::handleSignIn() {
    if (layers_.empty() || !layers_.back().login || !window_->services().auth.accessToken()) {
        return;
    }
    isLoggedIn_ = true;
    showSessionTabsView();
}

void ComposeSessionViewController::buttonClicked() {
    requestLoginSession();
}

void ComposeSessionViewController::requestLoginSession() {
    SignInFlow::requestLoginSession(window_->services(), weak_from_this());
}

void ComposeSessionViewController::refreshAfterLogin() {
    if (isLoggedIn_) {
        showSessionTabsView();
    } else {
        showLoginView();
    }
}

void ComposeSessionViewController::triggerUpdateCheck() {
    const ExtensionServices& services = window_->services();
    const QString url = services.api.currentBaseApiUrl() + QStringLiteral("/apple-version");
    if (const std::optional<QString> version = appVersion(services.bundle)) {
        HandleApiRequests(services).checkForNewVersion(
            url, *version, [&updates = services.updates](const auto& result) {
                storeVersionCheck(result, updates);
            });
    }
}
