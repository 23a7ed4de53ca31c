#pragma once

#include <QtMessageHandler>
#include <functional>

class QCommandLineParser;

/// While it lives, an application object that cannot reach a display ends the program with one
/// line naming `program` and status 1, instead of Qt's abort and its advice to reinstall.
/// Made just before the application object and dropped once it stands.
class DisplayRequired {
public:
    explicit DisplayRequired(const char* program);
    ~DisplayRequired();
    DisplayRequired(const DisplayRequired&) = delete;
    DisplayRequired& operator=(const DisplayRequired&) = delete;

private:
    QtMessageHandler previous_;
};

/// Answers --help and --version (not --help-all) with the options `describe` adds, and ends the
/// program: they need no display, so a person on a server or over ssh reads them too. Returns when
/// the command line asks for neither, or takes options only the GUI application knows, such as
/// -platform. The application's name is set before.
void answerWithoutDisplay(int& argc, char** argv,
                          const std::function<void(QCommandLineParser&)>& describe);

/// The application object of a program that opens windows, made as the two above describe:
/// --help and --version answered without a display, and a missing display said in one line.
template <typename Application>
Application applicationWithDisplay(int& argc, char** argv, const char* program,
                                   const std::function<void(QCommandLineParser&)>& describe) {
    answerWithoutDisplay(argc, argv, describe);
    const DisplayRequired display(program);
    return Application(argc, argv);
}
