#pragma once

#include "stores/qmlsingleton.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>
#include <optional>

class QQmlEngine;

/// The chat's error text, one for every chat view of the process; read and written on the
/// main thread only.
class ChatErrorText : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QVariant text READ textValue NOTIFY textChanged)

public:
    [[nodiscard]] static ChatErrorText& shared();
    static ChatErrorText* create(QQmlEngine* /*engine*/, QJSEngine* /*scriptEngine*/) {
        return sharedForQml<ChatErrorText>();
    }

    [[nodiscard]] const std::optional<QString>& text() const { return text_; }
    void setText(const std::optional<QString>& text);

signals:
    void textChanged();

private:
    ChatErrorText() = default;
    [[nodiscard]] QVariant textValue() const;

    std::optional<QString> text_;
};
