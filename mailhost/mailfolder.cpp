#include "mailfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

QFileInfoList messageFiles(const QDir& folder) {
    const QDir cur(folder.filePath(QStringLiteral("cur")));
    const QDir fresh(folder.filePath(QStringLiteral("new")));
    if (!cur.exists() && !fresh.exists()) {
        return folder.entryInfoList({QStringLiteral("*.eml")}, QDir::Files, QDir::Name);
    }
    // Maildir: tmp/ holds messages still being delivered.
    QFileInfoList files = cur.entryInfoList(QDir::Files, QDir::Name);
    files += fresh.entryInfoList(QDir::Files, QDir::Name);
    std::ranges::sort(files, {}, &QFileInfo::fileName);
    return files;
}

} // namespace

std::variant<std::shared_ptr<const MailMessage>, MessageError>
readMessageFile(const QString& path) {
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
    if (!info.isReadable() || !info.isExecutable()) {
        return FolderError{QStringLiteral("Cannot read folder: ") + folder};
    }
    QStringList paths;
    for (const QFileInfo& file : messageFiles(QDir(folder))) {
        paths << file.filePath();
    }
    return paths;
}
