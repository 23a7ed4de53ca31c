#pragma once

#include "api/apierror.h"
#include "api/json.h"

#include <QString>
#include <QUrl>
#include <functional>
#include <variant>

/// Sends a chat request (Content-Type and Authorization, no Accept) and hands over the
/// answer's JSON object, or the error that the failure was logged and reported as. A 2xx
/// answer without a body hands over nothing.
void sendChatRequest(const QUrl& url, const QString& accessToken, const Json& body,
                     std::function<void(std::variant<ApiError, Json>)> handler);
