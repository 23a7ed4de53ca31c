#include "entry/messagesecurityviewcontroller.h"

#include "meextensionviewcontroller.h"

namespace {

/// The extension signs and encrypts nothing, so its view of a message's signers is empty.
class MessageSecurityViewController : public MEExtensionViewController {
public:
    [[nodiscard]] QSizeF minimumSize() const override { return {300, 200}; }
    [[nodiscard]] QSizeF maximumSize() const override { return {500, 400}; }
};

} // namespace

std::shared_ptr<MEExtensionViewController> makeMessageSecurityViewController() {
    return std::make_shared<MessageSecurityViewController>();
}
