#pragma once

#include <QByteArray>
#include <QString>
#include <nlohmann/json.hpp>
#include <optional>
#include <variant>

/// JSON that keeps members in the order they were written or received.
using Json = nlohmann::ordered_json;

/// Fixed values every request body carries; not the application's version.
namespace PluginIdentity {
inline constexpr const char* source = "plugin_apple";
inline constexpr const char* version = "v1.0.0";
} // namespace PluginIdentity

[[nodiscard]] inline std::string utf8(const QString& text) {
    return text.toStdString();
}

[[nodiscard]] inline QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

/// The compact encoding of a body, or the reason it could not be encoded.
struct EncodedBody {
    std::optional<QByteArray> bytes;
    QString errorDescription;
};

[[nodiscard]] EncodedBody encodeBody(const Json& body);

/// `bytes` parsed as JSON, or why they are not: a syntax error, a number past a double's range,
/// or nesting deeper than a value can be copied or printed.
[[nodiscard]] std::variant<Json, QString> parseJson(const QByteArray& bytes);

/// A readable one-line form of a parsed answer, for log lines.
[[nodiscard]] QString describe(const Json& value);
