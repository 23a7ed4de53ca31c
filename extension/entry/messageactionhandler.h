#pragma once

#include "memessageactionhandler.h"
#include "stores/replyemailmanager.h"

/// Colours messages about Mars, and makes every message it is shown the reply context's body.
class MessageActionHandler : public MEMessageActionHandler {
public:
    explicit MessageActionHandler(ReplyEmailManager& replyContext)
        : replyContext_(replyContext) {}

    void decideAction(const MEMessage& message, const Completion& completion) override;

private:
    ReplyEmailManager& replyContext_;
};
