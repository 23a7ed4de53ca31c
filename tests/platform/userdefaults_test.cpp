#include "sqlitedatabase.h"
#include "sqliteuserdefaults.h"
#include "testplatform.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class UserDefaultsTest : public testing::Test {
protected:
    [[nodiscard]] std::filesystem::path file() const {
        return std::filesystem::path(folder_.path().toStdString()) / "quorvane" / "defaults.sqlite";
    }

    TestPlatform platform_;
    QTemporaryDir folder_;
};

} // namespace

TEST_F(UserDefaultsTest, KeepsTypedValuesAcrossAReopenOfTheFile) {
    {
        SqliteUserDefaults defaults(file());
        ASSERT_TRUE(defaults.set("text", QStringLiteral("héllo ✉")));
        ASSERT_TRUE(defaults.set("flag", true));
        ASSERT_TRUE(defaults.set("bytes", QByteArray("\0\1\2", 3)));
        ASSERT_TRUE(defaults.set("empty", QString()));
    }
    SqliteUserDefaults reopened(file());
    EXPECT_EQ(reopened.string("text"), QStringLiteral("héllo ✉"));
    EXPECT_EQ(reopened.flag("flag"), true);
    EXPECT_EQ(reopened.data("bytes"), QByteArray("\0\1\2", 3));
    EXPECT_EQ(reopened.string("empty"), QString());
    EXPECT_EQ(reopened.keys(), (QStringList{"bytes", "empty", "flag", "text"}));
}

TEST_F(UserDefaultsTest, AValueOfAnotherKindReadsAsAbsentAndRemoveForgetsIt) {
    SqliteUserDefaults defaults(file());
    ASSERT_TRUE(defaults.set("key", true));
    EXPECT_EQ(defaults.string("key"), std::nullopt);
    EXPECT_EQ(defaults.data("key"), std::nullopt);
    ASSERT_TRUE(defaults.set("key", QStringLiteral("now text")));
    EXPECT_EQ(defaults.flag("key"), std::nullopt);
    defaults.remove("key");
    EXPECT_EQ(defaults.value("key"), std::nullopt);
    EXPECT_TRUE(defaults.keys().isEmpty());
}

TEST_F(UserDefaultsTest, TheFileIsReadableByItsOwnerOnly) {
    SqliteUserDefaults defaults(file());
    ASSERT_TRUE(defaults.set("k", true));
    struct stat info {};
    ASSERT_EQ(::stat(file().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600);
}

TEST_F(UserDefaultsTest, ACorruptFileIsSetAsideLoggedOnceAndTheStoreStartsEmpty) {
    std::filesystem::create_directories(file().parent_path());
    const std::string garbage(8192, 'x');
    std::ofstream(file()) << garbage;

    SqliteUserDefaults defaults(file());
    EXPECT_EQ(defaults.string("anything"), std::nullopt);
    ASSERT_TRUE(defaults.set("fresh", QStringLiteral("value")));
    EXPECT_EQ(defaults.string("fresh"), QStringLiteral("value"));

    const QStringList lines = platform_.log().linesStartingWith("UserDefaults:");
    ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.first().contains("could not be read"));
    int keptAside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(file().parent_path())) {
        if (entry.path().filename().string().find(".unreadable-") != std::string::npos) {
            ++keptAside;
            std::ifstream in(entry.path());
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), garbage);
        }
    }
    EXPECT_EQ(keptAside, 1);
}

TEST_F(UserDefaultsTest, AFailedWriteIsReportedAndTheStoredValueStaysWhole) {
    SqliteUserDefaults defaults(file(), std::chrono::milliseconds(20));
    ASSERT_TRUE(defaults.set("history", QStringLiteral("before")));
    {
        // Another writer holds the lock, so this write cannot be committed.
        sqlite::Database other(file());
        other.exec("BEGIN IMMEDIATE");
        other.exec("UPDATE defaults SET value = 'half-written' WHERE key = 'history'");
        EXPECT_FALSE(defaults.set("history", QStringLiteral("after")));
    }
    EXPECT_EQ(platform_.log().linesStartingWith("UserDefaults: could not write \"history\"").size(),
              1);
    SqliteUserDefaults reopened(file());
    EXPECT_EQ(reopened.string("history"), QStringLiteral("before"));
}
