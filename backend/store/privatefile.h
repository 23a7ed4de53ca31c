#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace backend {

/// Writes `text` to `path` with exactly `mode`: into a new file that has that mode from its
/// creation, synced, then renamed over `path`. A key is never readable by others, not even for
/// a moment, and a failed write leaves the old file whole. Throws std::runtime_error.
void writeFileAtomically(const std::filesystem::path& path, const std::string& text, mode_t mode);

} // namespace backend
