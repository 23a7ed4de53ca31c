#pragma once

#include "api/json.h"

#include <QString>

/// A question and answer pair offered as training data; members go on the wire in this order.
struct TrainingDataBody {
    QString email;
    QString question;
    QString answer;
    QString plugin_source = PluginIdentity::source;
    QString plugin_version = PluginIdentity::version;
};

[[nodiscard]] Json toJson(const TrainingDataBody& body);
/// `TrainingDataBody(email: "…", …)`, for the log.
[[nodiscard]] QString textForm(const TrainingDataBody& body);
