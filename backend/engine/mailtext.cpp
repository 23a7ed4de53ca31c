#include "mailtext.h"

#include "fromparts.h"
#include "headerlessbody.h"
#include "textlines.h"
#include "validutf8.h"

#include <algorithm>
#include <gmime/gmime.h>
#include <mutex>
#include <optional>
#include <simdjson.h>
#include <string_view>

namespace backend {
namespace {

void initGMime() {
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

// A whole message, headers included: every line up to the first blank one is a header field
// or its continuation, and among them are two fields that a message's head carries.
bool isWholeMessage(std::string_view text) {
    static constexpr std::string_view known[] = {
        "mime-version:", "content-type:", "from:", "subject:", "date:", "message-id:"};
    int fields = 0;
    int knownFields = 0;
    bool complete = false;
    forEachLine(text, [&](std::string_view line) {
        if (line.empty()) {
            complete = true;
            return false;
        }
        if (line.front() == ' ' || line.front() == '\t') {
            return fields > 0;
        }
        const std::size_t colon = line.find(':');
        if (colon == 0 || colon == std::string_view::npos ||
            line.substr(0, colon).find_first_of(" \t") != std::string_view::npos) {
            fields = 0;
            return false;
        }
        std::string name(line.substr(0, colon + 1));
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        knownFields += std::find(std::begin(known), std::end(known), name) != std::end(known);
        ++fields;
        return true;
    });
    return complete && knownFields >= 2;
}

// The client strips the message's own headers, so a multipart body arrives without the
// Content-Type that names its boundary; the first delimiter line gives it back. Plain UTF-8
// text needs no MIME parsing: then there is no message, and the caller keeps the body.
std::optional<std::string> withHeaders(const std::string& body) {
    if (isWholeMessage(body)) {
        return body;
    }
    std::size_t start = body.find_first_not_of("\r\n \t");
    if (start != std::string::npos && body.compare(start, 2, "--") == 0) {
        const std::size_t end = body.find_first_of("\r\n", start);
        std::string boundary = body.substr(start + 2, end - start - 2);
        while (!boundary.empty() && (boundary.back() == ' ' || boundary.back() == '\t')) {
            boundary.pop_back();
        }
        if (!boundary.empty() && boundary.find('"') == std::string::npos &&
            body.find("--" + boundary + "--") != std::string::npos) {
            return "MIME-Version: 1.0\nContent-Type: multipart/mixed; boundary=\"" + boundary +
                   "\"\n\n" + body;
        }
    }
    // A lone part with its own part headers keeps them.
    if (body.starts_with("Content-") || body.starts_with("content-")) {
        return "MIME-Version: 1.0\n" + body;
    }
    if (const std::optional<std::string> headers = guessedPartHeaders(body)) {
        return "MIME-Version: 1.0\n" + *headers + "\n" + body;
    }
    // Decoding would only convert UTF-8 to itself; with NUL or invalid bytes it still runs.
    if (body.find('\0') == std::string::npos && simdjson::validate_utf8(body.data(), body.size())) {
        return std::nullopt;
    }
    return "MIME-Version: 1.0\nContent-Type: text/plain; charset=utf-8\n\n" + body;
}

// The decoded text, or nothing when the body is its own text.
std::optional<std::string> decode(const std::string& body) {
    const std::optional<std::string> message = withHeaders(body);
    if (!message) {
        return std::nullopt;
    }
    initGMime();
    GMimeStream* stream = g_mime_stream_mem_new_with_buffer(message->data(), message->size());
    GMimeParser* parser = g_mime_parser_new_with_stream(stream);
    GMimeMessage* parsed = g_mime_parser_construct_message(parser, nullptr);
    std::optional<std::string> text;
    if (parsed) {
        text = plaintext::fromParts(g_mime_message_get_mime_part(parsed));
        g_object_unref(parsed);
    }
    g_object_unref(parser);
    g_object_unref(stream);
    return text;
}

// The line a mail program puts above the message a reply quotes ("On ... wrote:", and in the
// other languages "Le <date>, <name> a écrit :", "Am <date> schrieb <name>:", ...: those must
// carry the date's digits, so that "Here is what the auditor wrote:" stays the message's own),
// or the rule above a forwarded or top-posted one ("-----Original Message-----",
// "-----Message d'origine-----").
bool isQuoteIntro(std::string_view line) {
    static constexpr std::string_view verbs[] = {
        " wrote", " a écrit", " schrieb", " escribió", " ha scritto", " escreveu", " schreef"};
    if (line.starts_with("On ") && line.find("wrote:") != std::string_view::npos) {
        return true;
    }
    while (!line.empty() && line.back() == ' ') {
        line.remove_suffix(1);
    }
    const bool wrote = line.ends_with(':') &&
                       line.find_first_of("0123456789") != std::string_view::npos &&
                       std::any_of(std::begin(verbs), std::end(verbs), [&](std::string_view verb) {
                           return line.find(verb) != std::string_view::npos;
                       });
    return wrote || (line.size() > 10 && line.starts_with("-----") && line.ends_with("-----")) ||
           line.starts_with("________________________________");
}

} // namespace

std::string mailText(const std::string& body) {
    const std::optional<std::string> decoded = decode(body);
    // A body without a readable part is read as it stands, and a part's bytes need not match
    // its charset: either may carry bytes that are not UTF-8.
    std::string valid;
    const std::string_view source = plaintext::validUtf8(decoded ? *decoded : body, valid);
    std::string text;
    text.reserve(source.size());
    forEachLine(source, [&](std::string_view line) {
        const std::size_t first = line.find_first_not_of(" \t");
        const std::string_view trimmed =
            first == std::string_view::npos ? std::string_view() : line.substr(first);
        if (trimmed == "--" || trimmed == "-- " || line == "-- " || isQuoteIntro(trimmed)) {
            return false;
        }
        if (!trimmed.starts_with('>')) {
            text += trimmed;
            text += '\n';
        }
        return true;
    });
    return text;
}

} // namespace backend
