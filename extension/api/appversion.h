#pragma once

#include "bundle.h"

#include <QString>
#include <optional>

/// The installed version from the bundle's "CFBundleShortVersionString"; absent when the
/// bundle has no such text.
[[nodiscard]] std::optional<QString> appVersion(const Bundle& bundle);
