#include "views/tintedicon.h"

#include <QImageReader>
#include <QPainter>
#include <QQmlContext>
#include <QQmlFile>
#include <QQuickWindow>

TintedIcon::TintedIcon(QQuickItem* parent)
    : QQuickPaintedItem(parent) {
    setImplicitSize(16, 16);
}

void TintedIcon::setSource(const QUrl& source) {
    if (source == source_) {
        return;
    }
    source_ = source;
    tinted_ = {};
    emit sourceChanged();
    update();
}

void TintedIcon::setColor(const QColor& color) {
    if (color == color_) {
        return;
    }
    color_ = color;
    tinted_ = {};
    emit colorChanged();
    update();
}

void TintedIcon::paint(QPainter* painter) {
    const qreal ratio = window() != nullptr ? window()->effectiveDevicePixelRatio() : 1.0;
    const QSize pixels = (size() * ratio).toSize();
    if (pixels.isEmpty()) {
        return;
    }
    // Drawn anew only when the size, the source or the colour changed.
    if (tinted_.size() != pixels) {
        tinted_ = render(pixels);
    }
    if (!tinted_.isNull()) {
        painter->drawImage(QRectF(QPointF(0, 0), size()), tinted_);
    }
}

QImage TintedIcon::render(QSize pixels) const {
    // An icon without a source draws nothing; a reader of an empty name warns on every paint.
    if (source_.isEmpty()) {
        return {};
    }
    // A relative source is relative to the view that set it.
    const QQmlContext* context = qmlContext(this);
    const QUrl url = context != nullptr ? context->resolvedUrl(source_) : source_;
    QImageReader reader(QQmlFile::urlToLocalFileOrQrc(url));
    // Scaled while read, so that an SVG stays sharp; the shape keeps its proportions.
    const QSize natural = reader.size();
    reader.setScaledSize(natural.isEmpty() ? pixels : natural.scaled(pixels, Qt::KeepAspectRatio));
    const QImage shape = reader.read();
    if (shape.isNull()) {
        return {};
    }
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.drawImage((pixels.width() - shape.width()) / 2, (pixels.height() - shape.height()) / 2,
                      shape);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), color_);
    return image;
}
