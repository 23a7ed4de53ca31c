#include "gmimebaseline.h"

#include <cstring>
#include <gmime/gmime.h>

std::size_t gmimeTextLength(const char* mail, std::size_t size) {
    static const bool initialised = [] {
        g_mime_init();
        return true;
    }();
    (void)initialised;
    GMimeStream* stream = g_mime_stream_mem_new_with_buffer(mail, size);
    GMimeParser* parser = g_mime_parser_new_with_stream(stream);
    GMimeMessage* message = g_mime_parser_construct_message(parser, nullptr);
    std::size_t length = 0;
    GMimeObject* part = message ? g_mime_message_get_mime_part(message) : nullptr;
    if (part != nullptr && GMIME_IS_TEXT_PART(part)) {
        char* text = g_mime_text_part_get_text(GMIME_TEXT_PART(part));
        length = std::strlen(text);
        g_free(text);
    }
    if (message != nullptr) {
        g_object_unref(message);
    }
    g_object_unref(parser);
    g_object_unref(stream);
    return length;
}
