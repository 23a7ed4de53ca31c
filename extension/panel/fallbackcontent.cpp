#include "panel/fallbackcontent.h"

#include "panel/panelkeys.h"
#include "platform.h"

bool storeFallbackContent(const QString& text) {
    return Platform::current().userDefaults().set(PanelKeys::fallbackContentKey(), text);
}

std::optional<QString> loadFallbackContent() {
    return Platform::current().userDefaults().string(PanelKeys::fallbackContentKey());
}
