#pragma once

#include "stores/replyemailmanager.h"

/// The least height of the extension's views, from the reply context as it is now: 550 when
/// answering a message with a subject, 400 for a new message.
[[nodiscard]] inline int minimumHeightForReplyContext() {
    return ReplyEmailManager::shared().subject ? 550 : 400;
}
