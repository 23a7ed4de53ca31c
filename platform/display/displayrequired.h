#pragma once

#include <QtMessageHandler>

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
