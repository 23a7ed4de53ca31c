#include "displayrequired.h"

#include <QByteArray>
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

} // namespace

DisplayRequired::DisplayRequired(const char* name)
    : previous_(qInstallMessageHandler(handle)) {
    program = name;
    passOn = previous_;
}

DisplayRequired::~DisplayRequired() {
    qInstallMessageHandler(previous_);
}
