#include "itemlistmodel.h"
#include "shownview.h"

#include <QProcess>
#include <QQmlComponent>
#include <QTemporaryDir>
#include <QTest>
#include <ctime>
#include <gtest/gtest.h>

namespace {

class ContainerTest : public testing::Test {
protected:
    ContainerTest() {
        qputenv("TZ", "UTC");
        tzset();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    /// A clock that starts at 2026-12-01 09:14:05 UTC and moves a second per reading.
    ItemListModel::Clock ticking() {
        return [this] { return std::exchange(now_, now_.addSecs(1)); };
    }

    static QStringList labels(const ItemListModel& model) {
        QStringList all;
        for (int row = 0; row < model.rowCount(); ++row) {
            all << model.data(model.index(row), ItemListModel::LabelRole).toString();
        }
        return all;
    }

    QTemporaryDir folder_;
    QDateTime now_{QDate(2026, 12, 1), QTime(9, 14, 5), Qt::UTC};
};

TEST_F(ContainerTest, ItemsAreAddedDeletedAndKeptAcrossRestarts) {
    const auto reopened = [this] {
        ItemStore store(folder_.path().toStdString());
        return labels(ItemListModel(store));
    };
    {
        ItemStore store(folder_.path().toStdString());
        ItemListModel model(store, ticking());
        EXPECT_EQ(model.rowCount(), 0);
        for (int i = 0; i < 4; ++i) {
            model.addItem();
        }
    }
    EXPECT_EQ(reopened(), (QStringList{"12/1/26 9:14:05 AM", "12/1/26 9:14:06 AM",
                                       "12/1/26 9:14:07 AM", "12/1/26 9:14:08 AM"}));
    {
        ItemStore store(folder_.path().toStdString());
        ItemListModel model(store, ticking());
        model.deleteRows({3, 0, 3, 9});
        EXPECT_EQ(labels(model), (QStringList{"12/1/26 9:14:06 AM", "12/1/26 9:14:07 AM"}));
    }
    EXPECT_EQ(reopened(), (QStringList{"12/1/26 9:14:06 AM", "12/1/26 9:14:07 AM"}));
}

TEST_F(ContainerTest, DetailShowsTheChosenItemsTimeInTheUsersLocale) {
    const std::pair<QLocale, QString> cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), "Item at 12/1/26 9:14:05 AM"},
        {QLocale(QLocale::German, QLocale::Germany), "Item at 01.12.26 09:14:05"},
        {QLocale(QLocale::English, QLocale::UnitedKingdom), "Item at 01/12/2026 09:14:05"},
    };
    ItemStore store(folder_.path().toStdString());
    ItemListModel model(store, ticking());
    EXPECT_EQ(model.detailText(), "Select an item");
    model.addItem();
    for (const auto& [locale, detail] : cases) {
        QLocale::setDefault(locale);
        model.choose(0, false);
        EXPECT_EQ(model.detailText(), detail);
    }
}

TEST_F(ContainerTest, FailedWritesLeaveTheListAsItWas) {
    ItemStore store(folder_.path().toStdString());
    ItemListModel model(store, ticking());
    model.addItem();
    sqlite::Database(folder_.filePath("items.sqlite").toStdString()).exec("DROP TABLE item");

    model.addItem();
    model.deleteRows({0});
    EXPECT_EQ(labels(model), QStringList{"12/1/26 9:14:05 AM"});
}

class ContainerViewTest : public ContainerTest {
protected:
    ContainerViewTest() { engine_.addImportPath(QStringLiteral("qrc:/")); }

    std::unique_ptr<QQuickItem> contentView() {
        QQmlComponent component(&engine_, QUrl("qrc:/Quorvane/Container/ContentView.qml"));
        if (!component.isReady()) {
            ADD_FAILURE() << component.errorString().toStdString();
            return nullptr;
        }
        QObject* made = component.createWithInitialProperties(
            {{QStringLiteral("model"), QVariant::fromValue(&model_)}});
        EXPECT_TRUE(made) << component.errorString().toStdString();
        return std::unique_ptr<QQuickItem>(qobject_cast<QQuickItem*>(made));
    }

    ItemStore store_{folder_.path().toStdString()};
    ItemListModel model_{store_, ticking()};
    QQmlEngine engine_;
};

TEST_F(ContainerViewTest, RowsAreAddedChosenAndDeletedInTheWindow) {
    ShownView view(contentView(), 720, 480);
    EXPECT_EQ(view.text("detailText"), "Select an item");
    EXPECT_FALSE(view.shows("itemRow0"));

    for (int i = 0; i < 3; ++i) {
        view.click("addItemButton");
    }
    EXPECT_EQ(view.text("itemRow0"), "12/1/26 9:14:05 AM");
    EXPECT_EQ(view.text("itemRow2"), "12/1/26 9:14:07 AM");

    view.click("itemRow1");
    EXPECT_EQ(view.text("detailText"), "Item at 12/1/26 9:14:06 AM");
    QQuickItem& last = view.get("itemRow2");
    QTest::mouseClick(&view.window(), Qt::LeftButton, Qt::ControlModifier,
                      last.mapToScene({last.width() / 2, last.height() / 2}).toPoint());
    view.settle();
    EXPECT_EQ(view.text("detailText"), "Item at 12/1/26 9:14:07 AM");

    view.key(Qt::Key_Delete);
    EXPECT_EQ(view.text("itemRow0"), "12/1/26 9:14:05 AM");
    EXPECT_FALSE(view.shows("itemRow1"));
    EXPECT_EQ(view.text("detailText"), "Select an item");
    EXPECT_EQ(labels(ItemListModel(store_)), QStringList{"12/1/26 9:14:05 AM"});
}

TEST_F(ContainerTest, StoreThatCannotBeCreatedStopsTheApplication) {
    QFile blocker(folder_.filePath("data"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    QDir(folder_.path()).mkpath("taken/Quorvane/items.sqlite");
    const std::pair<QString, QString> cases[] = {
        {folder_.filePath("data"),
         "cannot create the folder " + folder_.filePath("data") + "/Quorvane: Not a directory"},
        {folder_.filePath("taken"),
         "unable to open database file: " + folder_.filePath("taken/Quorvane/items.sqlite")},
    };
    for (const auto& [dataHome, reason] : cases) {
        QProcess app;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", dataHome);
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        app.setProcessEnvironment(environment);
        app.start(QUORVANE_APP);
        ASSERT_TRUE(app.waitForFinished(20000));
        EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(app.exitCode(), EXIT_FAILURE);
        // Qt may warn about the environment first; the reason is the last line.
        const QList<QByteArray> lines = app.readAllStandardError().trimmed().split('\n');
        EXPECT_EQ(lines.last().toStdString(),
                  ("Could not create ModelContainer: " + reason).toStdString());
    }
}

} // namespace
