#include "answer.h"
#include "apierror.h"
#include "platform.h"
#include "require.h"

namespace {

class CountingLog : public LogSink {
public:
    void write(const QString&) override { ++lines; }
    int lines = 0;
};

// The checks run in order: transport error, answer kind, status, body, JSON, object.
void checkClassification(const Answer::Classified& answer, const std::optional<QByteArray>& body,
                         const std::optional<HTTPURLResponse>& response, bool failed,
                         Answer::Checks checks) {
    const bool post = checks == Answer::Checks::PostAnswer;
    const bool badStatus = response && (response->statusCode < 200 || response->statusCode > 299);
    require(std::holds_alternative<Answer::TransportError>(answer) == failed,
            "a transport error comes first");
    if (failed) {
        return;
    }
    require(std::holds_alternative<Answer::NotHttp>(answer) == (post && !response),
            "a POST answer without a response is not HTTP");
    require(std::holds_alternative<Answer::BadStatus>(answer) == (post && response && badStatus),
            "a POST answer outside 2xx is a bad status");
    if (const auto* status = std::get_if<Answer::BadStatus>(&answer)) {
        require(status->statusCode == response->statusCode, "the bad status is the answer's");
        const QString code = QString::number(response->statusCode);
        require(*Answer::postFailureText(answer) == "Server error: " + code &&
                    ApiError::serverError(status->statusCode).text() == "serverError(" + code + ")",
                "the status is reported as received");
    }
    if (std::holds_alternative<Answer::NotHttp>(answer) ||
        std::holds_alternative<Answer::BadStatus>(answer)) {
        return;
    }
    require(std::holds_alternative<Answer::NoBody>(answer) == !body, "no body is no body");
    require(!Answer::postFailureText(answer), "past the status, no POST failure text");
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
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Platform::Services services;
    services.log = std::make_unique<CountingLog>();
    Platform::install(std::make_unique<Platform>(std::move(services)));
    return 0;
}

// The first byte picks the checks and which parts the answer has, the next two the status
// code; the rest is the body.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const std::uint8_t shape = data[0];
    const auto checks = (shape & 1) ? Answer::Checks::GetAnswer : Answer::Checks::PostAnswer;
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

    const Answer::Classified answer = Answer::classify(body, response, error, checks);
    checkClassification(answer, body, response, error.has_value(), checks);

    const auto& log = static_cast<const CountingLog&>(Platform::current().log());
    const int before = log.lines;
    const bool logged = Answer::logGetFailure(answer, QStringLiteral("Failed to parse: "));
    const bool getFailure = std::holds_alternative<Answer::TransportError>(answer) ||
                            std::holds_alternative<Answer::NoBody>(answer) ||
                            std::holds_alternative<Answer::NotJson>(answer);
    require(logged == getFailure && log.lines - before == (logged ? 1 : 0),
            "a GET failure is one log line, anything else none");
    return 0;
}
