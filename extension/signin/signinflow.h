#pragma once

#include "stores/extensionservices.h"

#include <QString>
#include <memory>

class SignInWindow;

/// Browser sign-in for one compose window: a session request, the session's login page in
/// the browser, then polls of the session until it carries a token. Answers are handled on
/// the main thread and hold the window weakly, so a chain ends at its next answer once the
/// window is gone; only the wait between two polls keeps the window alive. A sign-out (an
/// endpoint change is one too) or a sign-in ends every chain begun before it at its next step.
/// The services are the window's, kept by the chain as they are.
namespace SignInFlow {

/// Seconds from the handling of one poll answer to the sending of the next poll.
inline constexpr double pollInterval = 2.0;

/// Starts an independent chain; several may run side by side.
void requestLoginSession(const ExtensionServices& services, std::weak_ptr<SignInWindow> controller);
/// Opens a web page in the browser; anything that is not an http or https URL is ignored.
void openLoginURL(const ExtensionServices& services, const QString& text);

} // namespace SignInFlow
