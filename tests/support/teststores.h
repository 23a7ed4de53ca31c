#pragma once

#include "stores/extensionservices.h"

/// The extension's stores, fresh, on a platform's services: a test's windows meet nothing that
/// an earlier test in the same process left behind.
struct TestStores {
    explicit TestStores(const Platform& platform = Platform::current());

    ReplyEmailManager replyContext;
    AuthManager auth;
    UserDetailsManager userDetails;
    SummarizeManager summaries;
    StartChatManager chats;
    IncommingUpdatesManager updates;
    APIManager api;
    /// The platform's services and these stores.
    const ExtensionServices services;
};
