#include "sqliteuserdefaults.h"

#include "log.h"
#include "sqlitedatabase.h"

#include <QDateTime>
#include <cstdlib>
#include <optional>
#include <sys/stat.h>

namespace {

enum class Kind : std::int64_t { Text = 0, Flag = 1, Bytes = 2 };

const char* const kSchema = "CREATE TABLE IF NOT EXISTS defaults ("
                            " key TEXT PRIMARY KEY NOT NULL,"
                            " kind INTEGER NOT NULL,"
                            " value BLOB NOT NULL)";

QString describe(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

/// A kept statement for the length of one call. Reset however the call ends: a statement left
/// on a row would hold its read snapshot, hiding other writers' values and blocking checkpoints.
class Use {
public:
    explicit Use(sqlite::Statement& statement)
        : statement_(statement) {}
    ~Use() { statement_.reset(); }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;
    sqlite::Statement* operator->() const { return &statement_; }

private:
    sqlite::Statement& statement_;
};

} // namespace

/// The open file and the statements prepared on it, each on its first use. They live and die
/// together, so a file that is set aside takes its statements with it.
struct SqliteUserDefaults::Connection {
    Connection(const std::filesystem::path& file, const sqlite::OpenOptions& options)
        : db(file, options) {}

    Use use(std::optional<sqlite::Statement>& kept, std::string_view sql) {
        if (!kept) {
            kept.emplace(db, sql);
        }
        return Use(*kept);
    }

    sqlite::Database db; // first, so that it is closed after its statements are finalized
    std::optional<sqlite::Statement> select;
    std::optional<sqlite::Statement> upsert;
    std::optional<sqlite::Statement> erase;
    std::optional<sqlite::Statement> listKeys;
};

SqliteUserDefaults::SqliteUserDefaults(std::filesystem::path file,
                                       std::chrono::milliseconds busyTimeout)
    : file_(std::move(file))
    , busyTimeout_(busyTimeout) {}

SqliteUserDefaults::~SqliteUserDefaults() = default;

std::filesystem::path SqliteUserDefaults::standardLocation() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::filesystem::path base = config && *config ? std::filesystem::path(config)
                                       : home && *home   ? std::filesystem::path(home) / ".config"
                                                         : std::filesystem::current_path();
    return base / "quorvane" / "defaults.sqlite";
}

void SqliteUserDefaults::open() const {
    std::error_code ignored;
    std::filesystem::create_directories(file_.parent_path(), ignored);
    const mode_t previous = ::umask(077);
    auto opened = std::make_unique<Connection>(
        file_, sqlite::OpenOptions{sqlite::OpenMode::ReadWriteCreate, busyTimeout_});
    ::umask(previous);
    sqlite::Database& db = opened->db;
    db.exec("PRAGMA journal_mode=WAL");
    db.exec("PRAGMA synchronous=FULL");
    {
        sqlite::Statement check = db.prepare("PRAGMA quick_check");
        if (!check.step() || check.text(0) != "ok") {
            throw sqlite::Error(SQLITE_CORRUPT, "integrity check failed");
        }
    }
    db.exec(kSchema);
    connection_ = std::move(opened);
}

SqliteUserDefaults::Connection& SqliteUserDefaults::connection() const {
    if (!connection_) {
        try {
            open();
        } catch (const sqlite::Error& error) {
            // Only a file that is not a sound database goes aside: one that is busy, locked or
            // out of reach keeps every value it holds for the next run.
            const int primary = error.code() & 0xff;
            if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) {
                setAside(error.what());
            } else {
                keepInMemory(error.what());
            }
        }
    }
    return *connection_;
}

void SqliteUserDefaults::setAside(const std::string& reason) const {
    connection_.reset();
    const std::string stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddThhmmss")).toStdString();
    std::filesystem::path aside = file_;
    aside += ".unreadable-" + stamp;
    std::error_code error;
    std::filesystem::rename(file_, aside, error);
    if (error) {
        aside.clear();
    }
    for (const char* suffix : {"-wal", "-shm"}) {
        std::filesystem::path companion = file_;
        companion += suffix;
        std::filesystem::path companionAside = aside;
        companionAside += suffix;
        std::error_code ignored;
        std::filesystem::rename(companion, companionAside, ignored);
    }
    if (!aside.empty()) {
        Log::line(
            QStringLiteral("UserDefaults: %1 could not be read (%2); kept as %3, starting empty.")
                .arg(describe(file_), QString::fromStdString(reason), describe(aside)));
    }
    try {
        open();
    } catch (const sqlite::Error& second) {
        keepInMemory(second.what());
    }
}

void SqliteUserDefaults::keepInMemory(const std::string& reason) const {
    Log::line(QStringLiteral("UserDefaults: %1 cannot be opened (%2); values will not be kept.")
                  .arg(describe(file_), QString::fromStdString(reason)));
    connection_ = std::make_unique<Connection>(":memory:", sqlite::OpenOptions{});
    connection_->db.exec(kSchema);
}

std::optional<DefaultsValue> SqliteUserDefaults::value(const QString& key) const {
    const std::lock_guard lock(mutex_);
    try {
        Connection& c = connection();
        const Use select = c.use(c.select, "SELECT kind, value FROM defaults WHERE key = ?");
        select->bind(1, key.toStdString());
        if (!select->step()) {
            return std::nullopt;
        }
        const std::span<const std::uint8_t> bytes = select->blob(1);
        const QByteArray raw(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<qsizetype>(bytes.size()));
        switch (static_cast<Kind>(select->integer(0))) {
        case Kind::Text:
            return QString::fromUtf8(raw);
        case Kind::Flag:
            return raw == "1";
        case Kind::Bytes:
            return raw;
        }
        return std::nullopt;
    } catch (const sqlite::Error& error) {
        Log::line(QStringLiteral("UserDefaults: could not read \"%1\": %2")
                      .arg(key, QString::fromUtf8(error.what())));
        return std::nullopt;
    }
}

bool SqliteUserDefaults::set(const QString& key, const DefaultsValue& value) {
    const auto [kind, bytes] = std::visit(
        [](const auto& v) -> std::pair<Kind, QByteArray> {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, QString>) {
                return {Kind::Text, v.toUtf8()};
            } else if constexpr (std::is_same_v<T, bool>) {
                return {Kind::Flag, v ? QByteArray("1") : QByteArray("0")};
            } else {
                return {Kind::Bytes, v};
            }
        },
        value);
    const std::lock_guard lock(mutex_);
    try {
        // One statement is one transaction: the old value stays whole until the new one is in.
        Connection& c = connection();
        const Use upsert =
            c.use(c.upsert, "INSERT OR REPLACE INTO defaults (key, kind, value) VALUES (?, ?, ?)");
        upsert->bind(1, key.toStdString())
            .bind(2, static_cast<std::int64_t>(kind))
            .bindBlob(3, bytes.constData(), static_cast<std::size_t>(bytes.size()));
        upsert->run();
        return true;
    } catch (const sqlite::Error& error) {
        Log::line(QStringLiteral("UserDefaults: could not write \"%1\": %2")
                      .arg(key, QString::fromUtf8(error.what())));
        return false;
    }
}

void SqliteUserDefaults::remove(const QStringList& keys) {
    const std::lock_guard lock(mutex_);
    try {
        Connection& c = connection();
        // One sync for the lot: a sign-out clears thousands of keys while the windows wait.
        sqlite::Transaction transaction(c.db);
        for (const QString& key : keys) {
            const Use erase = c.use(c.erase, "DELETE FROM defaults WHERE key = ?");
            erase->bind(1, key.toStdString());
            erase->run();
        }
        transaction.commit();
    } catch (const sqlite::Error& error) {
        const QString what =
            keys.size() == 1 ? '"' + keys.first() + '"' : QString::number(keys.size()) + " keys";
        Log::line(QStringLiteral("UserDefaults: could not remove %1: %2")
                      .arg(what, QString::fromUtf8(error.what())));
    }
}

QStringList SqliteUserDefaults::keys() const {
    const std::lock_guard lock(mutex_);
    QStringList result;
    try {
        Connection& c = connection();
        const Use select = c.use(c.listKeys, "SELECT key FROM defaults ORDER BY key");
        while (select->step()) {
            result.append(QString::fromStdString(select->text(0)));
        }
    } catch (const sqlite::Error& error) {
        Log::line(QStringLiteral("UserDefaults: could not list keys: %1")
                      .arg(QString::fromUtf8(error.what())));
    }
    return result;
}
