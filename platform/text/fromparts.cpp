#include "fromparts.h"

#include "fromhtml.h"

#include <memory>
#include <utility>

namespace plaintext {
namespace {

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
    const std::unique_ptr<char, decltype(&g_free)> decoded(
        g_mime_text_part_get_text(GMIME_TEXT_PART(part)), g_free);
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
