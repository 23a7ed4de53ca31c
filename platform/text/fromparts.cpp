#include "fromparts.h"

#include "fromhtml.h"

#include <memory>
#include <utility>

namespace plaintext {
namespace {

using GText = std::unique_ptr<char, decltype(&g_free)>;

/// The part's text in UTF-8. A part said to be UTF-8 keeps every byte that is, and shows U+FFFD
/// for each that is not, as with an unknown charset: GMime's conversion would drop them unseen.
GText textOf(GMimeTextPart* part) {
    const char* charset = g_mime_text_part_get_charset(part);
    GMimeDataWrapper* content = g_mime_part_get_content(GMIME_PART(part));
    if (content == nullptr || charset == nullptr ||
        (g_ascii_strcasecmp(charset, "utf-8") != 0 && g_ascii_strcasecmp(charset, "utf8") != 0)) {
        return {g_mime_text_part_get_text(part), g_free};
    }
    GMimeStream* bytes = g_mime_stream_mem_new();
    g_mime_data_wrapper_write_to_stream(content, bytes);
    const GByteArray* array = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(bytes));
    // An empty part, or base64 that decodes to nothing, leaves no buffer, which GLib refuses.
    const char* data = array->len > 0 ? reinterpret_cast<const char*>(array->data) : "";
    GText text(g_utf8_make_valid(data, static_cast<gssize>(array->len)), g_free);
    g_object_unref(bytes);
    return text;
}

/// The first part of type text/`subtype` whose text, once `read`, is not empty.
template <typename Read>
std::optional<std::string> firstText(GMimeObject* part, const char* subtype, const Read& read) {
    if (GMIME_IS_MULTIPART(part)) {
        auto* multipart = GMIME_MULTIPART(part);
        for (int i = 0; i < g_mime_multipart_get_count(multipart); ++i) {
            if (auto text = firstText(g_mime_multipart_get_part(multipart, i), subtype, read)) {
                return text;
            }
        }
        return std::nullopt;
    }
    if (!GMIME_IS_TEXT_PART(part) || isAttachment(part) ||
        !g_mime_content_type_is_type(g_mime_object_get_content_type(part), "text", subtype)) {
        return std::nullopt;
    }
    const GText decoded = textOf(GMIME_TEXT_PART(part));
    std::string text = read(decoded ? decoded.get() : "");
    return text.empty() ? std::nullopt : std::optional(std::move(text));
}

} // namespace

bool isAttachment(GMimeObject* part) {
    if (!GMIME_IS_PART(part)) {
        return false;
    }
    auto* leaf = GMIME_PART(part);
    return g_mime_part_is_attachment(leaf) || g_mime_part_get_filename(leaf) != nullptr ||
           !g_mime_content_type_is_type(g_mime_object_get_content_type(part), "text", "*");
}

std::optional<std::string> fromParts(GMimeObject* root) {
    if (root == nullptr) {
        return std::nullopt;
    }
    if (auto plain = firstText(root, "plain", [](const char* text) { return std::string(text); })) {
        return plain;
    }
    return firstText(root, "html", [](const char* text) { return fromHtml(text); });
}

} // namespace plaintext
