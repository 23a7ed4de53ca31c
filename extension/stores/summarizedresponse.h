#pragma once

#include <QString>

/// A summary filed under the message it belongs to.
struct SummarizedResponse {
    QString messageId;
    QString response;
};
