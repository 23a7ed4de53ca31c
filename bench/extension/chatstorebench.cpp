// Saving and loading a 1,000-entry chat history through the chat store, against the floor for a
// history stored as JSON: raw SQLite INSERT OR REPLACE / SELECT of the same bytes with the same
// durability settings, and parsing them with simdjson.
#include "chatbench.h"
#include "support/measure.h"

#include <cstdio>
#include <simdjson.h>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr int kEntries = 1000;
constexpr int kRounds = 40;
const QString kKey = QStringLiteral("reply <bench@example.com>");

/// The same table, pragmas and statements as a hand-written store would use.
class RawStore {
public:
    explicit RawStore(const std::string& file) {
        sqlite3_open(file.c_str(), &db_);
        sqlite3_exec(db_,
                     "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;"
                     "CREATE TABLE IF NOT EXISTS kv (key TEXT PRIMARY KEY, value BLOB)",
                     nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(db_, "INSERT OR REPLACE INTO kv (key, value) VALUES (?, ?)", -1,
                           &insert_, nullptr);
        sqlite3_prepare_v2(db_, "SELECT value FROM kv WHERE key = ?", -1, &select_, nullptr);
    }
    ~RawStore() {
        sqlite3_finalize(insert_);
        sqlite3_finalize(select_);
        sqlite3_close(db_);
    }
    RawStore(const RawStore&) = delete;
    RawStore& operator=(const RawStore&) = delete;

    bool save(const QByteArray& key, const QByteArray& bytes) {
        sqlite3_bind_text(insert_, 1, key.constData(), static_cast<int>(key.size()), SQLITE_STATIC);
        sqlite3_bind_blob(insert_, 2, bytes.constData(), static_cast<int>(bytes.size()),
                          SQLITE_STATIC);
        const bool done = sqlite3_step(insert_) == SQLITE_DONE;
        sqlite3_reset(insert_);
        return done;
    }
    QByteArray load(const QByteArray& key) {
        sqlite3_bind_text(select_, 1, key.constData(), static_cast<int>(key.size()), SQLITE_STATIC);
        QByteArray bytes;
        if (sqlite3_step(select_) == SQLITE_ROW) {
            bytes = QByteArray(static_cast<const char*>(sqlite3_column_blob(select_, 0)),
                               sqlite3_column_bytes(select_, 0));
        }
        sqlite3_reset(select_);
        return bytes;
    }

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    sqlite3_stmt* select_ = nullptr;
};

} // namespace

int main() {
    const ChatBenchPlatform platform;
    ChatHistory history(Platform::current().userDefaults(), kKey);
    for (const Message& message : sampleConversation(kEntries)) {
        (void)history.append(message);
    }
    const QByteArray bytes = encodeConversation(history.messages());
    RawStore raw(platform.filePath("raw.sqlite").toStdString());

    simdjson::dom::parser parser;
    std::vector<double> ours;
    std::vector<double> baseline;
    std::size_t loaded = 0;
    const char* failure = nullptr;
    for (int round = 0; round < kRounds && failure == nullptr; ++round) {
        ours.push_back(bench::secondsOf([&] {
            if (!history.saveMessages()) {
                failure = "chat store save failed";
                return;
            }
            ChatHistory reader(Platform::current().userDefaults(), kKey);
            reader.loadMessages();
            loaded += reader.messages().size();
        }));
        baseline.push_back(bench::secondsOf([&] {
            if (!raw.save(kKey.toUtf8(), bytes)) {
                failure = "raw save failed";
                return;
            }
            const QByteArray stored = raw.load(kKey.toUtf8());
            simdjson::dom::array entries;
            if (parser.parse(stored.constData(), static_cast<std::size_t>(stored.size()))
                    .get_array()
                    .get(entries) != simdjson::SUCCESS) {
                failure = "raw history does not parse";
                return;
            }
            loaded += entries.size();
        }));
    }
    if (failure != nullptr) {
        std::fprintf(stderr, "%s\n", failure);
        return 1;
    }
    const double oursMedian = bench::median(ours);
    const double baselineMedian = bench::median(baseline);
    std::printf("chat store save+load of %d entries (%lld bytes): median %.3f ms, raw SQLite "
                "+ simdjson %.3f ms (entries read %zu)\n",
                kEntries, static_cast<long long>(bytes.size()), oursMedian * 1e3,
                baselineMedian * 1e3, loaded);
    bench::printRatio("chat_store_save_load", oursMedian / baselineMedian, "<= 1.3");
    return 0;
}
