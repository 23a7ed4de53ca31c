#pragma once

#include <memory>

class MEExtensionViewController;

/// A new controller of the view shown for a message's signers, loaded from its interface file.
[[nodiscard]] std::shared_ptr<MEExtensionViewController> makeMessageSecurityViewController();
