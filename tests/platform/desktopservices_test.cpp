#include "testplatform.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

TEST(WorkspaceTest, OnlyWebPagesAreEverOpened) {
    RecordingWorkspace workspace;
    for (const char* refused :
         {"javascript:alert(1)", "file:///etc/passwd", "smb://host/share", "quorvane://login",
          "/usr/share/applications/x.desktop", "http:nohost", ""}) {
        EXPECT_FALSE(workspace.open(QUrl(QString::fromUtf8(refused)))) << refused;
    }
    EXPECT_TRUE(workspace.opened.empty());
    EXPECT_TRUE(workspace.open(QUrl("https://example.org/login?session=1")));
    EXPECT_TRUE(workspace.open(QUrl("HTTP://127.0.0.1:8080/")));
    EXPECT_EQ(workspace.opened.size(), 2U);
}

TEST(WorkspaceTest, TheBrowserVariableNamesTheCommandThatGetsTheUrl) {
    QTemporaryDir folder;
    const QString script = folder.filePath("browser");
    const QString seen = folder.filePath("seen");
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("#!/bin/sh\nprintf '%s|' \"$@\" > '%1'\n").arg(seen).toUtf8());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const std::pair<QString, QString> rows[] = {
        // BROWSER, then the arguments the command gets
        {script + ":/usr/bin/other", "https://example.org/a%20b|"},
        {script + " --new-tab %s --quiet", "--new-tab|https://example.org/a%20b|--quiet|"}};
    for (const auto& [variable, expected] : rows) {
        QFile::remove(seen);
        qputenv("BROWSER", variable.toUtf8());
        ASSERT_TRUE(DesktopWorkspace().open(QUrl("https://example.org/a b")));
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile(seen).size() > 0; }, 10000));
        QFile result(seen);
        ASSERT_TRUE(result.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(result.readAll()), expected);
    }
    qunsetenv("BROWSER");
}

TEST(LogObserverTest, SeesEveryLineUntilItsObservationEnds) {
    TestPlatform platform;
    QStringList seen;
    {
        auto observation = Log::observe([&](const QString& line) { seen << line; });
        Log::line("one", 2);
        Log::line("three");
    }
    Log::line("unseen");
    EXPECT_EQ(seen, (QStringList{"one 2", "three"}));
    EXPECT_EQ(platform.log().lines(), (QStringList{"one 2", "three", "unseen"}));
}

} // namespace
