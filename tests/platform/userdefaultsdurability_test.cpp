// The defaults file under a writer that is killed at random moments or runs out of room:
// every write that returned true is there after a reopen, and no value is half there.
#include "capturedlog.h"
#include "crashwriter.h"
#include "platform.h"
#include "sqlitedatabase.h"
#include "sqliteuserdefaults.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Write n sets a text or a few kilobytes of bytes under a key of its own, or overwrites
// "latest" with its number.
struct Written {
    QString key;
    DefaultsValue value;
};

Written written(long n) {
    const QString number = QString::number(n);
    switch (n % 3) {
    case 0:
        return {"text " + number, QStringLiteral("entry ").repeated(100 + n % 300) + number};
    case 1:
        return {"bytes " + number,
                QByteArray(2000 + (n % 5) * 900, static_cast<char>(n)) + number.toUtf8()};
    default:
        return {QStringLiteral("latest"), number};
    }
}

int writeFrom(const std::filesystem::path& file, long first) {
    Platform::Services services;
    services.log = std::make_unique<StandardOutputLog>();
    Platform::install(std::make_unique<Platform>(std::move(services)));
    SqliteUserDefaults defaults(file);
    (void)defaults.keys(); // opens the file
    acknowledge("ready");
    for (long n = first;; ++n) {
        const Written w = written(n);
        if (!defaults.set(w.key, w.value)) {
            return 1;
        }
        acknowledge("saved " + std::to_string(n));
    }
}

class UserDefaultsDurabilityTest : public testing::Test {
protected:
    UserDefaultsDurabilityTest() {
        Platform::Services services;
        services.log = std::make_unique<CapturedLog>();
        Platform::install(std::make_unique<Platform>(std::move(services)));
    }
    ~UserDefaultsDurabilityTest() override { Platform::uninstall(); }

    // Writes from `first` to the last acknowledged one read back whole; "latest" holds the
    // last acknowledged number or the one written after it.
    void expectKept(long first, const WriterRun& run) {
        {
            sqlite::Database db(file, {sqlite::OpenMode::ReadOnly});
            auto check = db.prepare("PRAGMA integrity_check");
            ASSERT_TRUE(check.step());
            ASSERT_EQ(check.text(0), "ok") << "after write " << run.lastSaved();
        }
        SqliteUserDefaults reopened(file);
        for (long n = first; n <= run.lastSaved(); ++n) {
            const Written w = written(n);
            if (w.key != "latest") {
                ASSERT_EQ(reopened.value(w.key), w.value) << "write " << n;
            } else {
                latest = n;
            }
        }
        const std::optional<QString> stored = reopened.string("latest");
        const long next = std::max(first, run.lastSaved() + 1);
        if (latest >= 0 || stored) {
            ASSERT_TRUE(stored == QString::number(latest) ||
                        (written(next).key == "latest" && stored == QString::number(next)))
                << "latest is " << stored.value_or("absent").toStdString();
        }
        // A write that was stored but not acknowledged is what the next round builds on.
        latest = stored ? stored->toLong() : latest;
    }

    QTemporaryDir folder;
    std::filesystem::path file = std::filesystem::path(folder.path().toStdString()) / "d.sqlite";
    long latest = -1;
};

TEST_F(UserDefaultsDurabilityTest, ReturnedWritesSurviveAKillAtAnyMoment) {
    expectKillsLoseNothing([this](long first) { return writeFrom(file, first); },
                           [this](long first, const WriterRun& run) { expectKept(first, run); }, 3);
}

TEST_F(UserDefaultsDurabilityTest, FullDiskIsLoggedInOneLineAndLosesNothingReturned) {
    WriterRun run;
    const std::string failure =
        expectFullDiskFailure([this](long first) { return writeFrom(file, first); }, run);
    EXPECT_EQ(failure, "UserDefaults: could not write \"" +
                           written(run.lastSaved() + 1).key.toStdString() +
                           "\": disk I/O error (File too large)\n");
    expectKept(0, run);
}

} // namespace
