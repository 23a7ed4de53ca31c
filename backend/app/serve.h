#pragma once

#include "commandline.h"

namespace backend {

/// Runs the API, and the sign-in listener when asked for, until SIGINT or SIGTERM.
int serve(const std::filesystem::path& data, const ServeSettings& settings);

} // namespace backend
