#include "validutf8.h"

#include <glib.h>
#include <memory>

namespace backend {

std::string_view validUtf8(std::string_view text, std::string& storage) {
    if (g_utf8_validate_len(text.data(), text.size(), nullptr)) {
        return text;
    }
    const std::unique_ptr<gchar, decltype(&g_free)> valid(
        g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())), g_free);
    storage = valid.get();
    return storage;
}

} // namespace backend
