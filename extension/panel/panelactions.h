#pragma once

class ButtonStateManager;
class SummarizeStateManager;

/// The panel's "Summarize" button: shows a summary without storing it.
void summarizeFromPanel(SummarizeStateManager& state);

/// The panel's generate and regenerate buttons: asks for a reply, stores it and toasts the
/// outcome.
void generateReply(ButtonStateManager& state);
