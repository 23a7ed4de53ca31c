#pragma once

#include "memessage.h"
#include "memessageaction.h"

#include <functional>
#include <optional>

/// Decides actions for the messages the mail client receives or lists.
class MEMessageActionHandler {
public:
    using Completion = std::function<void(std::optional<MEMessageActionDecision>)>;

    virtual ~MEMessageActionHandler() = default;
    /// Calls `completion` once, with a decision or with none.
    virtual void decideAction(const MEMessage& message, const Completion& completion) = 0;
};
