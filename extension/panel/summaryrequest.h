#pragma once

#include "stores/composewindow.h"
#include "stores/summarizedresponse.h"

#include <functional>
#include <optional>

/// Gets the summary, or nothing; runs on the main thread.
using SummaryResultHandler = std::function<void(std::optional<SummarizedResponse>)>;

/// Summarizes the window's message (its text, else the window's fallback text) for the
/// signed-in user. The summary cache of SummarizeManager and the window's failure flag are
/// updated on the main thread before `handler` runs.
void runSummaryRequest(ComposeWindow& window, SummaryResultHandler handler);
