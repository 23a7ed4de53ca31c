#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace backend {

/// Writes `text` to `path` with exactly `mode`: into a new file that has that mode from its
/// creation, synced, then renamed over `path`. A key is never readable by others, not even for
/// a moment, and a failed write leaves the old file whole. Throws std::runtime_error.
void writeFileAtomically(const std::filesystem::path& path, const std::string& text, mode_t mode);

/// The whole of the file at `path`. Throws std::runtime_error naming it.
[[nodiscard]] std::string readWholeFile(const std::filesystem::path& path);

/// Makes `path` a folder that only its owner may enter, whatever the umask: a new one is made
/// with mode 0700, an existing one is left as it is. Throws std::runtime_error.
void makePrivateFolder(const std::filesystem::path& path);

/// Creates `path` if it is missing, and makes it readable and writable by its owner alone.
/// With `create` false a missing file stays missing. Throws std::runtime_error.
enum class CreateMissing { Yes, No };
void makePrivateFile(const std::filesystem::path& path, CreateMissing create);

} // namespace backend
