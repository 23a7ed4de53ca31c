#include "entry/composesessionhandler.h"

#include "api/handleapirequests.h"
#include "chat/chathistory.h"
#include "log.h"
#include "stores/extractbody.h"

namespace {

const QString kArrivalTimeHeader = QStringLiteral("x-ms-exchange-crosstenant-originalarrivaltime");
const QString kMessageIdHeader = QStringLiteral("message-id");

std::optional<QString> firstValue(const MEHeaderMap& headers, const QString& name) {
    const auto it = headers.find(name);
    if (it == headers.end() || it->second.isEmpty()) {
        return std::nullopt;
    }
    return it->second.first();
}

/// Learns who is signed in, so that the session's requests carry their address.
void fetchUserDetailsAtSessionStart(const ExtensionServices& services) {
    Log::line("CURRENT API URL IN API MANAGER", services.api.apiUrl());
    const QString token = services.auth.accessToken().value_or(QString());
    if (!token.isEmpty()) {
        HandleApiRequests(services).fetchUserDetails(
            services.api.apiUrl() + QStringLiteral("/me"), token,
            storingUserDetailsIn(services.userDetails, services.auth, token));
    }
}

} // namespace

std::shared_ptr<ComposeWindow>
ComposeSessionHandler::makeWindow(ReplyContext context, const ExtensionServices& services) {
    QString storageId = storageIdOf(context);
    std::shared_ptr<ChatErrorText> chatError =
        ChatErrorText::forMessage(ChatHistory::keyFor(storageId));
    return std::make_shared<ComposeWindow>(std::move(context), std::move(storageId),
                                           std::move(chatError), services);
}

void ComposeSessionHandler::mailComposeSessionDidBegin(const MEComposeSession& session) {
    ReplyEmailManager& context = services_.replyContext;
    const bool signedOut = !services_.auth.accessToken().has_value();
    const std::shared_ptr<const MEMessage> original = session.composeContext().originalMessage();

    QString body;
    QString senderAddress;
    QString messageId;
    std::optional<QString> arrival;

    if (original) {
        if (const std::optional<QByteArray> raw = original->rawData()) {
            if (std::optional<QString> extracted = extractBody(*raw)) {
                Log::line("SESSSION FROM CONTENT EMAIL", *extracted);
                body = *extracted;
                context.content = std::move(*extracted);
            }
        }
    }

    if (original) {
        context.subject = original->subject();
    } else {
        Log::line("No subject found in the original message.");
    }

    if (const std::optional<MEEmailAddress> from =
            original ? original->fromAddress() : std::nullopt) {
        Log::line("getting email address from apple", from->addressString);
        context.email = from->addressString;
        senderAddress = from->addressString;
    } else {
        Log::line("No email address found in the original message.");
    }

    if (const std::optional<MEHeaderMap> headers = original ? original->headers() : std::nullopt) {
        arrival = firstValue(*headers, kArrivalTimeHeader);
        if (arrival) {
            context.date = *arrival;
        } else {
            Log::line("Date header not found");
        }
        if (const std::optional<QString> id = firstValue(*headers, kMessageIdHeader)) {
            context.messageId = *id;
            messageId = *id;
        } else {
            Log::line("Message id not found in header");
        }
    } else {
        Log::line("No headers found in the original message.");
    }

    if (senderAddress.isEmpty()) {
        context.email.reset();
        Log::line("Email address is empty.");
    }
    if (body.isEmpty()) {
        context.content.reset();
        Log::line("Message content is empty.");
    }
    if (messageId.isEmpty()) {
        context.messageId.reset();
        Log::line("Session message id is empty.");
    }
    if (signedOut) {
        Log::line("Acess token is empty. User need to be logged in.");
    }

    fetchUserDetailsAtSessionStart(services_);
    // The shared context keeps an earlier session's subject and date where this one found none;
    // the window knows only its own message, so a new message has no summary and a message
    // keeps its stored results whatever was opened before it.
    ReplyContext own = context.snapshot();
    own.subject = original ? std::optional(original->subject()) : std::nullopt;
    own.date = arrival;
    window_ = makeWindow(std::move(own), services_);
}

void ComposeSessionHandler::mailComposeSessionDidEnd(const MEComposeSession& /*session*/) {}

std::shared_ptr<ComposeWindow> ComposeSessionHandler::window() {
    if (!window_) {
        window_ = makeWindow(services_.replyContext.snapshot(), services_);
    }
    return window_;
}

std::shared_ptr<MEExtensionViewController>
ComposeSessionHandler::viewControllerForSession(const MEComposeSession& /*session*/) {
    return makeViewController_(window());
}
