#include "stores/startchatmanager.h"

StartChatManager& StartChatManager::shared() {
    static StartChatManager instance;
    return instance;
}
