#pragma once

#include "mecontentblocker.h"

/// Hands the mail client the rules shipped in the bundle.
class ContentBlocker : public MEContentBlocker {
public:
    /// The bundle's "ContentBlockerRules.json"; empty when it is missing or unreadable.
    [[nodiscard]] QByteArray contentRulesJSON() const override;
};
