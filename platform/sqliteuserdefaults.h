#pragma once

#include "userdefaults.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>

/// UserDefaults in one SQLite file (WAL, synchronous=FULL, mode 0600).
class SqliteUserDefaults : public UserDefaults {
public:
    /// The file is opened on first use. A file that is no sound database is set aside (never
    /// deleted) and a new one started; one that cannot be opened now, busy or out of reach, is
    /// left as it is. With nowhere to write, values live in memory for this run.
    explicit SqliteUserDefaults(std::filesystem::path file,
                                std::chrono::milliseconds busyTimeout = std::chrono::seconds(5));
    ~SqliteUserDefaults() override;
    SqliteUserDefaults(const SqliteUserDefaults&) = delete;
    SqliteUserDefaults& operator=(const SqliteUserDefaults&) = delete;

    /// $XDG_CONFIG_HOME/quorvane/defaults.sqlite, or ~/.config/quorvane/defaults.sqlite.
    [[nodiscard]] static std::filesystem::path standardLocation();

    [[nodiscard]] std::optional<DefaultsValue> value(const QString& key) const override;
    [[nodiscard]] bool set(const QString& key, const DefaultsValue& value) override;
    void remove(const QStringList& keys) override;
    [[nodiscard]] QStringList keys() const override;

private:
    struct Connection;

    // Callers hold mutex_.
    Connection& connection() const;
    void open() const;
    void setAside(const std::string& reason) const;
    /// Nowhere to write: the values of this run are kept in memory only.
    void keepInMemory(const std::string& reason) const;

    std::filesystem::path file_;
    std::chrono::milliseconds busyTimeout_;
    mutable std::mutex mutex_;
    mutable std::unique_ptr<Connection> connection_;
};
