#include "views/tintedicon.h"

#include <QCache>
#include <QHashFunctions>
#include <QImageReader>
#include <QMutex>
#include <QPainter>
#include <QQmlContext>
#include <QQmlFile>
#include <QQuickWindow>
#include <algorithm>

namespace {

/// The shape in the image file `file`, scaled to fit `pixels`, centred and filled with `color`;
/// null when the file cannot be read.
QImage renderTinted(const QString& file, QSize pixels, const QColor& color) {
    QImageReader reader(file);
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
    painter.fillRect(image.rect(), color);
    return image;
}

struct TintKey {
    QString file;
    QSize pixels;
    QRgb color;
    bool operator==(const TintKey&) const = default;
};

size_t qHash(const TintKey& key, size_t seed) {
    return qHashMulti(seed, key.file, key.pixels.width(), key.pixels.height(), key.color);
}

/// renderTinted, remembered for every icon of the process: each panel shows the same few icons,
/// and reading an SVG is most of drawing one. Painting may run on one render thread per window.
QImage tinted(const QString& file, QSize pixels, const QColor& color) {
    static QMutex mutex;
    // Counted in pixels: a few hundred icons of a panel's sizes.
    static QCache<TintKey, QImage> cache(1 << 20);
    const TintKey key{file, pixels, color.rgba()};
    {
        const QMutexLocker lock(&mutex);
        if (const QImage* image = cache.object(key)) {
            return *image;
        }
    }
    QImage image = renderTinted(file, pixels, color);
    const QMutexLocker lock(&mutex);
    cache.insert(key, new QImage(image),
                 std::max<qsizetype>(1, qsizetype{pixels.width()} * pixels.height()));
    return image;
}

} // namespace

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
    return tinted(QQmlFile::urlToLocalFileOrQrc(url), pixels, color_);
}
