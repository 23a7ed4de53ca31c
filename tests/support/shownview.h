#pragma once

#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <memory>

/// A view of the extension's module in an offscreen window, driven as a person would: by
/// the objectNames of its controls, with real mouse and key events.
class ShownView {
public:
    /// Creates `typeName` with `properties`, fills a window of `width` by `height` with it and
    /// shows it; fails the test when the view cannot be made.
    ShownView(const QString& typeName, const QVariantMap& properties, int width = 400,
              int height = 700);
    /// Shows `root`, which stays its owner's, filling a window of `width` by `height`.
    ShownView(QQuickItem& root, int width, int height);
    /// Shows `root`, a view made by the test, in the same way.
    ShownView(std::unique_ptr<QQuickItem> root, int width, int height);
    ~ShownView();

    [[nodiscard]] QQuickItem& root() const { return *root_; }
    [[nodiscard]] QQuickWindow& window() const { return *window_; }

    /// The topmost visible item with that objectName, or null.
    [[nodiscard]] QQuickItem* find(const QString& objectName) const;
    /// Like `find`, failing the test when there is none.
    QQuickItem& get(const QString& objectName) const;
    [[nodiscard]] bool shows(const QString& objectName) const { return find(objectName); }
    [[nodiscard]] QString text(const QString& objectName) const;

    /// A mouse click at the centre of the control.
    void click(const QString& objectName);
    /// Focuses the control and types `text`, which is ASCII, as key events.
    void type(const QString& objectName, const QString& text);
    /// One key press with modifiers in the window.
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    /// A key held down long enough to repeat `repeats` times, then let go.
    void holdKey(int key, int repeats);
    /// Lets bindings, layout and rendering catch up.
    void settle();
    /// Saves the window as build/screenshots/<name>.png and gives the image.
    QImage screenshot(const QString& name);

private:
    void show(int width, int height);

    std::unique_ptr<QQuickWindow> window_;
    std::unique_ptr<QQuickItem> owned_;
    QPointer<QQuickItem> root_;
};

/// Runs `shoot` once for each appearance screenshots cover, light and dark at 400 and 500 wide,
/// with the application's palette switched and the suffix that names it ("-400-dark").
void forEachAppearance(const std::function<void(int width, const QString& suffix)>& shoot);
