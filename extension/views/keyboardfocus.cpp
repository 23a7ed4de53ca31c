#include "views/keyboardfocus.h"

#include "views/inputorigin.h"

#include <QQuickItem>
#include <QQuickWindow>

bool holdsFocus(const QQuickItem& item) {
    const QQuickItem* focused =
        item.window() != nullptr ? item.window()->activeFocusItem() : nullptr;
    return focused != nullptr && (focused == &item || item.isAncestorOf(focused));
}

void focusFirstControl(QQuickItem& item) {
    // The chain leaves the item when it holds no control.
    QQuickItem* first = item.nextItemInFocusChain(true);
    if (first != nullptr && item.isAncestorOf(first)) {
        first->forceActiveFocus(InputOrigin::shared().focusReason());
    }
}
