#pragma once

#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

/// The root of a view that acts when it comes on screen and when it leaves it: it is on screen
/// while it is in a window and visible there (its ancestors included).
class ScreenItem : public QQuickItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool onScreen READ onScreen NOTIFY onScreenChanged FINAL)

public:
    explicit ScreenItem(QQuickItem* parent = nullptr);

    [[nodiscard]] bool onScreen() const { return onScreen_; }
    /// Whether the keyboard's focus is on `item` or inside it.
    Q_INVOKABLE [[nodiscard]] static bool holdsFocus(const QQuickItem* item);

signals:
    void onScreenChanged();
    void appeared();
    void disappeared();

protected:
    void itemChange(ItemChange change, const ItemChangeData& value) override;
    void componentComplete() override;

private:
    void follow();

    bool onScreen_ = false;
    bool completed_ = false;
};
