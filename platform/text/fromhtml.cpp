#include "fromhtml.h"

#include "validutf8.h"

#include <algorithm>
#include <array>
#include <climits>
#include <libxml/HTMLparser.h>
#include <memory>
#include <mutex>

namespace plaintext {
namespace {

enum class Kind { Inline, Block, Break, Cell, Quote, Pre, Skipped };

Kind kindOf(const xmlNode* node) {
    struct Entry {
        std::string_view name;
        Kind kind;
    };
    static constexpr std::array<Entry, 40> kinds = {{
        {"address", Kind::Block},    {"article", Kind::Block},  {"aside", Kind::Block},
        {"blockquote", Kind::Quote}, {"br", Kind::Break},       {"caption", Kind::Block},
        {"center", Kind::Block},     {"dd", Kind::Block},       {"details", Kind::Block},
        {"div", Kind::Block},        {"dl", Kind::Block},       {"dt", Kind::Block},
        {"fieldset", Kind::Block},   {"figure", Kind::Block},   {"footer", Kind::Block},
        {"form", Kind::Block},       {"h1", Kind::Block},       {"h2", Kind::Block},
        {"h3", Kind::Block},         {"h4", Kind::Block},       {"h5", Kind::Block},
        {"h6", Kind::Block},         {"head", Kind::Skipped},   {"header", Kind::Block},
        {"hr", Kind::Block},         {"li", Kind::Block},       {"main", Kind::Block},
        {"nav", Kind::Block},        {"ol", Kind::Block},       {"p", Kind::Block},
        {"pre", Kind::Pre},          {"script", Kind::Skipped}, {"section", Kind::Block},
        {"style", Kind::Skipped},    {"table", Kind::Block},    {"td", Kind::Cell},
        {"template", Kind::Skipped}, {"th", Kind::Cell},        {"title", Kind::Skipped},
        {"tr", Kind::Block},
    }};
    const std::string_view name = reinterpret_cast<const char*>(node->name);
    const auto found = std::find_if(kinds.begin(), kinds.end(),
                                    [&](const Entry& entry) { return entry.name == name; });
    return found == kinds.end() ? Kind::Inline : found->kind;
}

bool isSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Text laid out as a browser lays out lines: white space collapsed outside <pre>, paragraphs
// apart by a blank line. Breaks and spaces wait for the next text, so none trail.
class TextWriter {
public:
    void enter(Kind kind) {
        switch (kind) {
        case Kind::Block:
        case Kind::Quote:
        case Kind::Pre:
            newlines_ = 2;
            quoteDepth_ += kind == Kind::Quote;
            preDepth_ += kind == Kind::Pre;
            break;
        case Kind::Break:
            newlines_ = std::min(newlines_ + 1, 2);
            break;
        case Kind::Cell:
            space_ = true;
            break;
        case Kind::Inline:
        case Kind::Skipped:
            break;
        }
    }

    void leave(Kind kind) {
        if (kind == Kind::Block || kind == Kind::Quote || kind == Kind::Pre) {
            newlines_ = 2;
            quoteDepth_ -= kind == Kind::Quote;
            preDepth_ -= kind == Kind::Pre;
        } else if (kind == Kind::Cell) {
            space_ = true;
        }
    }

    void text(std::string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            // U+00A0, the no-break space of &nbsp;, separates words like a space.
            const bool noBreakSpace =
                c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xA0;
            i += noBreakSpace;
            if (preDepth_ > 0 && c == '\n') {
                newlines_ = std::min(newlines_ + 1, 2);
            } else if (preDepth_ > 0 && (noBreakSpace || c == '\t' || c == ' ')) {
                put(' ');
            } else if (preDepth_ == 0 && (noBreakSpace || isSpace(c))) {
                space_ = true;
            } else if (c != '\r') {
                put(static_cast<char>(c));
            }
        }
    }

    std::string finish() {
        if (!out_.empty()) {
            out_ += '\n';
        }
        return std::move(out_);
    }

private:
    void flush() {
        if (newlines_ > 0 && !out_.empty()) {
            out_.append(static_cast<std::size_t>(newlines_), '\n');
            lineStart_ = true;
            space_ = false;
        }
        newlines_ = 0;
    }

    void put(char c) {
        flush();
        if (lineStart_) {
            out_.append(static_cast<std::size_t>(quoteDepth_), '>');
            if (quoteDepth_ > 0) {
                out_ += ' ';
            }
        } else if (space_) {
            out_ += ' ';
        }
        space_ = false;
        lineStart_ = false;
        out_ += c;
    }

    std::string out_;
    int newlines_ = 0;
    bool space_ = false;
    bool lineStart_ = true;
    int quoteDepth_ = 0;
    int preDepth_ = 0;
};

// Without recursion, so that no nesting depth can exhaust the stack.
void write(const xmlDoc& doc, TextWriter& writer) {
    const xmlNode* node = doc.children;
    while (node != nullptr) {
        if (node->type == XML_ELEMENT_NODE) {
            const Kind kind = kindOf(node);
            if (kind != Kind::Skipped) {
                writer.enter(kind);
                if (node->children != nullptr) {
                    node = node->children;
                    continue;
                }
                writer.leave(kind);
            }
        } else if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            if (node->content != nullptr) {
                writer.text(reinterpret_cast<const char*>(node->content));
            }
        }
        while (node->next == nullptr) {
            node = node->parent;
            if (node == nullptr || node->type != XML_ELEMENT_NODE) {
                return;
            }
            writer.leave(kindOf(node));
        }
        node = node->next;
    }
}

} // namespace

std::string fromHtml(std::string_view html) {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
    html = html.substr(0, INT_MAX);
    // The parser reads the bytes as UTF-8, whatever a <meta> says: the part was converted from
    // its charset already. Bytes that are not UTF-8 are replaced rather than left to it.
    std::string valid;
    html = validUtf8(html, valid);
    constexpr int options = HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR |
                            HTML_PARSE_NOWARNING | HTML_PARSE_IGNORE_ENC | HTML_PARSE_COMPACT;
    const std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
        htmlReadMemory(html.data(), static_cast<int>(html.size()), nullptr, "UTF-8", options),
        xmlFreeDoc);
    TextWriter writer;
    if (doc) {
        write(*doc, writer);
    }
    return writer.finish();
}

} // namespace plaintext
