#include "extensionloader.h"

#include <QDir>
#include <QPluginLoader>

std::variant<MEExtensionPlugin*, LoadError> loadExtension(const QString& folder) {
    const QDir dir(folder);
    if (!dir.exists()) {
        return LoadError{QStringLiteral("no extensions folder at %1").arg(folder)};
    }
    QStringList failures;
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        if (!QLibrary::isLibrary(name)) {
            continue;
        }
        // Never unloaded: the extension's objects live until the process ends.
        auto* loader = new QPluginLoader(dir.filePath(name));
        if (auto* plugin = qobject_cast<MEExtensionPlugin*>(loader->instance())) {
            return plugin;
        }
        failures << loader->errorString();
        delete loader;
    }
    return LoadError{failures.isEmpty() ? QStringLiteral("no extension plugin in %1").arg(folder)
                                        : QStringLiteral("no usable extension plugin in %1: %2")
                                              .arg(folder, failures.join(QStringLiteral("; ")))};
}
