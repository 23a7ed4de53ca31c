#pragma once

#include <QString>
#include <optional>

/// Keys under which the panel keeps its results in the defaults store, built from the
/// identifier of the window's message. Stored data relies on their exact form.
namespace PanelKeys {

/// "summarizeResponse " followed by the message identifier, or by "compose" without one.
[[nodiscard]] QString summarizeResponseKey(const std::optional<QString>& messageId);
/// "generateResponse " followed by the message identifier, or by "compose" without one.
[[nodiscard]] QString generateResponseKey(const std::optional<QString>& messageId);
/// The message identifier (empty without one) followed by "_summarize".
[[nodiscard]] QString summaryDoneFlag(const std::optional<QString>& messageId);
/// The message identifier (empty without one) followed by "_generateResponse".
[[nodiscard]] QString replyDoneFlag(const std::optional<QString>& messageId);
/// `Optional("<identifier>") fallbackContent`, or `nil fallbackContent` without one.
[[nodiscard]] QString fallbackContentKey(const std::optional<QString>& messageId);

} // namespace PanelKeys
