#pragma once

#include <QString>

/// Names of the notifications through which the parts of the extension meet.
namespace NotificationNames {
inline const QString apiEndpointChanged = QStringLiteral("apiEndpointChanged");
inline const QString userDidLogout = QStringLiteral("UserDidLogout");
/// Posted once the window that signed in shows its panel, for the windows still at their login.
inline const QString userDidSignIn = QStringLiteral("QuorvaneUserDidSignIn");
} // namespace NotificationNames
