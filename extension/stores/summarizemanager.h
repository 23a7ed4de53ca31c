#pragma once

#include "stores/summarizedresponse.h"

#include <QString>
#include <map>

/// Summary state shared by the panel and the API client.
class SummarizeManager {
public:
    /// The process's.
    [[nodiscard]] static SummarizeManager& shared();

    std::map<QString, SummarizedResponse> responses;
    bool requestFailed = false;
    QString fallbackSummarizeContent;
};
