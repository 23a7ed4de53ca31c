#include "stores/composewindow.h"

#include "stores/panelkeys.h"

bool ComposeWindow::storeFallbackContent(const QString& text) const {
    return services_.defaults.set(PanelKeys::fallbackContentKey(storageId_), text);
}

std::optional<QString> ComposeWindow::loadFallbackContent() const {
    return services_.defaults.string(PanelKeys::fallbackContentKey(storageId_));
}
