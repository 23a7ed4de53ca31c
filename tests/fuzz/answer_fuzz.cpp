#include "api/answer.h"
#include "require.h"

namespace {

/// Whether encodeBody gives nlohmann's compact dump of `body`, or refuses it as nlohmann does.
bool encodesAsNlohmann(const Json& body) {
    const EncodedBody encoded = encodeBody(body);
    try {
        return encoded.bytes == QByteArray::fromStdString(body.dump());
    } catch (const Json::exception& error) {
        return !encoded.bytes && encoded.errorDescription == QString::fromUtf8(error.what());
    }
}

} // namespace

// The first byte picks the checks and which parts the answer has, the next two the status
// code; the rest is the body. The checks run in order: transport error, answer kind, status,
// body, JSON, object.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const std::uint8_t shape = data[0];
    const bool post = (shape & 1) == 0;
    std::optional<HTTPURLResponse> response;
    if (shape & 2) {
        const int magnitude = data[1] << 8 | data[2];
        response = HTTPURLResponse{(shape & 4) ? -magnitude : magnitude};
    }
    std::optional<URLError> error;
    if (shape & 8) {
        error = URLError{-1, QStringLiteral("The request timed out.")};
    }
    std::optional<QByteArray> body;
    if (!(shape & 16)) {
        body =
            QByteArray(reinterpret_cast<const char*>(data + 3), static_cast<qsizetype>(size - 3));
    }
    const Answer::Classified answer = Answer::classify(
        body, response, error, post ? Answer::Checks::PostAnswer : Answer::Checks::GetAnswer);

    require(std::holds_alternative<Answer::TransportError>(answer) == error.has_value(),
            "a transport error comes first");
    if (error) {
        return 0;
    }
    const bool badStatus = response && (response->statusCode < 200 || response->statusCode > 299);
    require(std::holds_alternative<Answer::NotHttp>(answer) == (post && !response),
            "a POST answer without a response is not HTTP");
    require(std::holds_alternative<Answer::BadStatus>(answer) == (post && response && badStatus),
            "a POST answer outside 2xx is a bad status");
    if (const auto* status = std::get_if<Answer::BadStatus>(&answer)) {
        require(status->statusCode == response->statusCode &&
                    Answer::postFailure(answer)->message() ==
                        "Server error: " + QString::number(response->statusCode),
                "the bad status is the answer's, reported as received");
    }
    if (post && (!response || badStatus)) {
        return 0;
    }
    require(std::holds_alternative<Answer::NoBody>(answer) == !body, "no body is no body");
    require(Answer::postFailure(answer).has_value() == !body,
            "past the status, only a missing body is a POST failure");
    if (!body) {
        return 0;
    }
    // Whichever parser reads it first, an answer is read as nlohmann reads it.
    Json reference;
    QString refused;
    try {
        reference = Json::parse(body->constData(), body->constData() + body->size());
    } catch (const Json::exception& error) {
        refused = QString::fromUtf8(error.what());
    }
    // Past 1,024 levels an answer is refused for its depth before it is read whole.
    const auto* notJson = std::get_if<Answer::NotJson>(&answer);
    const bool tooDeep = notJson && notJson->description.startsWith("the JSON is nested deeper");
    require(!tooDeep || body->count('[') + body->count('{') > 1024,
            "only an answer nested that deep is refused for its depth");
    if (!refused.isEmpty() && !tooDeep) {
        require(notJson && notJson->description == refused,
                "a refusal is nlohmann's, word for word");
    }
    if (const auto* object = std::get_if<Answer::Object>(&answer)) {
        require(object->value.is_object() && object->value.dump() == reference.dump(),
                "an object is the one nlohmann reads, in its order");
        // What was received is sent again exactly as nlohmann writes it.
        require(encodesAsNlohmann(object->value),
                "a received object encodes as nlohmann writes it");
        (void)describe(object->value);
    }
    require(encodesAsNlohmann(Json::object({{"text", body->toStdString()}})),
            "any bytes as a member are written or refused as nlohmann does");
    if (std::holds_alternative<Answer::NotObject>(answer) && !post) {
        require(reference.is_array(), "a GET answer that is JSON but no object is an array");
    }
    return 0;
}
