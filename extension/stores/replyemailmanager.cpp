#include "stores/replyemailmanager.h"

ReplyEmailManager& ReplyEmailManager::shared() {
    static ReplyEmailManager instance;
    return instance;
}
