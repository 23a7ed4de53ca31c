#include "mailfolder.h"

#include "messageparser.h"

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

ListedMessage readMessageFile(const QString& path) {
    ListedMessage listed{QFileInfo(path).fileName(), nullptr, std::nullopt};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        listed.error = file.errorString();
        return listed;
    }
    if (file.size() > kLargestMessageBytes) {
        listed.error = QStringLiteral("larger than %1 MiB").arg(kLargestMessageBytes >> 20);
        return listed;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        listed.error = file.errorString();
        return listed;
    }
    std::variant<MailMessage, MessageError> parsed = parseMessage(bytes);
    if (auto* error = std::get_if<MessageError>(&parsed)) {
        listed.error = error->reason;
    } else {
        listed.message = std::make_shared<MailMessage>(std::move(std::get<MailMessage>(parsed)));
    }
    return listed;
}

std::variant<std::vector<ListedMessage>, FolderError> readMailFolder(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return FolderError{QStringLiteral("No such folder: ") + path};
    }
    if (!info.isDir()) {
        return FolderError{QStringLiteral("Not a folder: ") + path};
    }
    if (!info.isReadable() || !info.isExecutable()) {
        return FolderError{QStringLiteral("Cannot read folder: ") + path};
    }
    std::vector<ListedMessage> messages;
    for (const QFileInfo& file : messageFiles(QDir(path))) {
        messages.push_back(readMessageFile(file.filePath()));
    }
    return messages;
}
