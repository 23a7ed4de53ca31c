#include "shownview.h"

#include "metopmostcontrol.h"
#include "views/viewengine.h"

#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
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
        QTest::keyClick(window_.get(), c.toLatin1());
    }
    settle();
}

void ShownView::key(int key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(window_.get(), static_cast<Qt::Key>(key), modifiers);
    settle();
}

void ShownView::holdKey(int key, int repeats) {
    for (int press = 0; press <= repeats; ++press) {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, QString(), /*autorep=*/press > 0);
        QCoreApplication::sendEvent(window_.get(), &down);
    }
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(window_.get(), &up);
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
    QImage image = window_->grabWindow();
    const QString folder = QStringLiteral(QUORVANE_SCREENSHOT_DIR);
    QDir().mkpath(folder);
    EXPECT_TRUE(image.save(folder + QLatin1Char('/') + name + QStringLiteral(".png")));
    return image;
}

void forEachAppearance(const std::function<void(int width, const QString& suffix)>& shoot) {
    for (const bool dark : {false, true}) {
        // Qt derives the other colours from the button and window colours.
        QGuiApplication::setPalette(dark ? QPalette(QColor(0x3A3A3E), QColor(0x1E1E20))
                                         : QPalette());
        for (const int width : {400, 500}) {
            shoot(width, QStringLiteral("-%1-%2").arg(width).arg(dark ? "dark" : "light"));
        }
    }
    QGuiApplication::setPalette(QPalette());
}
