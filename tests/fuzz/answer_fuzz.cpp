#include "api/answer.h"
#include "require.h"

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
    if (const auto* object = std::get_if<Answer::Object>(&answer)) {
        require(object->value.is_object(), "an object is an object");
        // What was received can be sent again and read back the same.
        const EncodedBody encoded = encodeBody(object->value);
        require(encoded.bytes.has_value(), "a received object encodes");
        require(Json::parse(encoded.bytes->constData(),
                            encoded.bytes->constData() + encoded.bytes->size()) == object->value,
                "a received object reads back the same");
        (void)describe(object->value);
    }
    if (std::holds_alternative<Answer::NotObject>(answer) && !post) {
        require(Json::parse(body->constData(), body->constData() + body->size(), nullptr, false)
                    .is_array(),
                "a GET answer that is JSON but no object is an array");
    }
    return 0;
}
