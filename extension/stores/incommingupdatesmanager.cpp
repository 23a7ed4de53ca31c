#include "stores/incommingupdatesmanager.h"

IncommingUpdatesManager& IncommingUpdatesManager::shared() {
    static IncommingUpdatesManager instance;
    return instance;
}

void IncommingUpdatesManager::setIncommingUpdatesAvailable(bool available) {
    if (available == available_) {
        return;
    }
    available_ = available;
    emit incommingUpdatesAvailableChanged();
}
