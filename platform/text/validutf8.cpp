#include "validutf8.h"

#include <glib.h>
#include <memory>
#include <simdjson.h>

namespace plaintext {

std::string_view validUtf8(std::string_view text, std::string& storage) {
    // Checked a word at a time rather than GLib's byte at a time: nearly every text is valid.
    if (text.find('\0') == std::string_view::npos &&
        simdjson::validate_utf8(text.data(), text.size())) {
        return text;
    }
    const std::unique_ptr<gchar, decltype(&g_free)> valid(
        g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())), g_free);
    storage = valid.get();
    return storage;
}

} // namespace plaintext
