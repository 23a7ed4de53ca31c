#pragma once

#include "stores/extensionservices.h"

/// The extension's stores, fresh, on a platform's services: a test's windows meet nothing that
/// an earlier test in the same process left behind. With `devUrl`, the "dev" deployment is
/// there instead of where the build puts it.
struct TestStores {
    explicit TestStores(const Platform& platform = Platform::current(),
                        const std::optional<QString>& devUrl = std::nullopt);

    ReplyEmailManager replyContext;
    UserDetailsManager userDetails;
    AuthManager auth;
    SummarizeManager summaries;
    StartChatManager chats;
    IncommingUpdatesManager updates;
    APIManager api;
    /// The platform's services and these stores.
    const ExtensionServices services;
};
