#pragma once

#include "stores/replycontext.h"

/// The least height of a compose window's extension views: 550 when answering a message with
/// a subject, 400 for a new message.
[[nodiscard]] inline int minimumHeightFor(const ReplyContext& context) {
    return context.subject ? 550 : 400;
}
