#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <variant>

/// A value kept in the defaults store: a text, a flag or bytes.
using DefaultsValue = std::variant<QString, bool, QByteArray>;

/// The per-user key-value store. A read of a key that holds another kind of value is absent.
class UserDefaults {
public:
    virtual ~UserDefaults() = default;

    [[nodiscard]] virtual std::optional<DefaultsValue> value(const QString& key) const = 0;
    /// Stores the value durably before returning; false (and logged) when it could not.
    [[nodiscard]] virtual bool set(const QString& key, const DefaultsValue& value) = 0;
    /// Removes every one of `keys` in one write, or, when that fails (logged), none.
    virtual void remove(const QStringList& keys) = 0;
    [[nodiscard]] virtual QStringList keys() const = 0;

    [[nodiscard]] std::optional<QString> string(const QString& key) const;
    [[nodiscard]] std::optional<bool> flag(const QString& key) const;
    [[nodiscard]] std::optional<QByteArray> data(const QString& key) const;
};
