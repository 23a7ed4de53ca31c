#pragma once

#include "bundle.h"
#include "mecontentblocker.h"

/// Hands the mail client the rules shipped in the bundle.
class ContentBlocker : public MEContentBlocker {
public:
    explicit ContentBlocker(const Bundle& bundle)
        : bundle_(bundle) {}

    /// The bundle's "ContentBlockerRules.json"; empty when it is missing or unreadable.
    [[nodiscard]] QByteArray contentRulesJSON() const override;

private:
    const Bundle& bundle_;
};
