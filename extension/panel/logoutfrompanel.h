#pragma once

/// The "Log out" button of the panel header: signs out and wipes what the extension stored.
void logOutFromPanel();
