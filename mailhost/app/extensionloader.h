#pragma once

#include "meextensionplugin.h"

#include <QString>
#include <variant>

/// Why no extension could be loaded, in one line.
struct LoadError {
    QString message;
};

/// Loads the first extension plugin found in `folder`. The plugin stays loaded for the rest
/// of the process, as a mail client keeps its extensions.
[[nodiscard]] std::variant<MEExtensionPlugin*, LoadError> loadExtension(const QString& folder);
