#include "entry/messagesecurityhandler.h"

void MessageSecurityHandler::getEncodingStatus(
    const MEMessage& /*message*/, const MEComposeContext& /*context*/,
    const std::function<void(MEOutgoingMessageEncodingStatus)>& completion) {
    completion(MEOutgoingMessageEncodingStatus{});
}

void MessageSecurityHandler::encodeMessage(
    const MEMessage& /*message*/, const MEComposeContext& /*context*/,
    const std::function<void(MEMessageEncodingResult)>& completion) {
    completion(MEMessageEncodingResult{});
}

std::optional<MEDecodedMessage>
MessageSecurityHandler::decodedMessage(const QByteArray& /*messageData*/) {
    return std::nullopt;
}

std::shared_ptr<MEExtensionViewController>
MessageSecurityHandler::extensionViewControllerForMessageSigners(
    const std::vector<MEMessageSigner>& /*signers*/) {
    return makeSignersViewController_();
}

std::shared_ptr<MEExtensionViewController>
MessageSecurityHandler::extensionViewControllerForMessageContext(const QByteArray& /*context*/) {
    return nullptr;
}

void MessageSecurityHandler::primaryActionClicked(const QByteArray& /*context*/,
                                                  const ViewControllerCompletion& completion) {
    completion(nullptr);
}
