#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

/// The fixed texts that state objects set in English (their properties and log lines stay
/// English), as a view shows them: in the user's language.
class FixedText : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    /// `english` translated when it is one of the fixed texts, else unchanged: a server's own
    /// words are shown as they came.
    Q_INVOKABLE [[nodiscard]] static QString shown(const QString& english);
};
