// Appends chat entries to the history in a defaults file until killed. It prints "ready" once
// it has started, then "saved <n>" after each append that returned true, so that the parent
// knows what must survive.
#include "chathistory.h"
#include "platform.h"
#include "sqliteuserdefaults.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DEFAULTS-FILE\n", argv[0]);
        return 2;
    }
    Platform::Services services;
    services.log = std::make_unique<StandardOutputLog>();
    services.userDefaults = std::make_unique<SqliteUserDefaults>(argv[1]);
    Platform::install(std::make_unique<Platform>(std::move(services)));

    ChatHistory history(ChatHistory::keyFor(std::nullopt));
    history.loadMessages();
    std::puts("ready");
    std::fflush(stdout);
    for (std::size_t n = history.messages().size();; ++n) {
        if (!history.append(Message::question(QString::number(n)))) {
            return 1;
        }
        std::printf("saved %zu\n", n);
        std::fflush(stdout);
    }
}
