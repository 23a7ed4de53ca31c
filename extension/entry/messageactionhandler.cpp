#include "entry/messageactionhandler.h"

#include "stores/extractbody.h"

void MessageActionHandler::decideAction(const MEMessage& message, const Completion& completion) {
    // The shared store follows the messages as they are listed; a compose window reads its own
    // snapshot, taken when it opened, so this reaches no window.
    if (const std::optional<QByteArray> raw = message.rawData()) {
        if (std::optional<QString> body = extractBody(*raw)) {
            replyContext_.content = std::move(*body);
        }
    }
    if (!message.subject().contains(QStringLiteral("Mars"), Qt::CaseSensitive)) {
        completion(std::nullopt);
        return;
    }
    completion(MEMessageActionDecision::applyingAction(
        MEMessageAction::setBackgroundColor(MEMessageColor::Red)));
}
