#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <variant>

/// The answer of both sign-in endpoints: the session, and its token once someone has signed
/// in through the login page.
struct SessionResponse {
    QString id;
    std::optional<QString> accessToken;
    std::optional<QString> refreshToken;
    std::optional<QString> loginUrl;
};

/// The session in `body`, or why it is not one: not a JSON object, `id` missing or not a
/// string, or an optional member that is neither a string nor null. Other members are ignored.
[[nodiscard]] std::variant<SessionResponse, QString> decodeSessionResponse(const QByteArray& body);
