#include "htmltext.h"
#include "mailtext.h"
#include "require.h"

#include <simdjson.h>

namespace {

bool isUtf8(const std::string& text) {
    return simdjson::validate_utf8(text.data(), text.size());
}

// Lines as a browser lays them out: paragraphs stand one blank line apart. (Spaces may trail
// a line of <pre>.)
void checkHtmlText(const std::string& text) {
    require(isUtf8(text), "HTML text is UTF-8");
    require(text.find("\n\n\n") == std::string::npos, "at most one blank line");
    require(text.empty() || (text.back() == '\n' && !text.ends_with("\n\n")),
            "the text ends its last line, once");
}

// What the engine reads: UTF-8 without the quoted lines.
void checkMailText(const std::string& text) {
    require(isUtf8(text), "mail text is UTF-8");
    require(text.empty() || text.back() == '\n', "mail text ends its last line");
    for (std::size_t start = 0; start < text.size(); start = text.find('\n', start) + 1) {
        require(text[start] != '>', "quoted lines are dropped");
    }
}

} // namespace

// Any bytes as a mail body the client sent, and as an HTML part.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string body(reinterpret_cast<const char*>(data), size);
    checkMailText(backend::mailText(body));
    checkHtmlText(backend::htmlText(body));
    return 0;
}
