#include "displayrequired.h"

#include <QByteArray>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace {

const char* program = "";
QtMessageHandler passOn = nullptr;

QByteArray variable(const char* name) {
    const QByteArray value = qgetenv(name);
    return value.isEmpty() ? QByteArray("not set") : value;
}

// Fatal while the application object is made means its window system could not start.
void handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        return passOn(type, context, message);
    }
    std::fprintf(stderr,
                 "%s: cannot open windows: no display could be reached (DISPLAY %s, "
                 "WAYLAND_DISPLAY %s)\n",
                 program, variable("DISPLAY").constData(), variable("WAYLAND_DISPLAY").constData());
    std::_Exit(EXIT_FAILURE);
}

bool asksHelpOrVersion(int argc, char** argv) {
    // Not --help-all: the options it adds are the GUI application's.
    static constexpr const char* flags[] = {"-h", "-?", "--help", "-v", "--version"};
    for (int i = 1; i < argc; ++i) {
        for (const char* flag : flags) {
            if (qstrcmp(argv[i], flag) == 0) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

DisplayRequired::DisplayRequired(const char* name)
    : previous_(qInstallMessageHandler(handle)) {
    program = name;
    passOn = previous_;
}

DisplayRequired::~DisplayRequired() {
    qInstallMessageHandler(previous_);
}

void answerWithoutDisplay(int& argc, char** argv,
                          const std::function<void(QCommandLineParser&)>& describe) {
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));
    if (!asksHelpOrVersion(argc, argv)) {
        return;
    }
    const QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    describe(parser);
    // A failure may be no more than -platform, which only the GUI application takes.
    if (parser.parse(QCoreApplication::arguments())) {
        parser.process(QCoreApplication::arguments());
    }
}
