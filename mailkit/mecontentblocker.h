#pragma once

#include <QByteArray>

/// Rules the mail client applies to remote content of the messages it shows.
class MEContentBlocker {
public:
    virtual ~MEContentBlocker() = default;
    /// A JSON list of content-blocking rules, or empty data when there are none.
    [[nodiscard]] virtual QByteArray contentRulesJSON() const = 0;
};
