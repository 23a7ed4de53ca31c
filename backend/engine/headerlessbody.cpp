#include "headerlessbody.h"

#include "textlines.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <glib.h>

namespace backend {
namespace {

bool isUpperHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

bool isBase64(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/' || c == '=';
}

bool looksLikeHtml(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos || text[start] != '<') {
        return false;
    }
    std::string head(text.substr(start, 512));
    std::transform(head.begin(), head.end(), head.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static constexpr std::array<std::string_view, 8> tags = {
        "<!doctype html", "<html", "<head", "<body", "<div", "<p>", "<p ", "<table"};
    return std::any_of(tags.begin(), tags.end(),
                       [&](std::string_view tag) { return head.find(tag) != std::string::npos; });
}

// Soft line breaks, or at least two escapes such as "=3D" or "=C3".
bool looksQuotedPrintable(std::string_view text) {
    int escapes = 0;
    for (const char *at = text.data(), *end = text.data() + text.size();
         (at = static_cast<const char*>(std::memchr(at, '=', static_cast<std::size_t>(end - at))));
         ++at) {
        const std::size_t rest = static_cast<std::size_t>(end - at) - 1;
        if ((rest >= 1 && at[1] == '\n') || (rest >= 2 && at[1] == '\r' && at[2] == '\n')) {
            return true;
        }
        if (rest >= 2 && isUpperHex(at[1]) && isUpperHex(at[2]) && ++escapes == 2) {
            return true;
        }
    }
    return false;
}

// Encoders wrap base64 at 76 or 64 characters. Text has spaces, so two such lines of the
// alphabet alone, and no other kind of line, tell base64 from prose.
bool looksBase64(std::string_view text) {
    bool alphabetOnly = true;
    int fullLines = 0;
    forEachLine(text, [&](std::string_view line) {
        alphabetOnly = std::all_of(line.begin(), line.end(), isBase64);
        fullLines += line.size() >= 60 ? 1 : 0;
        return alphabetOnly;
    });
    return alphabetOnly && fullLines >= 2;
}

// The first bytes a base64 body stands for, enough to tell HTML from plain text.
std::string decodedHead(std::string_view body) {
    const std::size_t start = body.find_first_not_of(" \t\r\n");
    const std::string line(body.substr(start, body.find_first_of("\r\n", start) - start));
    gsize length = 0;
    guchar* bytes = g_base64_decode(line.c_str(), &length);
    std::string head(reinterpret_cast<const char*>(bytes), length);
    g_free(bytes);
    return head;
}

} // namespace

std::optional<std::string> guessedPartHeaders(std::string_view body) {
    std::string encoding;
    bool html = false;
    if (looksBase64(body)) {
        encoding = "base64";
        html = looksLikeHtml(decodedHead(body));
    } else {
        html = looksLikeHtml(body);
        if (looksQuotedPrintable(body)) {
            encoding = "quoted-printable";
        }
    }
    if (!html && encoding.empty()) {
        return std::nullopt;
    }
    std::string headers =
        std::string("Content-Type: text/") + (html ? "html" : "plain") + "; charset=utf-8\n";
    if (!encoding.empty()) {
        headers += "Content-Transfer-Encoding: " + encoding + "\n";
    }
    return headers;
}

} // namespace backend
