#include "fromhtml.h"
#include "mailtext.h"
#include "require.h"

#include <simdjson.h>

// Any bytes as a mail body the client sent, and as an HTML part.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string body(reinterpret_cast<const char*>(data), size);
    // What the engine reads: UTF-8 without the quoted lines.
    const std::string text = backend::mailText(body);
    require(simdjson::validate_utf8(text.data(), text.size()), "mail text is UTF-8");
    require(text.empty() || text.back() == '\n', "mail text ends its last line");
    for (std::size_t start = 0; start < text.size(); start = text.find('\n', start) + 1) {
        require(text[start] != '>', "quoted lines are dropped");
    }
    // Lines as a browser lays them out: paragraphs stand one blank line apart. (Spaces may trail
    // a line of <pre>.)
    const std::string html = plaintext::fromHtml(body);
    require(simdjson::validate_utf8(html.data(), html.size()), "HTML text is UTF-8");
    require(html.find("\n\n\n") == std::string::npos, "at most one blank line");
    require(html.empty() || (html.back() == '\n' && !html.ends_with("\n\n")),
            "the text ends its last line, once");
    return 0;
}
