#pragma once

#include "mecomposesession.h"
#include "memessage.h"
#include "memessageencoding.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class MEExtensionViewController;

/// Signs, encrypts and decodes messages, and shows details of their security.
class MEMessageSecurityHandler {
public:
    using ViewControllerCompletion =
        std::function<void(std::shared_ptr<MEExtensionViewController>)>;

    virtual ~MEMessageSecurityHandler() = default;
    virtual void
    getEncodingStatus(const MEMessage& message, const MEComposeContext& context,
                      const std::function<void(MEOutgoingMessageEncodingStatus)>& completion) = 0;
    virtual void encodeMessage(const MEMessage& message, const MEComposeContext& context,
                               const std::function<void(MEMessageEncodingResult)>& completion) = 0;
    /// Absent when the extension leaves the message as it is.
    [[nodiscard]] virtual std::optional<MEDecodedMessage>
    decodedMessage(const QByteArray& messageData) = 0;
    [[nodiscard]] virtual std::shared_ptr<MEExtensionViewController>
    extensionViewControllerForMessageSigners(const std::vector<MEMessageSigner>& signers) = 0;
    /// `context` is what the extension put into a decoded message; null when it shows nothing.
    [[nodiscard]] virtual std::shared_ptr<MEExtensionViewController>
    extensionViewControllerForMessageContext(const QByteArray& context) = 0;
    virtual void primaryActionClicked(const QByteArray& context,
                                      const ViewControllerCompletion& completion) = 0;
};
