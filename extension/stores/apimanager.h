#pragma once

#include "notificationcenter.h"
#include "stores/deployments.h"

#include <QString>
#include <map>
#include <memory>
#include <optional>

class UserDefaults;

/// Answers which backend deployment is selected, reading the setting afresh on every call.
class APIManager {
public:
    /// The process's, on the installed platform's services.
    [[nodiscard]] static APIManager& shared();
    /// Reads the selection from `defaults` among `baseUrls` (base URL by endpoint identifier);
    /// logs each change `notifications` announce, and lets go of the fixed URLs at it and at a
    /// sign-out.
    APIManager(const UserDefaults& defaults, NotificationCenter& notifications,
               std::map<QString, QString> baseUrls = baseUrlTable());

    [[nodiscard]] QString apiUrl() const;
    [[nodiscard]] QString baseApiUrl() const;
    /// Logs the URLs of the newly selected deployment.
    void apiEndpointChanged();

    /// The API URL selected at first use, fixed until the deployment changes or the user signs
    /// out: the next sign-in takes its token from the deployment selected then, and requests
    /// must carry it to that deployment, not to an earlier one.
    [[nodiscard]] const QString& currentApiUrl();
    /// The base URL, fixed as `currentApiUrl` is.
    [[nodiscard]] const QString& currentBaseApiUrl();

private:
    [[nodiscard]] QString resolveBase(const char* fallbackLine) const;
    void forgetCurrentUrls();

    const UserDefaults& defaults_;
    const std::map<QString, QString> baseUrls_;
    std::unique_ptr<NotificationCenter::Observation> endpointObservation_;
    std::unique_ptr<NotificationCenter::Observation> logoutObservation_;
    std::optional<QString> currentApiUrl_;
    std::optional<QString> currentBaseApiUrl_;
};
