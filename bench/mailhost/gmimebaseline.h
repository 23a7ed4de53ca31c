#pragma once

#include <cstddef>

/// Parses a mail with GMime and reads its text part out, as a mail client must at least do to
/// show it; the length of that text, 0 when it has none. Apart from Qt, whose keywords GLib's
/// headers use as names.
std::size_t gmimeTextLength(const char* mail, std::size_t size);
