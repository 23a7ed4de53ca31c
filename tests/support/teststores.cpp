#include "teststores.h"

TestStores::TestStores(const Platform& platform)
    : auth(platform.userDefaults(), platform.urlSession(), platform.notificationCenter())
    , api(platform.userDefaults(), platform.notificationCenter())
    , services(ExtensionServices::on(platform, replyContext, auth, userDetails, summaries, chats,
                                     updates, api)) {}
