#include "stores/extensionservices.h"

ExtensionServices ExtensionServices::on(const Platform& platform, ReplyEmailManager& replyContext,
                                        AuthManager& auth, UserDetailsManager& userDetails,
                                        SummarizeManager& summaries, StartChatManager& chats,
                                        IncommingUpdatesManager& updates, APIManager& api) {
    return {
        .defaults = platform.userDefaults(),
        .mainQueue = platform.mainQueue(),
        .network = platform.urlSession(),
        .notifications = platform.notificationCenter(),
        .workspace = platform.workspace(),
        .pasteboard = platform.pasteboard(),
        .keyMonitor = platform.keyMonitor(),
        .bundle = platform.bundle(),
        .replyContext = replyContext,
        .auth = auth,
        .userDetails = userDetails,
        .summaries = summaries,
        .chats = chats,
        .updates = updates,
        .api = api,
    };
}

ExtensionServices ExtensionServices::process() {
    return on(Platform::current(), ReplyEmailManager::shared(), AuthManager::shared(),
              UserDetailsManager::shared(), SummarizeManager::shared(), StartChatManager::shared(),
              IncommingUpdatesManager::shared(), APIManager::shared());
}
