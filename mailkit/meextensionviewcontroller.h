#pragma once

#include <QQuickItem>
#include <QSizeF>
#include <memory>

/// What the extension shows in a compose window: one root item that the host lays over its
/// whole area, edge to edge, in a Qt Quick window or a QQuickWidget (never a window container,
/// so that grabbing the host's window includes the extension).
class MEExtensionViewController {
public:
    MEExtensionViewController() = default;
    virtual ~MEExtensionViewController() = default;
    MEExtensionViewController(const MEExtensionViewController&) = delete;
    MEExtensionViewController& operator=(const MEExtensionViewController&) = delete;

    /// The root item, made on the first call, which then runs `viewDidLoad` once. The host
    /// sizes it and never deletes it.
    [[nodiscard]] QQuickItem& view() {
        if (!view_) {
            view_ = std::make_unique<QQuickItem>();
            viewDidLoad();
        }
        return *view_;
    }

    /// The smallest and the largest area the content is laid out for.
    [[nodiscard]] virtual QSizeF minimumSize() const = 0;
    [[nodiscard]] virtual QSizeF maximumSize() const = 0;

protected:
    virtual void viewDidLoad() {}

private:
    std::unique_ptr<QQuickItem> view_;
};
