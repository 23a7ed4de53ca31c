#pragma once

#include "api/json.h"

#include <QString>

/// Body of a reply request; members go on the wire in this order.
struct GenerateResponseBody {
    QString messageId;
    QString content;
    QString email;
    QString plugin_source = PluginIdentity::source;
    QString plugin_version = PluginIdentity::version;
};

[[nodiscard]] Json toJson(const GenerateResponseBody& body);
