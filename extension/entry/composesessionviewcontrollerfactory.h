#pragma once

#include <functional>
#include <memory>

class MEExtensionViewController;

/// Makes a new controller of a view the mail client shows.
using ViewControllerFactory = std::function<std::shared_ptr<MEExtensionViewController>()>;

/// A new compose window controller, loaded from its interface file. Defined beside
/// ComposeSessionViewController; the plugin hands it to MailExtension.
[[nodiscard]] std::shared_ptr<MEExtensionViewController> makeComposeSessionViewController();
