#include "entry/messageactionhandler.h"

#include "stores/extractbody.h"

void MessageActionHandler::decideAction(const MEMessage& message, const Completion& completion) {
    // Runs while a compose window is open too, so the assistant may answer this body instead.
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
