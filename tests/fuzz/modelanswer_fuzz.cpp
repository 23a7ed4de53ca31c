#include "inputbudget.h"
#include "modelanswer.h"
#include "require.h"

#include <nlohmann/json.hpp>
#include <simdjson.h>

// Whatever a model server answers: a status, a type and the bytes as they come, or the bytes as
// the draft of a well-formed answer; and the same bytes as a mail cut to an input budget.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const std::string bytes(reinterpret_cast<const char*>(data) + 3, size - 3);
    const int status = 100 + ((data[0] << 8) | data[1]) % 500;
    const bool wrapped = (data[2] & 1) != 0;
    using json = nlohmann::json;
    const std::string body = wrapped
                                 ? json{{"choices", {{{"message", {{"content", bytes}}}}}}}.dump(
                                       -1, ' ', false, json::error_handler_t::replace)
                                 : bytes;
    const backend::HttpAnswer answer{status, (data[2] & 2) != 0 ? "text/html" : "application/json",
                                     "", body};
    const backend::ModelOutcome outcome =
        backend::readModelAnswer(answer, {"https://model.example", "m", std::chrono::seconds(50)});
    if (const auto* draft = std::get_if<std::string>(&outcome.result)) {
        require(status >= 200 && status <= 299, "a draft comes only with success");
        require(!draft->empty(), "a draft is never empty");
        require(simdjson::validate_utf8(draft->data(), draft->size()), "a draft is UTF-8");
    }

    const std::size_t budget = data[2] >> 2;
    const backend::InputBudget cut(bytes, budget);
    require(bytes.starts_with(cut.text), "the cut keeps the mail's start");
    require(cut.cut() || cut.text == bytes, "a mail that fits stays whole");
    require(!cut.cut() || cut.characters <= budget, "a cut mail fits its budget");
    require(!simdjson::validate_utf8(bytes.data(), bytes.size()) ||
                simdjson::validate_utf8(cut.text.data(), cut.text.size()),
            "a cut never splits a character");
    return 0;
}
