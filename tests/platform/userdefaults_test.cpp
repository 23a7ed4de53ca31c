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
    TestPlatform platform_;
    QTemporaryDir folder_;
    const std::filesystem::path file_ =
        std::filesystem::path(folder_.path().toStdString()) / "quorvane" / "defaults.sqlite";
};

} // namespace

TEST_F(UserDefaultsTest, KeepsTypedValuesAcrossAReopenInAFileOnlyItsOwnerReads) {
    {
        SqliteUserDefaults defaults(file_);
        ASSERT_TRUE(defaults.set("text", QStringLiteral("héllo ✉")));
        ASSERT_TRUE(defaults.set("flag", true));
        ASSERT_TRUE(defaults.set("bytes", QByteArray("\0\1\2", 3)));
        ASSERT_TRUE(defaults.set("empty", QString()));
    }
    struct stat info {};
    ASSERT_EQ(::stat(file_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600);
    SqliteUserDefaults reopened(file_);
    EXPECT_EQ(reopened.string("text"), QStringLiteral("héllo ✉"));
    EXPECT_EQ(reopened.flag("flag"), true);
    EXPECT_EQ(reopened.data("bytes"), QByteArray("\0\1\2", 3));
    EXPECT_EQ(reopened.string("empty"), QString());
    EXPECT_EQ(reopened.keys(), (QStringList{"bytes", "empty", "flag", "text"}));
    // A value of another kind reads as absent, and one set over it replaces it.
    EXPECT_EQ(reopened.string("flag"), std::nullopt);
    EXPECT_EQ(reopened.data("text"), std::nullopt);
    ASSERT_TRUE(reopened.set("flag", QStringLiteral("now text")));
    EXPECT_EQ(reopened.flag("flag"), std::nullopt);
    reopened.remove("text");
    EXPECT_EQ(reopened.value("text"), std::nullopt);
    EXPECT_EQ(reopened.keys(), (QStringList{"bytes", "empty", "flag"}));
}

TEST_F(UserDefaultsTest, ACorruptFileIsSetAsideLoggedOnceAndTheStoreStartsEmpty) {
    std::filesystem::create_directories(file_.parent_path());
    const std::string garbage(8192, 'x');
    std::ofstream(file_) << garbage;

    SqliteUserDefaults defaults(file_);
    EXPECT_EQ(defaults.string("anything"), std::nullopt);
    ASSERT_TRUE(defaults.set("fresh", QStringLiteral("value")));
    EXPECT_EQ(defaults.string("fresh"), QStringLiteral("value"));

    const QStringList lines = platform_.log().linesStartingWith("UserDefaults:");
    ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.first().contains("could not be read"));
    int keptAside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(file_.parent_path())) {
        if (entry.path().filename().string().find(".unreadable-") != std::string::npos) {
            ++keptAside;
            std::ifstream in(entry.path());
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), garbage);
        }
    }
    EXPECT_EQ(keptAside, 1);
}

TEST_F(UserDefaultsTest, AFailedWriteIsReportedAndTheStoredValueStaysWhole) {
    SqliteUserDefaults defaults(file_, std::chrono::milliseconds(20));
    ASSERT_TRUE(defaults.set("history", QStringLiteral("before")));
    {
        // Another writer holds the lock, so this write cannot be committed.
        sqlite::Database other(file_);
        other.exec("BEGIN IMMEDIATE");
        other.exec("UPDATE defaults SET value = 'half-written' WHERE key = 'history'");
        EXPECT_FALSE(defaults.set("history", QStringLiteral("after")));
    }
    EXPECT_EQ(platform_.log().linesStartingWith("UserDefaults: could not write \"history\"").size(),
              1);
    SqliteUserDefaults reopened(file_);
    EXPECT_EQ(reopened.string("history"), QStringLiteral("before"));
}
