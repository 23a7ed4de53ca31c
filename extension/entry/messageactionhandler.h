#pragma once

#include "memessageactionhandler.h"

/// Colours messages about Mars, and makes every message it is shown the reply context's body.
class MessageActionHandler : public MEMessageActionHandler {
public:
    void decideAction(const MEMessage& message, const Completion& completion) override;
};
