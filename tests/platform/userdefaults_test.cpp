#include "sqlite/sqlitedatabase.h"
#include "sqliteuserdefaults.h"
#include "testplatform.h"

#include <QDir>
#include <QTemporaryDir>
#include <fstream>

TEST(UserDefaultsTest, ACorruptFileIsSetAsideAndTheNewOneKeepsTypedValuesForItsOwnerOnly) {
    const TestPlatform platform;
    const QTemporaryDir folder;
    const std::filesystem::path file =
        std::filesystem::path(folder.path().toStdString()) / "d.sqlite";
    const std::string garbage(8192, 'x');
    std::ofstream(file) << garbage;
    {
        SqliteUserDefaults defaults(file);
        EXPECT_TRUE(defaults.keys().isEmpty());
        ASSERT_TRUE(defaults.set("text", QStringLiteral("héllo ✉")));
        ASSERT_TRUE(defaults.set("flag", true));
        ASSERT_TRUE(defaults.set("bytes", QByteArray("\0\1\2", 3)));
        ASSERT_TRUE(defaults.set("empty", QString()));
    }
    const QStringList lines = platform.log().linesStartingWith("UserDefaults:");
    ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.first().contains("could not be read"));
    const QStringList aside = QDir(folder.path()).entryList({"d.sqlite.unreadable-*"});
    ASSERT_EQ(aside.size(), 1) << aside.join(' ').toStdString();
    QFile kept(folder.filePath(aside.first()));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll().toStdString(), garbage);
    namespace fs = std::filesystem;
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    SqliteUserDefaults reopened(file);
    EXPECT_EQ(reopened.string("text"), QStringLiteral("héllo ✉"));
    EXPECT_EQ(reopened.flag("flag"), true);
    EXPECT_EQ(reopened.data("bytes"), QByteArray("\0\1\2", 3));
    EXPECT_EQ(reopened.string("empty"), QString());
    // A value of another kind reads as absent, and one set over it replaces it.
    EXPECT_EQ(reopened.string("flag"), std::nullopt);
    ASSERT_TRUE(reopened.set("flag", QStringLiteral("now text")));
    EXPECT_EQ(reopened.flag("flag"), std::nullopt);
    reopened.remove({"text", "bytes"});
    EXPECT_EQ(reopened.value("text"), std::nullopt);
    EXPECT_EQ(reopened.keys(), (QStringList{"empty", "flag"}));
}

// Another process holding the file past the busy timeout costs this run its values, not the file.
TEST(UserDefaultsTest, AFileLockedByAnotherIsLeftAsItIs) {
    const TestPlatform platform;
    const QTemporaryDir folder;
    const std::filesystem::path file =
        std::filesystem::path(folder.path().toStdString()) / "d.sqlite";
    {
        sqlite::Database other(file);
        other.exec("CREATE TABLE defaults (key TEXT PRIMARY KEY NOT NULL, kind INTEGER NOT NULL,"
                   " value BLOB NOT NULL); INSERT INTO defaults VALUES ('kept', 0, 'yes')");
        other.exec("BEGIN EXCLUSIVE");
        SqliteUserDefaults locked(file, std::chrono::milliseconds(20));
        EXPECT_EQ(locked.string("kept"), std::nullopt);
        EXPECT_TRUE(locked.set("this run", true));
        EXPECT_EQ(locked.flag("this run"), true);
        const QStringList lines = platform.log().linesStartingWith("UserDefaults:");
        ASSERT_EQ(lines.size(), 1);
        EXPECT_TRUE(lines.first().endsWith("values will not be kept."))
            << lines.first().toStdString();
    }
    EXPECT_TRUE(QDir(folder.path()).entryList({"d.sqlite.unreadable-*"}).isEmpty());
    EXPECT_EQ(SqliteUserDefaults(file).string("kept"), QString("yes"));
}

TEST(UserDefaultsTest, EachStoreSeesTheOthersLatestWritesBetweenItsOwnReads) {
    const TestPlatform platform;
    const QTemporaryDir folder;
    const std::filesystem::path file =
        std::filesystem::path(folder.path().toStdString()) / "d.sqlite";
    SqliteUserDefaults one(file);
    SqliteUserDefaults other(file);
    for (const QString text : {"first", "second"}) {
        ASSERT_TRUE(other.set("key", text));
        EXPECT_EQ(one.string("key"), text);
        ASSERT_TRUE(other.set(text, true));
        EXPECT_TRUE(one.keys().contains(text)) << "a read holds no snapshot past its call";
    }
    one.remove({"key"});
    EXPECT_EQ(other.value("key"), std::nullopt);
    ASSERT_TRUE(one.set("bytes", QByteArray("\0", 1)));
    ASSERT_TRUE(one.set("empty", QByteArray()));
    EXPECT_EQ(other.data("bytes"), QByteArray("\0", 1)) << "no value stays bound from before";
    EXPECT_EQ(other.data("empty"), QByteArray());
    EXPECT_TRUE(platform.log().lines().isEmpty());
}
