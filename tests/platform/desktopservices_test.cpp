#include "testplatform.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>

TEST(WorkspaceTest, OnlyWebPagesAreEverOpened) {
    RecordingWorkspace workspace;
    for (const char* refused :
         {"javascript:alert(1)", "file:///etc/passwd", "smb://host/share", "quorvane://login",
          "/usr/share/applications/x.desktop", "http:nohost", ""}) {
        EXPECT_FALSE(workspace.open(QUrl(QString::fromUtf8(refused)))) << refused;
    }
    EXPECT_TRUE(workspace.open(QUrl("https://example.org/login?session=1")));
    EXPECT_TRUE(workspace.open(QUrl("HTTP://127.0.0.1:8080/")));
    EXPECT_EQ(workspace.opened.size(), 2U);
}

TEST(WorkspaceTest, TheBrowserVariableNamesTheCommandThatGetsTheUrl) {
    const QTemporaryDir folder;
    const std::string script = folder.filePath("browser").toStdString();
    const std::string seen = folder.filePath("seen").toStdString();
    std::ofstream(script) << "#!/bin/sh\nprintf '%s|' \"$@\" > '" << seen << "'\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);

    const std::pair<std::string, std::string> rows[] = {
        // BROWSER, then the arguments the command gets
        {script + ":/usr/bin/other", "https://example.org/a%20b|"},
        {script + " --new-tab %s --quiet", "--new-tab|https://example.org/a%20b|--quiet|"}};
    for (const auto& [variable, expected] : rows) {
        std::filesystem::remove(seen);
        qputenv("BROWSER", QByteArray::fromStdString(variable));
        ASSERT_TRUE(DesktopWorkspace().open(QUrl("https://example.org/a b")));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return QFile(QString::fromStdString(seen)).size() > 0; }, 10000));
        std::ifstream result(seen);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(result), {}), expected);
    }
    qunsetenv("BROWSER");
}
