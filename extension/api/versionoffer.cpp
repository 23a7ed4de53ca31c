#include "api/versionoffer.h"

#include "log.h"
#include "stores/incommingupdatesmanager.h"

void storeVersionCheck(const ApiResult<VersionOffer>& result, IncommingUpdatesManager& updates) {
    if (const auto* error = std::get_if<ApiError>(&result)) {
        if (error->detail() == ApiError::Detail::notObject) {
            updates.setIncommingUpdatesAvailable(false);
        }
        return;
    }
    const auto& offer = std::get<VersionOffer>(result);
    if (offer.newVersion) {
        Log::line("The new available version is:", *offer.newVersion);
    }
    updates.newVersion = offer.newVersion;
    updates.updateUrl = offer.updateUrl;
    updates.setIncommingUpdatesAvailable(offer.updateUrl.has_value());
}
