#pragma once

#include "api/apiresult.h"

#include <QString>
#include <optional>

class IncommingUpdatesManager;

/// The backend's answer about newer releases; a download URL means one is available.
struct VersionOffer {
    std::optional<QString> newVersion;
    std::optional<QString> updateUrl;
};

/// Files a version check's outcome. A failed check leaves the store as it was, except that an
/// answer that is not an object withdraws the notice.
void storeVersionCheck(const ApiResult<VersionOffer>& result, IncommingUpdatesManager& updates);
