// quorvane-mail: a small mail client that lists messages, opens reply and compose windows, and
// hosts the extension beside the compose area as a mail client does.
#include "displayrequired.h"
#include "extensionloader.h"
#include "firstrun.h"
#include "mailwindow.h"
#include "scriptrunner.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>

namespace {

void printError(const QString& text) {
    std::fprintf(stderr, "quorvane-mail: %s\n", text.toLocal8Bit().constData());
}

bool wantsOffscreen(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--offscreen") == 0) {
            return true;
        }
    }
    return false;
}

// With a person at the screen, what stops the host is said in a window too: started from a
// menu, its standard error reaches no one.
void report(const QString& text, bool interactive) {
    printError(text);
    if (interactive) {
        QMessageBox::critical(nullptr, QObject::tr("Quorvane Mail"), text);
    }
}

// Installed, the plugin and the samples sit where the package puts them relative to the
// host's own bin/; a build tree's host finds them in the build and source trees.
QString installedOr(const char* relativeToBin, const char* buildTree) {
    const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath() + '/' +
                                              QString::fromUtf8(relativeToBin));
    return QFileInfo(installed).isDir() ? installed : QString::fromUtf8(buildTree);
}

int run(int argc, char** argv) {
    // The platform is chosen before the application object exists.
    if (wantsOffscreen(argc, argv)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QCoreApplication::setApplicationName(QStringLiteral("quorvane-mail"));
    const QCommandLineOption extensions(QStringLiteral("extensions"),
                                        QStringLiteral("Where to find the extension plugin."),
                                        QStringLiteral("DIR"));
    const QCommandLineOption offscreen(QStringLiteral("offscreen"),
                                       QStringLiteral("Run without a display."));
    const QCommandLineOption script(QStringLiteral("script"),
                                    QStringLiteral("Run the steps of FILE, then exit."),
                                    QStringLiteral("FILE"));
    const auto describe = [&](QCommandLineParser& parser) {
        parser.setApplicationDescription(QStringLiteral(
            "Lists mail and hosts the Quorvane extension in its compose windows.\n\n"
            "Environment:\n"
            "  QUORVANE_LIVE_URL     The backend of the live deployment, https://host:port.\n"
            "  QUORVANE_STAGING_URL  The backend of the staging deployment.\n"
            "  QUORVANE_DEV_URL      The backend of the development deployment.\n"
            "  QUORVANE_CA_CERTS     A PEM file of authorities to trust as well, for a backend\n"
            "                        whose certificate comes from a private authority."));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addPositionalArgument(QStringLiteral("PATH"),
                                     QStringLiteral("A folder of .eml files or a Maildir "
                                                    "(~/Maildir when none is named)."),
                                     QStringLiteral("PATH..."));
        parser.addOptions({extensions, offscreen, script});
    };
    QApplication application =
        applicationWithDisplay<QApplication>(argc, argv, "quorvane-mail", describe);
    QCommandLineParser parser;
    describe(parser);
    parser.process(application);
    const bool interactive =
        QGuiApplication::platformName() != QStringLiteral("offscreen") && !parser.isSet(script);
    QStringList folders = parser.positionalArguments();
    if (folders.isEmpty()) {
        const QString maildir = QDir::home().filePath(QStringLiteral("Maildir"));
        if (QFileInfo(maildir).isDir()) {
            folders << maildir;
        } else if (!interactive) {
            printError(QStringLiteral("name a folder of messages; there is no %1").arg(maildir));
            return 2;
        } else if (const std::optional<QString> chosen =
                       askForMailFolder(maildir, installedOr(QUORVANE_INSTALLED_SAMPLES_DIR,
                                                             QUORVANE_SOURCE_SAMPLES_DIR))) {
            folders << *chosen;
        } else {
            return 0;
        }
    }
    for (const QString& folder : folders) {
        const QFileInfo info(folder);
        if (!info.isDir() || !info.isReadable()) {
            report(QStringLiteral("%1 is not a readable folder").arg(folder), interactive);
            return 2;
        }
    }

    std::vector<ScriptStep> steps;
    if (parser.isSet(script)) {
        auto parsed = parseScript(parser.value(script));
        if (auto* error = std::get_if<ScriptError>(&parsed)) {
            printError(error->message);
            return 2;
        }
        steps = std::move(std::get<std::vector<ScriptStep>>(parsed));
    }

    auto loaded =
        loadExtension(parser.isSet(extensions) ? parser.value(extensions)
                                               : installedOr(QUORVANE_INSTALLED_EXTENSIONS_DIR,
                                                             QUORVANE_BUNDLE_EXTENSIONS_DIR));
    if (auto* error = std::get_if<LoadError>(&loaded)) {
        report(error->message, interactive);
        return 1;
    }
    MEExtensionPlugin& plugin = *std::get<MEExtensionPlugin*>(loaded);

    MailWindow window(plugin.principalObject(), folders);
    for (const QString& error : window.folderErrors()) {
        printError(error);
    }
    std::unique_ptr<ScriptRunner> runner;
    if (parser.isSet(script)) {
        runner = std::make_unique<ScriptRunner>(parser.value(script), std::move(steps), window);
        plugin.setLogObserver([&runner = *runner](const QString& line) { runner.logLine(line); });
        runner->start();
    }
    window.show();
    const int status = QApplication::exec();
    plugin.setLogObserver({});
    return status;
}

} // namespace

int main(int argc, char** argv) {
    // Only a failed allocation throws here; it ends the run with a message, not an abort.
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quorvane-mail: %s\n", error.what());
        return 1;
    }
}
