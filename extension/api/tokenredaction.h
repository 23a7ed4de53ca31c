#pragma once

#include <QString>

/// A form of a bearer token that is safe to log: its first four characters (only for tokens
/// long enough that they give nothing away), an ellipsis and its length.
[[nodiscard]] QString redactedToken(const QString& token);
