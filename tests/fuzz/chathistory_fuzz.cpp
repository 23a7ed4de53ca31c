#include "chat/message.h"
#include "require.h"

namespace {

bool sameEntries(const Conversation& a, const Conversation& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const Message& x, const Message& y) {
                          return x.id == y.id && x.text == y.text && x.response == y.response &&
                                 x.isSentByCurrentUser == y.isSentByCurrentUser;
                      });
}

Conversation decoded(const QByteArray& bytes, const char* promise) {
    std::variant<Conversation, QString> result = decodeConversation(bytes);
    require(std::holds_alternative<Conversation>(result), promise);
    return std::get<Conversation>(std::move(result));
}

} // namespace

// Any bytes as a stored conversation. A conversation that loads is written back unchanged,
// and a chat that goes on appends to the very bytes it loaded.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray stored(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    std::variant<Conversation, QString> result = decodeConversation(stored);
    if (const auto* why = std::get_if<QString>(&result)) {
        require(!why->isEmpty(), "a failure says why");
        return 0;
    }
    Conversation conversation = std::get<Conversation>(std::move(result));

    const QByteArray encoded = encodeConversation(conversation);
    require(sameEntries(decoded(encoded, "what is written loads"), conversation),
            "a loaded conversation is written back unchanged");

    if (conversation.empty()) {
        return 0;
    }
    const Message question =
        Message::question(QStringLiteral("And the \"date\"?\n\t\u00e9\U0001F600"));
    conversation.push_back(question);
    require(sameEntries(decoded(appendToEncoded(stored, question), "an appended entry loads"),
                        conversation),
            "appending to the loaded bytes adds just that entry");
    return 0;
}
