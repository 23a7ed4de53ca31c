#include "openaiengine.h"

#include "httpclient.h"
#include "mailtext.h"

#include <nlohmann/json.hpp>

namespace backend {

OpenAiEngine::OpenAiEngine(OpenAiOptions options)
    : options_(std::move(options)) {
    while (!options_.url.empty() && options_.url.back() == '/') {
        options_.url.pop_back();
    }
}

std::string OpenAiEngine::complete(const std::string& instruction, const std::string& input) {
    const nlohmann::json request = {
        {"model", options_.model},
        {"messages",
         {{{"role", "system"}, {"content", instruction}}, {{"role", "user"}, {"content", input}}}}};
    HttpPost post{options_.url + "/v1/chat/completions",
                  {},
                  request.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
                  options_.timeout,
                  options_.caFile};
    if (!options_.apiKey.empty()) {
        post.headers["Authorization"] = "Bearer " + options_.apiKey;
    }
    HttpAnswer answer;
    try {
        answer = postJson(post);
    } catch (const std::exception& e) {
        throw EngineError{e.what()};
    }
    if (answer.status < 200 || answer.status > 299) {
        throw EngineError{"the engine answered status " + std::to_string(answer.status)};
    }
    const auto parsed = nlohmann::json::parse(answer.body, nullptr, false);
    try {
        return parsed.at("choices").at(0).at("message").at("content").get<std::string>();
    } catch (const nlohmann::json::exception&) {
        throw EngineError{"the engine's answer has no choices[0].message.content text"};
    }
}

std::string OpenAiEngine::summarize(const std::string& mail) {
    return complete("Summarize this e-mail in a few sentences.", mailText(mail));
}

std::string OpenAiEngine::reply(const std::string& mail, const std::string& userName) {
    return complete("Draft a reply to this e-mail. Greet the sender, answer each question and "
                    "request, and sign with the name " +
                        userName + ".",
                    mailText(mail));
}

std::string OpenAiEngine::chat(const std::string& mail, const std::string& question) {
    return complete("Answer the question using only this e-mail:\n\n" + mailText(mail), question);
}

} // namespace backend
