#pragma once

#include "stores/summarizedresponse.h"

#include <functional>
#include <optional>

/// Gets the summary, or nothing; runs on the main thread.
using SummaryResultHandler = std::function<void(std::optional<SummarizedResponse>)>;

/// Summarizes the current message (its text, else the fallback text) for the signed-in user.
/// The summary cache of SummarizeManager is updated on the main thread before `handler` runs.
void runSummaryRequest(SummaryResultHandler handler);
