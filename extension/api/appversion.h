#pragma once

#include <QString>
#include <optional>

/// The installed version from the bundle's "CFBundleShortVersionString", read once; absent
/// when the bundle has no such text.
[[nodiscard]] const std::optional<QString>& appVersion();
