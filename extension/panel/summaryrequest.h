#pragma once

#include "api/apiresult.h"
#include "stores/composewindow.h"
#include "stores/summarizedresponse.h"

/// Summarizes the window's message (its text, else the window's fallback text) for the
/// signed-in user. The summary cache of SummarizeManager and the failure flags are updated on
/// the main thread before `handler` runs.
void runSummaryRequest(ComposeWindow& window, ApiCompletion<SummarizedResponse> handler);
