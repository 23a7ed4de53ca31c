#include "testplatform.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>

// A web page opens in the command BROWSER names, with the URL where "%s" stands or last; any
// other URL opens nothing, whatever BROWSER says.
TEST(WorkspaceTest, OnlyWebPagesReachTheCommandTheBrowserVariableNames) {
    const QTemporaryDir folder;
    const std::string script = folder.filePath("browser").toStdString();
    const std::string seen = folder.filePath("seen").toStdString();
    std::ofstream(script) << "#!/bin/sh\nprintf '%s|' \"$@\" > '" << seen << "'\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);

    const struct {
        std::string browser;
        const char* url;
        std::string arguments; // as the command gets them
    } rows[] = {
        {script + ":/usr/bin/other", "https://example.org/a b", "https://example.org/a%20b|"},
        {script + " --new-tab %s --quiet", "HTTP://127.0.0.1:8080/",
         "--new-tab|http://127.0.0.1:8080/|--quiet|"},
    };
    for (const auto& row : rows) {
        std::filesystem::remove(seen);
        qputenv("BROWSER", QByteArray::fromStdString(row.browser));
        ASSERT_TRUE(DesktopWorkspace().open(QUrl(row.url)));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return QFile(QString::fromStdString(seen)).size() > 0; }, 10000));
        std::ifstream result(seen);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(result), {}), row.arguments);
    }
    for (const char* refused :
         {"javascript:alert(1)", "file:///etc/passwd", "smb://host/share", "quorvane://login",
          "/usr/share/applications/x.desktop", "http:nohost", ""}) {
        EXPECT_FALSE(DesktopWorkspace().open(QUrl(QString::fromUtf8(refused)))) << refused;
    }
    qunsetenv("BROWSER");
}
