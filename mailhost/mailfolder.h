#pragma once

#include "mailmessage.h"

#include <memory>
#include <variant>
#include <vector>

/// One file of a mail folder: its message, or why it cannot be shown.
struct ListedMessage {
    QString fileName;
    std::shared_ptr<const MailMessage> message;
    std::optional<QString> error;
};

/// A folder that cannot be listed, in one line.
struct FolderError {
    QString message;
};

/// Files larger than this are listed with an error instead of being read.
inline constexpr qint64 kLargestMessageBytes = qint64(256) << 20;

/// Reads one message file; never fails, an unreadable file is a listed error.
[[nodiscard]] ListedMessage readMessageFile(const QString& path);

/// The messages of a folder of .eml files, or of a Maildir (its cur/ and new/), by file name.
[[nodiscard]] std::variant<std::vector<ListedMessage>, FolderError>
readMailFolder(const QString& path);
