#pragma once

#include "notificationcenter.h"

#include <QString>
#include <memory>

/// Answers which backend deployment is selected, reading the setting afresh on every call.
class APIManager {
public:
    [[nodiscard]] static APIManager& shared();

    [[nodiscard]] QString apiUrl() const;
    [[nodiscard]] QString baseApiUrl() const;
    /// Logs the URLs of the newly selected deployment.
    void apiEndpointChanged() const;

private:
    APIManager();
    std::unique_ptr<NotificationCenter::Observation> observation_;
};

/// The API URL selected at first use, fixed for the life of the process.
[[nodiscard]] const QString& currentApiUrl();
/// The base URL selected at first use, fixed for the life of the process.
[[nodiscard]] const QString& currentBaseApiUrl();
