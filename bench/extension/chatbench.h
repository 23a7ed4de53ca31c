#pragma once

#include "chat/chathistory.h"
#include "platform.h"
#include "sqliteuserdefaults.h"

#include <QTemporaryDir>

/// The platform both chat benchmarks run on: the standard log and a defaults file in a fresh
/// folder, installed for as long as the object lives.
class ChatBenchPlatform {
public:
    ChatBenchPlatform() {
        Platform::Services services;
        services.log = std::make_unique<StandardOutputLog>();
        services.userDefaults =
            std::make_unique<SqliteUserDefaults>(folder_.filePath("defaults.sqlite").toStdString());
        Platform::install(std::make_unique<Platform>(std::move(services)));
    }
    ~ChatBenchPlatform() { Platform::uninstall(); }
    ChatBenchPlatform(const ChatBenchPlatform&) = delete;
    ChatBenchPlatform& operator=(const ChatBenchPlatform&) = delete;

    [[nodiscard]] QString filePath(const QString& name) const { return folder_.filePath(name); }

private:
    QTemporaryDir folder_;
};

/// Questions and answers in turn, each of a typical length.
inline Conversation sampleConversation(int entries) {
    Conversation conversation;
    for (int i = 0; i < entries; ++i) {
        const QString text = QStringLiteral("Entry %1: could we move the review to Thursday "
                                            "afternoon, after the caf\u00e9 opens?")
                                 .arg(i);
        conversation.push_back(i % 2 == 0 ? Message::question(text) : Message::answer(text));
    }
    return conversation;
}
