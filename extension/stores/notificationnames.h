#pragma once

#include <QString>

/// Names of the notifications through which the parts of the extension meet.
namespace NotificationNames {
inline const QString apiEndpointChanged = QStringLiteral("apiEndpointChanged");
inline const QString userDidLogout = QStringLiteral("UserDidLogout");
} // namespace NotificationNames
