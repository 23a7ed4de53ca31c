#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>
#include <memory>
#include <optional>

/// The chat's error text, one for every chat view of a message; read and written on the main
/// thread only.
class ChatErrorText : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("one per message, from forMessage")
    Q_PROPERTY(QVariant text READ textValue NOTIFY textChanged FINAL)

public:
    /// The text of the message stored under `chatKey`, made when no window of it holds one.
    [[nodiscard]] static std::shared_ptr<ChatErrorText> forMessage(const QString& chatKey);

    [[nodiscard]] const std::optional<QString>& text() const { return text_; }
    void setText(const std::optional<QString>& text);

signals:
    void textChanged();

private:
    ChatErrorText() = default;
    [[nodiscard]] QVariant textValue() const;

    std::optional<QString> text_;
};
