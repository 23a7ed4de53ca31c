#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>

/// An e-mail address as the mail client gives it.
struct MEEmailAddress {
    QString addressString;
};

/// Header fields by lower-case name, each with all of its values in message order.
using MEHeaderMap = std::map<QString, QStringList>;

/// A message the mail client hands to the extension.
class MEMessage {
public:
    virtual ~MEMessage() = default;
    /// The whole message in the mail client's stored form (LF line ends, unfolded headers).
    [[nodiscard]] virtual std::optional<QByteArray> rawData() const = 0;
    [[nodiscard]] virtual QString subject() const = 0;
    [[nodiscard]] virtual std::optional<MEEmailAddress> fromAddress() const = 0;
    [[nodiscard]] virtual std::optional<MEHeaderMap> headers() const = 0;
};
