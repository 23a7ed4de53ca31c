#pragma once

#include "api/json.h"

#include <QString>

/// Body that opens a chat about a message; members go on the wire in this order.
struct ChatStartBody {
    QString email;
    QString plugin_source = PluginIdentity::source;
    QString plugin_version = PluginIdentity::version;
    QString email_content;
};

/// Body of one chat message; members go on the wire in this order.
struct ChatBody {
    QString assistantId;
    QString threadId;
    QString email;
    QString content;
    QString plugin_source = PluginIdentity::source;
    QString plugin_version = PluginIdentity::version;
};

struct ChatStartResponse {
    QString assistantId;
    QString threadId;
};

struct ChatResponse {
    QString response;
};

[[nodiscard]] Json toJson(const ChatStartBody& body);
[[nodiscard]] Json toJson(const ChatBody& body);
/// `ChatStartBody(email: "…", …)`, for the log.
[[nodiscard]] QString textForm(const ChatStartBody& body);
