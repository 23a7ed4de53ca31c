#include "views/viewengine.h"

#include "log.h"
#include "views/inputorigin.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>

namespace ViewEngine {

QQmlEngine& shared() {
    static QQmlEngine* engine = [] {
        // Owned by the application object, so that it goes before the GUI does.
        auto* made = new QQmlEngine(QCoreApplication::instance());
        made->addImportPath(QStringLiteral("qrc:/"));
        // QML makes its singletons when first read; this one must hear the first press in a
        // view, which comes before anything reads it.
        (void)InputOrigin::shared();
        return made;
    }();
    return *engine;
}

std::unique_ptr<QQuickItem> create(const QString& typeName, const QVariantMap& properties) {
    QQmlEngine& engine = shared();
    QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/Quorvane/Extension/") + typeName +
                                          QStringLiteral(".qml")));
    // Creating from a component that failed to load crashes rather than failing.
    QObject* object =
        component.isError() ? nullptr : component.createWithInitialProperties(properties);
    auto* item = qobject_cast<QQuickItem*>(object);
    if (item == nullptr) {
        delete object;
        Log::line("Could not create the view", typeName + QLatin1Char(':'),
                  component.errorString().trimmed());
        return nullptr;
    }
    QQmlEngine::setObjectOwnership(item, QQmlEngine::CppOwnership);
    return std::unique_ptr<QQuickItem>(item);
}

} // namespace ViewEngine
