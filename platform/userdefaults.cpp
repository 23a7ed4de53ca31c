#include "userdefaults.h"

namespace {

template <typename T> std::optional<T> valueAs(const std::optional<DefaultsValue>& value) {
    if (value && std::holds_alternative<T>(*value)) {
        return std::get<T>(*value);
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> UserDefaults::string(const QString& key) const {
    return valueAs<QString>(value(key));
}

std::optional<bool> UserDefaults::flag(const QString& key) const {
    return valueAs<bool>(value(key));
}

std::optional<QByteArray> UserDefaults::data(const QString& key) const {
    return valueAs<QByteArray>(value(key));
}
