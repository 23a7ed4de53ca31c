#include "itemlistmodel.h"
#include "shownview.h"

#include <QProcess>
#include <QQmlComponent>
#include <QTemporaryDir>
#include <ctime>
#include <gtest/gtest.h>

namespace {

/// A model over a store in a fresh folder, in UTC and US English, on a clock that starts at
/// 2026-12-01 09:14:05 and moves a second per reading.
class ContainerTest : public testing::Test {
protected:
    ContainerTest() {
        qputenv("TZ", "UTC");
        tzset();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    static QStringList labels(const ItemListModel& model) {
        QStringList all;
        for (int row = 0; row < model.rowCount(); ++row) {
            all << model.data(model.index(row), ItemListModel::LabelRole).toString();
        }
        return all;
    }
    /// The labels as a restarted application reads them.
    [[nodiscard]] QStringList reopened() const {
        ItemStore store(folder_.path().toStdString());
        return labels(ItemListModel(store));
    }

    QTemporaryDir folder_;
    QDateTime now_{QDate(2026, 12, 1), QTime(9, 14, 5), Qt::UTC};
    ItemStore store_{folder_.path().toStdString()};
    ItemListModel model_{store_, [this] { return std::exchange(now_, now_.addSecs(1)); }};
};

TEST_F(ContainerTest, RowsAreAddedChosenAndDeletedInTheWindowAndKeptOnDiskWhole) {
    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    QQmlComponent component(&engine, QUrl("qrc:/Quorvane/Container/ContentView.qml"));
    ASSERT_TRUE(component.isReady()) << component.errorString().toStdString();
    ShownView view(
        std::unique_ptr<QQuickItem>(qobject_cast<QQuickItem*>(
            component.createWithInitialProperties({{"model", QVariant::fromValue(&model_)}}))),
        720, 480);
    EXPECT_EQ(view.text("detailText"), "Select an item");
    for (int i = 0; i < 3; ++i) {
        view.click("addItemButton");
    }
    EXPECT_EQ(view.text("itemRow2"), "12/1/26 9:14:07 AM");

    // Chosen by a click or with the arrow keys, deleted from wherever the focus is.
    view.click("itemRow0");
    view.key(Qt::Key_Down);
    view.key(Qt::Key_Down);
    view.key(Qt::Key_Up);
    EXPECT_EQ(view.text("detailText"), "Item at 12/1/26 9:14:06 AM");
    view.key(Qt::Key_Tab);
    view.key(Qt::Key_Delete);
    EXPECT_EQ(view.text("itemRow1"), "12/1/26 9:14:07 AM");
    EXPECT_FALSE(view.shows("itemRow2"));
    EXPECT_EQ(view.text("detailText"), "Select an item");
    EXPECT_EQ(reopened(), (QStringList{"12/1/26 9:14:05 AM", "12/1/26 9:14:07 AM"}));

    // A delete is one write; a failed write leaves the list as it was.
    model_.addItem();
    model_.addItem();
    model_.deleteRows({3, 0, 3, 9});
    const QStringList kept{"12/1/26 9:14:07 AM", "12/1/26 9:14:08 AM"};
    EXPECT_EQ(reopened(), kept);
    sqlite::Database(folder_.filePath("items.sqlite").toStdString()).exec("DROP TABLE item");
    model_.addItem();
    model_.deleteRows({0});
    EXPECT_EQ(labels(model_), kept);
}

// What stops the application is said in its last line, with status 1 rather than an abort: a
// store it cannot create or read, or no display to open its window on.
TEST_F(ContainerTest, WhatStopsTheApplicationIsItsLastLine) {
    QDir(folder_.path()).mkpath("taken/Quorvane/items.sqlite");
    QDir(folder_.path()).mkpath("other/Quorvane");
    sqlite::Database(folder_.filePath("other/Quorvane/items.sqlite").toStdString())
        .exec("CREATE TABLE item (id INTEGER PRIMARY KEY, other TEXT)");
    const struct {
        const char* platform;
        const char* data;
        QString line;
    } rows[] = {
        {"offscreen", "taken",
         "Could not create ModelContainer: unable to open database file: " +
             folder_.filePath("taken/Quorvane/items.sqlite")},
        {"offscreen", "other", "Could not create ModelContainer: no such column: timestamp_ms"},
        {"xcb", "taken",
         "Quorvane: cannot open windows: no display could be reached (DISPLAY not set, "
         "WAYLAND_DISPLAY not set)"},
    };
    for (const auto& [platform, data, line] : rows) {
        QProcess app;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", folder_.filePath(data));
        environment.insert("QT_QPA_PLATFORM", platform);
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        app.setProcessEnvironment(environment);
        app.start(QUORVANE_APP);
        ASSERT_TRUE(app.waitForFinished(20000));
        EXPECT_EQ(app.exitStatus(), QProcess::NormalExit) << platform;
        EXPECT_EQ(app.exitCode(), EXIT_FAILURE) << platform;
        // Qt may warn about the environment first.
        EXPECT_EQ(app.readAllStandardError().trimmed().split('\n').last(), line.toUtf8());
    }
}

} // namespace
