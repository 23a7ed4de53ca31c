#pragma once

#include <functional>
#include <memory>

class ComposeWindow;
class MEExtensionViewController;

/// Makes a new controller of a view the mail client shows.
using ViewControllerFactory = std::function<std::shared_ptr<MEExtensionViewController>()>;
/// Makes a new controller of a compose window's extension area, for that window.
using ComposeViewControllerFactory =
    std::function<std::shared_ptr<MEExtensionViewController>(std::shared_ptr<ComposeWindow>)>;

/// A new compose window controller. Defined beside ComposeSessionViewController; the plugin
/// hands it to MailExtension.
[[nodiscard]] std::shared_ptr<MEExtensionViewController>
makeComposeSessionViewController(std::shared_ptr<ComposeWindow> window);
