#include "workspace.h"

#include <QDesktopServices>
#include <QProcess>
#include <QProcessEnvironment>

bool Workspace::open(const QUrl& url) {
    return isWebUrl(url) && openWebUrl(url);
}

bool Workspace::isWebUrl(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

bool DesktopWorkspace::openWebUrl(const QUrl& url) {
    const QString browser =
        QProcessEnvironment::systemEnvironment().value(QStringLiteral("BROWSER"));
    if (browser.isEmpty()) {
        return QDesktopServices::openUrl(url);
    }
    // BROWSER may list several commands separated by colons; the first is the user's choice.
    // "%s" stands for the URL where the command wants it, else the URL comes last.
    QStringList command = QProcess::splitCommand(browser.section(QLatin1Char(':'), 0, 0));
    if (command.isEmpty()) {
        return false;
    }
    const QString target = url.toString(QUrl::FullyEncoded);
    bool placed = false;
    for (QString& argument : command) {
        if (argument.contains(QLatin1String("%s"))) {
            argument.replace(QLatin1String("%s"), target);
            placed = true;
        }
    }
    if (!placed) {
        command << target;
    }
    const QString program = command.takeFirst();
    return QProcess::startDetached(program, command);
}
