#pragma once

#include <QColor>
#include <QImage>
#include <QQuickPaintedItem>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

/// A one-colour icon drawn in `color` from the shape of an SVG or bitmap at `source`. Painted
/// on the CPU, so that it shows under every renderer, the software one included.
class TintedIcon : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QUrl source READ source WRITE setSource NOTIFY sourceChanged FINAL)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged FINAL)

public:
    explicit TintedIcon(QQuickItem* parent = nullptr);

    [[nodiscard]] const QUrl& source() const { return source_; }
    void setSource(const QUrl& source);
    [[nodiscard]] const QColor& color() const { return color_; }
    void setColor(const QColor& color);

    void paint(QPainter* painter) override;

signals:
    void sourceChanged();
    void colorChanged();

private:
    /// The icon at `pixels`, tinted; null when the source cannot be read.
    [[nodiscard]] QImage render(QSize pixels) const;

    QUrl source_;
    QColor color_ = Qt::black;
    QImage tinted_;
};
