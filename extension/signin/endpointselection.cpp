#include "signin/endpointselection.h"

#include "api/appversion.h"
#include "platform.h"
#include "stores/authmanager.h"
#include "stores/notificationnames.h"

namespace {
const QString selectedApiEndpointKey = QStringLiteral("selectedApiEndpoint");
}

EndpointSelection::EndpointSelection(QObject* parent)
    : QObject(parent)
    , selected_(Platform::current()
                    .userDefaults()
                    .string(selectedApiEndpointKey)
                    .value_or(QStringLiteral("live"))) {}

QString EndpointSelection::appVersionText() {
    return appVersion().value_or(QString());
}

void EndpointSelection::select(const QString& endpoint) {
    if (endpoint == selected_) {
        return;
    }
    selected_ = endpoint;
    emit selectedApiEndpointChanged();
    changeEndpoint(endpoint);
}

void changeEndpoint(const QString& endpoint) {
    Platform& platform = Platform::current();
    (void)platform.userDefaults().set(selectedApiEndpointKey, endpoint); // failures are logged
    platform.notificationCenter().post(NotificationNames::apiEndpointChanged);
    platform.notificationCenter().post(NotificationNames::userDidLogout);
    AuthManager::shared().setAccessToken(std::nullopt);
}
