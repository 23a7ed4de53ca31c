#pragma once

#include <QString>
#include <map>

/// Base URLs of the backend deployments by endpoint identifier ("live", "staging", "dev").
/// Built once from the build's defaults and the QUORVANE_*_URL overrides.
[[nodiscard]] const std::map<QString, QString>& baseUrlTable();

/// `override` when it is an https URL with a host and no path, query or trailing slash;
/// otherwise logs why it is ignored and gives `fallback`.
[[nodiscard]] QString chooseBaseUrl(const char* variable, const char* override,
                                    const QString& fallback);
