#pragma once

#include <QQuickItem>
#include <QString>
#include <algorithm>

/// Which controls a search for a control may find.
enum class MEControlState { Any, Enabled };

/// The control named `objectName` that a person would see on top in the extension's view:
/// visible, not faded out and not empty; the last match in painting order, since later
/// siblings and children are drawn over earlier ones. Null when there is none. Scripts that
/// drive the extension, and its tests, find controls this way.
[[nodiscard]] inline QQuickItem* meTopmostControl(QQuickItem& root, const QString& objectName,
                                                  MEControlState state) {
    if (!root.isVisible() || root.opacity() <= 0) {
        return nullptr;
    }
    QQuickItem* found = nullptr;
    if (root.objectName() == objectName && root.width() > 0 && root.height() > 0 &&
        (state == MEControlState::Any || root.isEnabled())) {
        found = &root;
    }
    QList<QQuickItem*> children = root.childItems();
    std::stable_sort(children.begin(), children.end(),
                     [](QQuickItem* a, QQuickItem* b) { return a->z() < b->z(); });
    for (QQuickItem* child : children) {
        if (QQuickItem* match = meTopmostControl(*child, objectName, state)) {
            found = match;
        }
    }
    return found;
}
