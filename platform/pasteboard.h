#pragma once

#include <QString>
#include <optional>

/// The general clipboard, plain text only.
class Pasteboard {
public:
    virtual ~Pasteboard() = default;
    /// Replaces the clipboard's contents with `text` as its single plain-text item.
    virtual void setString(const QString& text) = 0;
    [[nodiscard]] virtual std::optional<QString> string() const = 0;
};

/// The desktop clipboard through Qt; needs a QGuiApplication.
class QtPasteboard : public Pasteboard {
public:
    void setString(const QString& text) override;
    [[nodiscard]] std::optional<QString> string() const override;
};
