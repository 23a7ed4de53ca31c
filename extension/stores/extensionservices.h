#pragma once

#include "platform.h"
#include "stores/apimanager.h"
#include "stores/authmanager.h"
#include "stores/incommingupdatesmanager.h"
#include "stores/replyemailmanager.h"
#include "stores/startchatmanager.h"
#include "stores/summarizemanager.h"
#include "stores/userdetailsmanager.h"

/// What the extension's objects work with, handed to each when it is made: the OS services
/// and the stores. The plugin hands out the process's; a test makes stores of its own, so that
/// its windows meet no other test's state. Only the log is reached through the platform.
struct ExtensionServices {
    UserDefaults& defaults;
    MainQueue& mainQueue;
    URLSession& network;
    NotificationCenter& notifications;
    Workspace& workspace;
    Pasteboard& pasteboard;
    KeyMonitor& keyMonitor;
    Bundle& bundle;

    ReplyEmailManager& replyContext;
    AuthManager& auth;
    UserDetailsManager& userDetails;
    SummarizeManager& summaries;
    StartChatManager& chats;
    IncommingUpdatesManager& updates;
    APIManager& api;

    /// The services of `platform` with the stores given.
    [[nodiscard]] static ExtensionServices on(const Platform& platform,
                                              ReplyEmailManager& replyContext, AuthManager& auth,
                                              UserDetailsManager& userDetails,
                                              SummarizeManager& summaries, StartChatManager& chats,
                                              IncommingUpdatesManager& updates, APIManager& api);
    /// The installed platform's services and the process-wide stores.
    [[nodiscard]] static ExtensionServices process();
};
