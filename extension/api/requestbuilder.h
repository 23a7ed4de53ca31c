#pragma once

#include "urlsession.h"

#include <QString>
#include <QUrl>
#include <initializer_list>

enum class RequestHeader { ContentType, Accept, Authorization };

/// A backend request: 60 s timeout and the named headers, always set in the order
/// Content-Type, Accept, Authorization. The token is sent as given, also when empty.
[[nodiscard]] URLRequest makeBackendRequest(const QUrl& url, const QByteArray& method,
                                            std::initializer_list<RequestHeader> headers,
                                            const QString& accessToken = {});
