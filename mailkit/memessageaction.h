#pragma once

#include "memessagecolor.h"

#include <vector>

/// Something the mail client does to a message it lists; here, painting its row.
struct MEMessageAction {
    MEMessageColor backgroundColor = MEMessageColor::None;

    [[nodiscard]] static MEMessageAction setBackgroundColor(MEMessageColor color) {
        return MEMessageAction{color};
    }
    bool operator==(const MEMessageAction&) const = default;
};

/// What the extension decided for a message: the actions to apply to it.
struct MEMessageActionDecision {
    std::vector<MEMessageAction> actions;

    [[nodiscard]] static MEMessageActionDecision applyingAction(MEMessageAction action) {
        return MEMessageActionDecision{{action}};
    }
    bool operator==(const MEMessageActionDecision&) const = default;
};
