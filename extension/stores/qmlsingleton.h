#pragma once

#include <QJSEngine>

/// The process-wide `T::shared()` as a QML singleton: every engine gets the same object,
/// and none of them may delete it.
template <typename T> T* sharedForQml() {
    T* instance = &T::shared();
    QJSEngine::setObjectOwnership(instance, QJSEngine::CppOwnership);
    return instance;
}
