#include "signin/endpointselection.h"

#include "api/appversion.h"
#include "stores/notificationnames.h"

namespace {
const QString selectedApiEndpointKey = QStringLiteral("selectedApiEndpoint");
}

EndpointSelection::EndpointSelection(const ExtensionServices& services, QObject* parent)
    : QObject(parent)
    , services_(services)
    , selected_(services.defaults.string(selectedApiEndpointKey).value_or(QStringLiteral("live"))) {
}

QString EndpointSelection::appVersionText() const {
    return appVersion(services_.bundle).value_or(QString());
}

void EndpointSelection::select(const QString& endpoint) {
    if (endpoint == selected_) {
        return;
    }
    selected_ = endpoint;
    emit selectedApiEndpointChanged();
    changeEndpoint(services_, endpoint);
}

void changeEndpoint(ExtensionServices services, const QString& endpoint) {
    (void)services.defaults.set(selectedApiEndpointKey, endpoint); // failures are logged
    services.notifications.post(NotificationNames::apiEndpointChanged);
    services.notifications.post(NotificationNames::userDidLogout);
    services.auth.setAccessToken(std::nullopt);
    services.userDetails.forgetUser(); // the next account signs in on the new deployment
}
