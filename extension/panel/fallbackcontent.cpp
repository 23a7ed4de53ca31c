#include "panel/fallbackcontent.h"

#include "panel/panelkeys.h"
#include "platform.h"

bool storeFallbackContent(const ComposeWindow& window, const QString& text) {
    return Platform::current().userDefaults().set(
        PanelKeys::fallbackContentKey(window.context().messageId), text);
}

std::optional<QString> loadFallbackContent(const ComposeWindow& window) {
    return Platform::current().userDefaults().string(
        PanelKeys::fallbackContentKey(window.context().messageId));
}
