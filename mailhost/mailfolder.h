#pragma once

#include "mailmessage.h"
#include "messageparser.h"

#include <memory>
#include <variant>

/// A folder that cannot be listed, in one line.
struct FolderError {
    QString message;
};

/// Files larger than this are not read.
inline constexpr qint64 kLargestMessageBytes = qint64(256) << 20;

/// The message files of a folder of .eml files, or of a Maildir (its cur/ and new/), in the
/// order of their names: regular files only, symlinks to them included. A Maildir whose cur/ or
/// new/ cannot be read is an error, not a shorter list.
[[nodiscard]] std::variant<QStringList, FolderError> messageFilesOf(const QString& folder);

/// Where a Maildir message listed at `path` is now, when another program has since renamed it
/// to change its flags or moved it from new/ to cur/; nothing when it is not in a Maildir or
/// has gone.
[[nodiscard]] std::optional<QString> movedMaildirMessage(const QString& path);

/// Reads one message file whole; anything but a regular file is refused unread.
[[nodiscard]] std::variant<std::shared_ptr<const MailMessage>, MessageError>
readMessageFile(const QString& path);
