#include "shownview.h"

#include "metopmostcontrol.h"
#include "viewengine.h"

#include <QDir>
#include <QGuiApplication>
#include <QPalette>
#include <QTest>
#include <gtest/gtest.h>

ShownView::ShownView(const QString& typeName, const QVariantMap& properties, int width, int height)
    : ShownView(ViewEngine::create(typeName, properties), width, height) {}

ShownView::ShownView(std::unique_ptr<QQuickItem> root, int width, int height)
    : window_(std::make_unique<QQuickWindow>())
    , owned_(std::move(root)) {
    if (!owned_) {
        ADD_FAILURE() << "no view to show";
        owned_ = std::make_unique<QQuickItem>();
    }
    root_ = owned_.get();
    show(width, height);
}

ShownView::ShownView(QQuickItem& root, int width, int height)
    : window_(std::make_unique<QQuickWindow>())
    , root_(&root) {
    show(width, height);
}

void ShownView::show(int width, int height) {
    window_->setColor(QGuiApplication::palette().color(QPalette::Window));
    window_->resize(width, height);
    root_->setParentItem(window_->contentItem());
    root_->setSize(QSizeF(width, height));
    window_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    settle();
}

ShownView::~ShownView() {
    if (root_) {
        root_->setParentItem(nullptr);
    }
    owned_.reset();
    window_.reset();
}

QQuickItem* ShownView::find(const QString& objectName) const {
    return meTopmostControl(*window_->contentItem(), objectName, MEControlState::Any);
}

QQuickItem& ShownView::get(const QString& objectName) const {
    QQuickItem* item = find(objectName);
    if (item == nullptr) {
        ADD_FAILURE() << "no visible " << objectName.toStdString();
        static QQuickItem none;
        return none;
    }
    return *item;
}

QString ShownView::text(const QString& objectName) const {
    return get(objectName).property("text").toString();
}

void ShownView::click(const QString& objectName) {
    QQuickItem& item = get(objectName);
    const QPointF centre = item.mapToScene(QPointF(item.width() / 2, item.height() / 2));
    QTest::mouseClick(window_.get(), Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    settle();
}

void ShownView::type(const QString& objectName, const QString& text) {
    QQuickItem& item = get(objectName);
    item.forceActiveFocus();
    for (const QChar c : text) {
        QTest::keyClick(window_.get(), c.toLatin1() ? c.toLatin1() : ' ');
    }
    if (text.toLatin1() != text.toUtf8()) {
        // Key events carry Latin-1 here; other text is set directly, as an input method would.
        item.setProperty("text", text);
    }
    settle();
}

void ShownView::key(int key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(window_.get(), static_cast<Qt::Key>(key), modifiers);
    settle();
}

void ShownView::settle() {
    // Layouts settle in the window's polish step, which runs on its next frame request.
    for (int i = 0; i < 2; ++i) {
        QTest::qWait(20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

QImage ShownView::screenshot(const QString& name) {
    QTest::qWait(300); // fades end
    settle();
    const QImage image = window_->grabWindow();
    const QString folder = QStringLiteral(QUORVANE_SCREENSHOT_DIR);
    QDir().mkpath(folder);
    EXPECT_TRUE(image.save(folder + QLatin1Char('/') + name + QStringLiteral(".png")));
    return image;
}

namespace {

void useDarkPalette(bool dark) {
    if (!dark) {
        QGuiApplication::setPalette(QPalette());
        return;
    }
    QPalette palette;
    const QColor window(0x1E, 0x1E, 0x20);
    const QColor base(0x2A, 0x2A, 0x2D);
    const QColor text(0xEC, 0xEC, 0xEE);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x3A, 0x3A, 0x3E));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::PlaceholderText, QColor(0x9A, 0x9A, 0xA0));
    palette.setColor(QPalette::Light, QColor(0x4A, 0x4A, 0x4F));
    palette.setColor(QPalette::Midlight, QColor(0x40, 0x40, 0x45));
    palette.setColor(QPalette::Mid, QColor(0x55, 0x55, 0x5A));
    palette.setColor(QPalette::Dark, QColor(0x15, 0x15, 0x17));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Highlight, QColor(0x2A, 0x8C, 0xFF));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    QGuiApplication::setPalette(palette);
}

} // namespace

void forEachAppearance(const std::function<void(int width, const QString& suffix)>& shoot) {
    for (const bool dark : {false, true}) {
        useDarkPalette(dark);
        for (const int width : {400, 500}) {
            shoot(width, QStringLiteral("-%1-%2").arg(width).arg(dark ? "dark" : "light"));
        }
    }
    useDarkPalette(false);
}
