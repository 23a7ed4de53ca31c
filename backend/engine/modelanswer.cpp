#include "modelanswer.h"

#include "modeloutput.h"

#include <charconv>
#include <nlohmann/json.hpp>

namespace backend {
namespace {

using json = nlohmann::json;

// A server that asks for a longer wait than this is treated as asking for this.
constexpr std::chrono::seconds longestRetryAfter{600};

std::chrono::seconds retryAfterOf(const std::string& field) {
    std::int64_t seconds = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), seconds);
    if (error != std::errc() || end != field.data() + field.size() || seconds < 1) {
        return std::chrono::seconds(1);
    }
    return std::min(std::chrono::seconds(seconds), longestRetryAfter);
}

std::string failureText(const HttpFailure& failure, const ModelServer& server) {
    using K = HttpFailure::Kind;
    switch (failure.kind) {
    case K::Refused:
        return "refused the connection";
    case K::TimedOut:
        return std::string("did not answer in ").append(durationText(server.timeout));
    case K::TooLarge:
        return "sent an answer too large to read";
    case K::Cut:
        return "closed the connection before its answer was complete";
    case K::Other:
        break;
    }
    return "could not be reached: " + failure.detail;
}

std::string statusText(int status, const ModelServer& server) {
    std::string text;
    switch (status) {
    case 400:
        text = "refused the request";
        break;
    case 401:
    case 403:
        text = "refused the API key in QUORVANE_LLM_API_KEY";
        break;
    case 404:
        text = "knows no model '";
        text += server.model;
        text += "' or no path /v1/chat/completions";
        break;
    default:
        text = status >= 500 ? "failed" : "answered";
    }
    text += " (status ";
    text += std::to_string(status);
    text += ")";
    return text;
}

// The server's answer is not repeated: it may carry the mail, or text meant to mislead.
EngineResult draftOf(const HttpAnswer& answer, const ModelServer& server,
                     const std::string& prefix) {
    const json parsed = json::parse(answer.body, nullptr, false);
    if (parsed.is_discarded()) {
        if (answer.contentType.starts_with("text/html")) {
            return EngineError(prefix + "answered with an HTML page instead of JSON, as a proxy "
                                        "in front of it does");
        }
        return EngineError(prefix + "sent JSON that is cut off or malformed");
    }
    if (parsed.is_object() && parsed.contains("error")) {
        return EngineError(prefix + "answered with an error instead of a draft");
    }
    const json* choice = nullptr;
    if (parsed.is_object() && parsed.contains("choices") && parsed["choices"].is_array() &&
        !parsed["choices"].empty() && parsed["choices"][0].is_object()) {
        choice = &parsed["choices"][0];
    }
    if (choice && choice->value("finish_reason", json()) == "length") {
        std::string text = "the model '";
        text += server.model;
        text += "' reached its token limit before the draft was done; allow it more with "
                "--llm-max-tokens or on the model server";
        return EngineError(text);
    }
    if (!choice || !choice->contains("message") || !(*choice)["message"].is_object() ||
        !(*choice)["message"].value("content", json()).is_string()) {
        return EngineError(prefix + "answered without a draft in choices[0].message.content");
    }
    // An empty draft would replace the user's text with nothing.
    std::string draft = draftFromModelOutput((*choice)["message"]["content"].get<std::string>());
    if (draft.empty()) {
        return EngineError(prefix + "answered with no text once the model's reasoning and "
                                    "remarks are dropped");
    }
    return draft;
}

} // namespace

std::string durationText(std::chrono::milliseconds duration) {
    if (duration.count() % 1000 != 0) {
        return std::to_string(duration.count()) + " ms";
    }
    return std::to_string(duration.count() / 1000) + " s";
}

ModelOutcome readModelAnswer(const HttpResult& result, const ModelServer& server) {
    std::string prefix = "the model server at ";
    prefix += server.url;
    prefix += " ";
    if (const auto* failure = std::get_if<HttpFailure>(&result)) {
        return {EngineError(std::string(prefix).append(failureText(*failure, server))),
                failure->kind != HttpFailure::Kind::TooLarge};
    }
    const auto& answer = std::get<HttpAnswer>(result);
    if (answer.status == 429) {
        return {EngineError(prefix + "is overloaded (status 429)", EngineError::Kind::Busy,
                            retryAfterOf(answer.retryAfter)),
                true};
    }
    if (answer.status < 200 || answer.status > 299) {
        return {EngineError(std::string(prefix).append(statusText(answer.status, server))),
                answer.status >= 500};
    }
    return {draftOf(answer, server, prefix), false};
}

} // namespace backend
