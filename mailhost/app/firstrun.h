#pragma once

#include <QString>
#include <optional>

/// Asks a person which mail to open when no folder is named and `maildir` does not exist, as
/// the host would otherwise end without showing a window: a folder they choose, or the sample
/// messages when `samples` is a folder. None when they quit.
[[nodiscard]] std::optional<QString> askForMailFolder(const QString& maildir,
                                                      const QString& samples);
