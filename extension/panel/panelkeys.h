#pragma once

#include <QString>

/// Keys under which the panel keeps its results in the defaults store, built from the message
/// identifier of the current reply context. Stored data relies on their exact form.
namespace PanelKeys {

/// "summarizeResponse " followed by the message identifier, or by "compose" without one.
[[nodiscard]] QString summarizeResponseKey();
/// "generateResponse " followed by the message identifier, or by "compose" without one.
[[nodiscard]] QString generateResponseKey();
/// The message identifier (empty without one) followed by "_summarize".
[[nodiscard]] QString summaryDoneFlag();
/// The message identifier (empty without one) followed by "_generateResponse".
[[nodiscard]] QString replyDoneFlag();
/// `Optional("<identifier>") fallbackContent`, or `nil fallbackContent` without one.
[[nodiscard]] QString fallbackContentKey();

} // namespace PanelKeys
