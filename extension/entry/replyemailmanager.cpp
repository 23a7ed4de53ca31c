#include "replyemailmanager.h"

ReplyEmailManager& ReplyEmailManager::shared() {
    static ReplyEmailManager instance;
    return instance;
}
