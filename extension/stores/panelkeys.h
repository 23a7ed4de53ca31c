#pragma once

#include <QString>

/// Keys under which the panel keeps its results in the defaults store, built from the name the
/// window's message files them under (`storageIdOf`). Stored data relies on their exact form.
namespace PanelKeys {

/// "summarizeResponse " followed by the name.
[[nodiscard]] QString summarizeResponseKey(const QString& storageId);
/// "generateResponse " followed by the name.
[[nodiscard]] QString generateResponseKey(const QString& storageId);
/// The name followed by "_summarize".
[[nodiscard]] QString summaryDoneFlag(const QString& storageId);
/// The name followed by "_generateResponse".
[[nodiscard]] QString replyDoneFlag(const QString& storageId);
/// `Optional("<name>") fallbackContent`.
[[nodiscard]] QString fallbackContentKey(const QString& storageId);

} // namespace PanelKeys
