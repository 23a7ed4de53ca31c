#include "views/screenitem.h"

#include "views/keyboardfocus.h"

ScreenItem::ScreenItem(QQuickItem* parent)
    : QQuickItem(parent) {}

bool ScreenItem::holdsFocus(const QQuickItem* item) {
    return item != nullptr && ::holdsFocus(*item);
}

void ScreenItem::itemChange(ItemChange change, const ItemChangeData& value) {
    QQuickItem::itemChange(change, value);
    if (change == ItemSceneChange || change == ItemVisibleHasChanged) {
        follow();
    }
}

void ScreenItem::componentComplete() {
    QQuickItem::componentComplete();
    completed_ = true; // the view's handlers are connected only now
    follow();
}

void ScreenItem::follow() {
    const bool now = completed_ && window() != nullptr && isVisible();
    if (now == onScreen_) {
        return;
    }
    onScreen_ = now;
    emit onScreenChanged();
    if (now) {
        emit appeared();
    } else {
        emit disappeared();
    }
}
