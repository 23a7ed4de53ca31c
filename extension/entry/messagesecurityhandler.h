#pragma once

#include "entry/composesessionviewcontrollerfactory.h"
#include "memessagesecurityhandler.h"

/// Neither signs, encrypts nor decodes; shows an empty view for a message's signers.
class MessageSecurityHandler : public MEMessageSecurityHandler {
public:
    explicit MessageSecurityHandler(ViewControllerFactory makeSignersViewController)
        : makeSignersViewController_(std::move(makeSignersViewController)) {}

    void getEncodingStatus(
        const MEMessage& message, const MEComposeContext& context,
        const std::function<void(MEOutgoingMessageEncodingStatus)>& completion) override;
    void encodeMessage(const MEMessage& message, const MEComposeContext& context,
                       const std::function<void(MEMessageEncodingResult)>& completion) override;
    [[nodiscard]] std::optional<MEDecodedMessage>
    decodedMessage(const QByteArray& messageData) override;
    [[nodiscard]] std::shared_ptr<MEExtensionViewController>
    extensionViewControllerForMessageSigners(const std::vector<MEMessageSigner>& signers) override;
    [[nodiscard]] std::shared_ptr<MEExtensionViewController>
    extensionViewControllerForMessageContext(const QByteArray& context) override;
    void primaryActionClicked(const QByteArray& context,
                              const ViewControllerCompletion& completion) override;

private:
    ViewControllerFactory makeSignersViewController_;
};
