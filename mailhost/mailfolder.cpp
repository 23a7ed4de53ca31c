#include "mailfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

/// The one error for a folder that cannot be listed: the named one, or a Maildir's cur/ or new/.
std::optional<FolderError> unreadable(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable() || !info.isExecutable()) {
        return FolderError{QStringLiteral("Cannot read folder: ") + folder};
    }
    return std::nullopt;
}

std::variant<QFileInfoList, FolderError> messageFiles(const QDir& folder) {
    const QDir cur(folder.filePath(QStringLiteral("cur")));
    const QDir fresh(folder.filePath(QStringLiteral("new")));
    QFileInfoList files;
    if (!cur.exists() && !fresh.exists()) {
        files = folder.entryInfoList({QStringLiteral("*.eml")}, QDir::Files, QDir::Name);
    } else {
        // Maildir: tmp/ holds messages still being delivered. A cur/ or new/ that cannot be
        // listed would hide its messages without a word.
        for (const QDir& sub : {cur, fresh}) {
            const QFileInfo info(sub.path());
            if (info.exists() || info.isSymLink()) {
                if (auto error = unreadable(sub.path())) {
                    return *error;
                }
                files += sub.entryInfoList(QDir::Files, QDir::Name);
            }
        }
        std::ranges::sort(files, {}, &QFileInfo::fileName);
    }
    // QDir::Files keeps a symlink to a FIFO, which blocks the reading, or to a device, which
    // may never end.
    files.removeIf([](const QFileInfo& file) { return !file.isFile(); });
    return files;
}

} // namespace

std::variant<std::shared_ptr<const MailMessage>, MessageError>
readMessageFile(const QString& path) {
    // Opening a FIFO waits for a writer, and a device may never end; a missing file keeps the
    // error of its opening.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        return MessageError{QStringLiteral("not a regular file")};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return MessageError{file.errorString()};
    }
    if (file.size() > kLargestMessageBytes) {
        return MessageError{QStringLiteral("larger than %1 MiB").arg(kLargestMessageBytes >> 20)};
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return MessageError{file.errorString()};
    }
    std::variant<MailMessage, MessageError> parsed = parseMessage(bytes);
    if (auto* error = std::get_if<MessageError>(&parsed)) {
        return std::move(*error);
    }
    return std::make_shared<const MailMessage>(std::move(std::get<MailMessage>(parsed)));
}

std::optional<QString> movedMaildirMessage(const QString& path) {
    const QFileInfo listed(path);
    const QString folder = listed.dir().dirName();
    if (folder != QLatin1String("cur") && folder != QLatin1String("new")) {
        return std::nullopt;
    }
    // A Maildir name keeps its unique part, before the ':' of its flags, whatever renames it.
    const QString unique = listed.fileName().section(QLatin1Char(':'), 0, 0);
    const QDir maildir(listed.dir().filePath(QStringLiteral("..")));
    for (const QString& sub : {QStringLiteral("cur"), QStringLiteral("new")}) {
        const QDir dir(maildir.filePath(sub));
        const QStringList names =
            dir.entryList({unique, unique + QStringLiteral(":*")}, QDir::Files);
        if (!names.isEmpty()) {
            return QDir::cleanPath(dir.filePath(names.front()));
        }
    }
    return std::nullopt;
}

std::variant<QStringList, FolderError> messageFilesOf(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.exists()) {
        return FolderError{QStringLiteral("No such folder: ") + folder};
    }
    if (!info.isDir()) {
        return FolderError{QStringLiteral("Not a folder: ") + folder};
    }
    if (auto error = unreadable(folder)) {
        return *error;
    }
    auto files = messageFiles(QDir(folder));
    if (auto* error = std::get_if<FolderError>(&files)) {
        return std::move(*error);
    }
    QStringList paths;
    for (const QFileInfo& file : std::get<QFileInfoList>(files)) {
        paths << file.filePath();
    }
    return paths;
}
