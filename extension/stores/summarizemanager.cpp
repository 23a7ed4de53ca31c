#include "stores/summarizemanager.h"

SummarizeManager& SummarizeManager::shared() {
    static SummarizeManager instance;
    return instance;
}
