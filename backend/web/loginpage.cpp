#include "loginpage.h"

#include <ctime>

namespace backend::loginpage {
namespace {

std::string page(const Texts& texts, const std::string& body) {
    return "<!DOCTYPE html><html lang=\"" + std::string(texts.language) +
           "\"><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
           "<title>" +
           escape(texts.title) +
           "</title><link rel=\"stylesheet\" href=\"/plugin-auth/login.css\"></head><body><main>"
           "<h1>Quorvane</h1>" +
           body + "</main></body></html>";
}

} // namespace

std::string escape(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string form(const Texts& texts, const std::string& loginCode, std::int64_t requestedAt,
                 const std::string& notice, const std::string& email) {
    const std::time_t when = requestedAt;
    std::tm utc{};
    ::gmtime_r(&when, &utc);
    char asked[64];
    std::strftime(asked, sizeof asked, texts.askedAt, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%MZ", &utc);
    // The time also in a form that software reads, whatever the language.
    const std::string request = texts.request;
    const std::size_t at = request.find("%1");
    const std::string requestHtml = escape(request.substr(0, at)) + "<time datetime=\"" + stamp +
                                    "\">" + escape(asked) + "</time>" +
                                    escape(request.substr(at + 2));
    return page(
        texts,
        (notice.empty() ? "" : "<p class=\"notice\" id=\"notice\">" + escape(notice) + "</p>") +
            "<p id=\"request\">" + requestHtml +
            "</p><form method=\"post\" action=\"/plugin-auth/login\">"
            "<input type=\"hidden\" name=\"code\" value=\"" +
            escape(loginCode) + "\"><label>" + escape(texts.email) +
            // Not type="email": browsers refuse a non-ASCII local part there and send a non-ASCII
            // domain as punycode, so such an account could never sign in.
            " <input id=\"email\" name=\"email\" type=\"text\" inputmode=\"email\" "
            "required autocomplete=\"username\" autocapitalize=\"none\" spellcheck=\"false\"" +
            // After a failure the address stays and the cursor waits where the typing goes on,
            // with the notice read out there.
            (email.empty() ? " autofocus>" : " value=\"" + escape(email) + "\">") +
            "</label><label>" + escape(texts.password) +
            " <input id=\"password\" name=\"password\" type=\"password\" "
            "required autocomplete=\"current-password\"" +
            (email.empty() ? "" : " autofocus") +
            (notice.empty() ? "" : " aria-describedby=\"notice\"") +
            "></label><button id=\"signin\" type=\"submit\">" + escape(texts.signIn) +
            "</button></form>");
}

std::string notice(const Texts& texts, const std::string& text) {
    return page(texts, "<p class=\"notice\" id=\"notice\">" + escape(text) + "</p>");
}

std::string done(const Texts& texts) {
    return page(texts, "<p id=\"done\">" + escape(texts.signedIn) + "</p>");
}

const std::string& stylesheet() {
    static const std::string css =
        "body{font-family:sans-serif;background:#f4f5f7;margin:0}"
        "main{max-width:22rem;margin:4rem auto;background:#fff;padding:2rem;border-radius:8px}"
        "label{display:block;margin:1rem 0}input{display:block;width:100%;padding:.5rem;"
        "box-sizing:border-box}button{padding:.6rem 1.2rem}.notice{color:#a00}"
        // Follows the desktop's appearance; the fields and the button follow the scheme.
        ":root{color-scheme:light dark}@media (prefers-color-scheme:dark){body{background:#16171a;"
        "color:#e6e6e9}main{background:#26272c}.notice{color:#ff9d94}}"
        // A narrow window, or a 400 pixel one zoomed to 200 %, had the heading cut off.
        "@media (max-width:20rem){main{margin:1rem auto;padding:1rem}}";
    return css;
}

} // namespace backend::loginpage
