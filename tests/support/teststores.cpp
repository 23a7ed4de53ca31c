#include "teststores.h"

namespace {

std::map<QString, QString> deployments(const std::optional<QString>& devUrl) {
    std::map<QString, QString> table = baseUrlTable();
    if (devUrl) {
        table[QStringLiteral("dev")] = *devUrl;
    }
    return table;
}

} // namespace

TestStores::TestStores(const Platform& platform, const std::optional<QString>& devUrl)
    : auth(platform.userDefaults(), platform.urlSession(), platform.notificationCenter(),
           userDetails)
    , api(platform.userDefaults(), platform.notificationCenter(), deployments(devUrl))
    , services(ExtensionServices::on(platform, replyContext, auth, userDetails, summaries, chats,
                                     updates, api)) {}
